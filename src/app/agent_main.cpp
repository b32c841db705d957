// horalia-agent: the character engine for shells and scripts. `horalia-agent say TEXT` and its kin ask the
// engine on the session bus (the clock's while it runs); `horalia-agent serve` is that engine when the clock
// is not running, started by the bus when a program first asks for it, and gone a minute after its last
// program.
#include <QApplication>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <memory>

#include "agent/deferred_engine.h"
#include "agent/service/agent_cli.h"
#include "agent/service/agent_service.h"
#include "agent/service/bus_client.h"
#include "src/core/settings_keys.h"
#include "src/platform/ini_settings_store.h"
#include "src/platform/paths.h"

namespace {

using agent::service::AgentService;

// How long the engine waits for a new program after the last has gone, unless told (in seconds).
constexpr int kLingerSeconds = 60;

int serve(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        // Started by a bus that was not told the session's display (dbus-update-activation-environment).
        std::fprintf(stderr, "horalia-agent: no display to show characters on (DISPLAY is not set)\n");
        return 1;
    }
    // The characters place their own windows, which a Wayland session does not allow: run on XWayland.
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("horalia-agent"));
    QApplication::setQuitOnLastWindowClosed(false);
    QTextStream err(stderr);
    int linger = kLingerSeconds;
    const QStringList arguments = QCoreApplication::arguments().mid(2);
    if (arguments.size() == 2 && arguments[0] == u"--linger" && arguments[1].toInt() > 0) {
        linger = arguments[1].toInt();
    } else if (!arguments.isEmpty()) {
        err << "usage: horalia-agent serve [--linger SECONDS]\n";
        return 2;
    }

    const agent::Result<std::shared_ptr<agent::Engine>> engine = agent::loadDesktopEngine(
        horalia::platform::programFolder(), horalia::platform::characterFolders(),
        QFileInfo(horalia::platform::IniSettingsStore::defaultFilePath()).absolutePath() +
            QStringLiteral("/engine.ini"));
    if (!engine) {
        err << "horalia-agent: " << engine.error() << '\n';
        return 1;
    }
    const std::unique_ptr<agent::Control> control = (*engine)->makeControl();
    AgentService service({control.get()}, QDBusConnection::sessionBus(), &AgentService::desktopScreens);
    // The clock takes the name when it starts; this engine then leaves it the desktop.
    if (const agent::Status started =
            service.start(QLatin1String(agent::service::kBusName), AgentService::Name::Yield);
        !started) {
        err << "horalia-agent: " << started.error() << '\n';
        return 1;
    }
    QTimer idle;
    idle.setSingleShot(true);
    idle.setInterval(linger * 1000);
    QObject::connect(&idle, &QTimer::timeout, &app, &QCoreApplication::quit);
    QObject::connect(&service, &AgentService::clientCountChanged, &idle, [&idle](int count) {
        if (count == 0) {
            idle.start();
        } else {
            idle.stop();
        }
    });
    QObject::connect(&service, &AgentService::nameLost, &app, &QCoreApplication::quit);
    idle.start();
    // A session that ends takes its bus with it, and this engine too.
    QTimer busCheck;
    QObject::connect(&busCheck, &QTimer::timeout, &app, [&app] {
        if (!QDBusConnection::sessionBus().isConnected()) {
            app.quit();
        }
    });
    busCheck.start(5000);
    return app.exec();
}

// The clock's first character, as the user last chose it; max without a choice.
QString defaultCharacter() {
    const horalia::platform::IniSettingsStore settings(
        horalia::platform::IniSettingsStore::defaultFilePath());
    const QString chosen =
        settings.read(horalia::core::keys::kData, horalia::core::keys::kLastCharacter).trimmed();
    return chosen.isEmpty() ? QStringLiteral("max") : chosen;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "serve") == 0) {
        return serve(argc, argv);
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("horalia-agent"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const agent::Result<agent::service::AgentInvocation> call =
        agent::service::parseAgentArguments(QCoreApplication::arguments().mid(1));
    if (!call) {
        err << call.error() << '\n';
        return 2;
    }
    QTextStream input(stdin);
    agent::service::BusClient client(QDBusConnection::sessionBus(), out, err);
    return client.run(*call, call->character.isEmpty() ? defaultCharacter() : call->character, input);
}

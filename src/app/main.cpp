// horalia: the talking clock. On a desktop it shows the clock window and its tray icon; with no display, or
// with --console, it runs in the console; `horalia config` reads and changes its settings.
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibrary>
#include <QTextStream>
#include <cstdio>
#include <cstring>
#include <memory>

#include "src/app/config_command.h"
#include "src/app/desktop_app.h"
#include "src/console/console_mode.h"
#include "src/console/duration.h"
#include "src/platform/ini_settings_store.h"
#include "src/platform/instance_lock.h"

namespace {

int usageError(const QString& message) {
    QTextStream err(stderr);
    err << "horalia: " << message << '\n';
    return 1;
}

// Whether the option is given, as "--name" or "--name=value".
bool hasArgument(int argc, char** argv, const char* name) {
    const std::size_t length = std::strlen(name);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], name, length) == 0 && (argv[i][length] == '\0' || argv[i][length] == '=')) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const bool configCommand = argc >= 2 && std::strcmp(argv[1], "config") == 0;
    const bool hasDisplay =
        !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    const bool console = configCommand || !hasDisplay || hasArgument(argc, argv, "--console") ||
                         hasArgument(argc, argv, "--from") || hasArgument(argc, argv, "--for") ||
                         hasArgument(argc, argv, "--help") || hasArgument(argc, argv, "--version");
    // The characters place their own windows, which a Wayland session does not allow: run on XWayland.
    if (!console && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    std::unique_ptr<QCoreApplication> app =
        console ? std::make_unique<QCoreApplication>(argc, argv) : std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("horalia"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HORALIA_VERSION));

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!console && QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        // No XWayland to run on (or Qt was told to use Wayland): the clock works, but the desktop does not
        // let it do everything, and the user should know why the characters stand where they do.
        err << "horalia: running natively on Wayland: the characters cannot stand beside the clock or "
               "walk home (a Wayland program cannot place its windows), nothing stays on top of other "
               "windows, and there is no listening key (choose Listen from a character's menu). Run it "
               "through XWayland (with DISPLAY set) for all of it.\n";
        err.flush();
    }
    if (configCommand) {
        horalia::platform::IniSettingsStore store(horalia::platform::IniSettingsStore::defaultFilePath());
        return horalia::app::runConfigCommand(QCoreApplication::arguments().mid(2), store, out, err);
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Horalia Deluxe, the talking clock.\n"
        "  horalia config get SECTION KEY | set SECTION KEY VALUE | list   read or change a setting\n"
        "The manual page horalia(1) says more: the console's input, the settings, files and environment."));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption consoleOption(
        QStringLiteral("console"),
        QStringLiteral("Run in the console, printing each action; lines on standard "
                       "input play the user."));
    QCommandLineOption from(QStringLiteral("from"),
                            QStringLiteral("Preview on a virtual clock from this local time."),
                            QStringLiteral("YYYY-MM-DDTHH:MM:SS"));
    QCommandLineOption span(QStringLiteral("for"), QStringLiteral("End after this span (90m, 24h, 1h30m)."),
                            QStringLiteral("DURATION"));
    parser.addOptions({consoleOption, from, span});
    parser.process(*app);

    // A running clock holds this for its whole life; the restart companion waits for it to be free. Previews
    // on a virtual clock are not the running clock.
    horalia::platform::InstanceLock instance;
    // Another copy holds the lock: this one ends at its first step, before it copies or shows anything.
    const bool anotherInstance = !parser.isSet(from) && !instance.tryLock();
    if (!console) {
        return horalia::app::runDesktop(static_cast<QApplication&>(*app), anotherInstance);
    }
    horalia::console::ConsoleOptions options;
    options.anotherInstance = anotherInstance;
    if (parser.isSet(from)) {
        QDateTime start = QDateTime::fromString(parser.value(from), Qt::ISODate);
        if (!start.isValid()) {
            return usageError(QStringLiteral("--from wants a local time as YYYY-MM-DDTHH:MM:SS, not \"%1\"")
                                  .arg(parser.value(from)));
        }
        options.from = start;
    }
    if (parser.isSet(span)) {
        options.forMs = horalia::console::parseDuration(parser.value(span));
        if (!options.forMs) {
            return usageError(QStringLiteral("--for wants a span such as 90m, 24h or 1h30m, not \"%1\"")
                                  .arg(parser.value(span)));
        }
    }
    // The console mode is a module beside the program, so that the desktop clock starts without its
    // libraries.
    QLibrary module(QCoreApplication::applicationDirPath() + u'/' +
                    QLatin1String(horalia::console::kConsoleModule));
    auto run =
        reinterpret_cast<horalia::console::RunConsole>(module.resolve(horalia::console::kConsoleSymbol));
    if (run == nullptr) {
        return usageError(QStringLiteral("the console mode cannot be loaded: %1").arg(module.errorString()));
    }
    return run(options, out);
}

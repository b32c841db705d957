// horalia: the talking clock. With no display, or with --console, it runs in the console; `horalia config`
// reads and changes its settings.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "src/app/config_command.h"
#include "src/app/console_mode.h"
#include "src/app/duration.h"
#include "src/platform/ini_settings_store.h"

namespace {

int usageError(const QString& message) {
    QTextStream err(stderr);
    err << "horalia: " << message << '\n';
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("horalia"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HORALIA_VERSION));

    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 2 && args[1] == u"config") {
        horalia::platform::IniSettingsStore store(horalia::platform::IniSettingsStore::defaultFilePath());
        return horalia::app::runConfigCommand(args.mid(2), store, out, err);
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Horalia Deluxe, the talking clock.\n"
        "  horalia config get SECTION KEY | set SECTION KEY VALUE | list   read or change a setting"));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption console(QStringLiteral("console"),
                               QStringLiteral("Run in the console, printing each action."));
    QCommandLineOption from(QStringLiteral("from"),
                            QStringLiteral("Preview on a virtual clock from this local time."),
                            QStringLiteral("YYYY-MM-DDTHH:MM:SS"));
    QCommandLineOption span(QStringLiteral("for"), QStringLiteral("End after this span (90m, 24h, 1h30m)."),
                            QStringLiteral("DURATION"));
    parser.addOptions({console, from, span});
    parser.process(app);

    horalia::app::ConsoleOptions options;
    if (parser.isSet(from)) {
        QDateTime start = QDateTime::fromString(parser.value(from), Qt::ISODate);
        if (!start.isValid()) {
            return usageError(QStringLiteral("--from wants a local time as YYYY-MM-DDTHH:MM:SS, not \"%1\"")
                                  .arg(parser.value(from)));
        }
        options.from = start;
    }
    if (parser.isSet(span)) {
        options.forMs = horalia::app::parseDuration(parser.value(span));
        if (!options.forMs) {
            return usageError(QStringLiteral("--for wants a span such as 90m, 24h or 1h30m, not \"%1\"")
                                  .arg(parser.value(span)));
        }
    }
    if (!parser.isSet(console) && !options.from && !options.forMs) {
        err << "horalia: the desktop clock is not part of this build yet; running in the console.\n";
        err.flush();
    }
    return horalia::app::runConsole(options, out);
}

#include "src/platform/launch_command.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace horalia::platform {

namespace {

// Scripts by their ending, for files that lack the execute bit (as files copied from elsewhere often do).
const struct {
    const char* suffix;
    const char* interpreter;
} kInterpreters[] = {{"sh", "/bin/sh"}, {"bash", "bash"}, {"py", "python3"}, {"pl", "perl"}};

}  // namespace

std::optional<LaunchCommand> desktopEntryCommand(const QString& entryText) {
    bool inEntry = false;
    QString exec;
    QString type;
    bool hidden = false;
    for (const QString& raw : entryText.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inEntry || eq <= 0) {
            continue;
        }
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("Exec")) {
            exec = value;
        } else if (key == QLatin1String("Type")) {
            type = value;
        } else if (key == QLatin1String("Hidden")) {
            hidden = value == QLatin1String("true");  // the entry counts as deleted
        }
    }
    if (exec.isEmpty() || hidden || (!type.isEmpty() && type != QLatin1String("Application"))) {
        return std::nullopt;
    }
    QStringList words;
    for (const QString& word : QProcess::splitCommand(exec)) {
        QString out;
        bool dropped = false;
        for (qsizetype i = 0; i < word.size(); ++i) {
            if (word[i] == QLatin1Char('%') && i + 1 < word.size()) {
                const QChar code = word[++i];
                if (code == QLatin1Char('%')) {
                    out += QLatin1Char('%');
                } else {
                    dropped = true;  // %f %u %i %c %k ...: nothing is handed over
                }
                continue;
            }
            out += word[i];
        }
        if (!out.isEmpty() || !dropped) {
            words << out;
        }
    }
    if (words.isEmpty() || words.first().isEmpty()) {
        return std::nullopt;
    }
    return LaunchCommand{words.takeFirst(), words};
}

std::optional<LaunchCommand> launchCommand(const QString& path, const QStringList& arguments) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile()) {
        return std::nullopt;
    }
    const QString suffix = info.suffix().toLower();
    if (suffix == QLatin1String("desktop")) {
        QFile file(info.absoluteFilePath());
        if (!file.open(QIODevice::ReadOnly)) {
            return std::nullopt;
        }
        std::optional<LaunchCommand> command = desktopEntryCommand(QString::fromUtf8(file.read(1 << 20)));
        if (command) {
            command->arguments += arguments;
        }
        return command;
    }
    if (info.isExecutable()) {
        return LaunchCommand{info.absoluteFilePath(), arguments};
    }
    for (const auto& script : kInterpreters) {
        if (suffix == QLatin1String(script.suffix)) {
            return LaunchCommand{QString::fromLatin1(script.interpreter),
                                 QStringList{info.absoluteFilePath()} + arguments};
        }
    }
    return std::nullopt;
}

}  // namespace horalia::platform

#include "agent/listen/measurement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace agent::listen {

namespace {

QString share(int part, int whole) {
    return QStringLiteral("%1 of %2 (%3 %)").arg(part).arg(whole).arg(100.0 * part / whole, 0, 'f', 1);
}

}  // namespace

Result<QList<Expectation>> readExpectations(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    }
    const QDir base = QFileInfo(path).dir();
    QList<Expectation> list;
    int number = 0;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        ++number;
        if (line.trimmed().isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        const QString recording = line.section(u'\t', 0, 0).trimmed();
        QString command = line.section(u'\t', 1).trimmed();
        if (recording.isEmpty()) {
            return fail(QStringLiteral("%1:%2: no recording before the tab").arg(path).arg(number));
        }
        if (command == u'-') {
            command.clear();
        }
        list.append({QDir::cleanPath(base.filePath(recording)), command});
    }
    return list;
}

QString Tally::add(const QString& expected, const Recognition& recognition) {
    if (expected.isEmpty()) {
        ++others;
        if (recognition.accepted()) {
            ++accepted;
            return QStringLiteral("accepted");
        }
        return QStringLiteral("refused");
    }
    ++commands;
    if (recognition.command == expected) {
        ++understood;
        return QStringLiteral("understood");
    }
    if (recognition.accepted()) {
        ++mistaken;
        return QStringLiteral("mistaken");
    }
    ++refused;
    return QStringLiteral("refused");
}

QString Tally::summary() const {
    QStringList lines;
    if (commands > 0) {
        lines << QStringLiteral("commands understood %1, refused %2, mistaken for another %3")
                     .arg(share(understood, commands), share(refused, commands), share(mistaken, commands));
    }
    if (others > 0) {
        lines << QStringLiteral("no command refused %1, accepted %2")
                     .arg(share(others - accepted, others), share(accepted, others));
    }
    return lines.join(u'\n');
}

}  // namespace agent::listen

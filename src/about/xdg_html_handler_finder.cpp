#include "src/about/xdg_html_handler_finder.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

namespace horalia::about {

namespace {

constexpr int kRunTimeoutMs = 5000;
constexpr qint64 kMaxDesktopEntryBytes = 256 * 1024;

std::optional<QString> runProgram(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(kRunTimeoutMs)) {
        return std::nullopt;
    }
    if (!process.waitForFinished(kRunTimeoutMs)) {
        process.kill();
        process.waitForFinished(kRunTimeoutMs);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        return std::nullopt;
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The escapes a desktop entry's string values may hold.
QString unescapeValue(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != u'\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
            case 's':
                out += u' ';
                break;
            case 'n':
                out += u'\n';
                break;
            case 't':
                out += u'\t';
                break;
            case 'r':
                out += u'\r';
                break;
            case '\\':
                out += u'\\';
                break;
            default:
                // Left for the Exec line's own quoting rules.
                out += u'\\';
                out += next;
                break;
        }
    }
    return out;
}

// Arguments that only say where the launcher would put files, URLs or its own details.
bool isDroppedArgument(const QString& argument) {
    static const QStringList dropped{
        QStringLiteral("%f"), QStringLiteral("%F"), QStringLiteral("%u"),  QStringLiteral("%U"),
        QStringLiteral("%d"), QStringLiteral("%D"), QStringLiteral("%n"),  QStringLiteral("%N"),
        QStringLiteral("%i"), QStringLiteral("%c"), QStringLiteral("%k"),  QStringLiteral("%v"),
        QStringLiteral("%m"), QStringLiteral("@@"), QStringLiteral("@@u"), QStringLiteral("@@f")};
    return dropped.contains(argument);
}

// Field codes inside a longer argument ("--url=%u") go; "%%" is a percent sign.
QString withoutFieldCodes(const QString& argument) {
    QString out;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        if (argument.at(i) == u'%' && i + 1 < argument.size()) {
            if (argument.at(i + 1) == u'%') {
                out += u'%';
            }
            ++i;
            continue;
        }
        out += argument.at(i);
    }
    return out;
}

}  // namespace

XdgHtmlHandlerFinder::XdgHtmlHandlerFinder(Runner runner, QStringList dataDirs, QStringList searchPath)
    : runner_(runner ? std::move(runner) : Runner(runProgram)),
      dataDirs_(dataDirs.isEmpty() ? QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)
                                   : std::move(dataDirs)),
      searchPath_(std::move(searchPath)) {}

QString XdgHtmlHandlerFinder::execValue(const QString& desktopEntryText) {
    bool inEntry = false;
    for (const QStringView rawLine : QStringView(desktopEntryText).split(u'\n')) {
        const QStringView line = rawLine.trimmed();
        if (line.startsWith(u'[')) {
            inEntry = line == u"[Desktop Entry]";
            continue;
        }
        if (!inEntry || line.startsWith(u'#')) {
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0 && line.left(equals).trimmed() == u"Exec") {
            return unescapeValue(line.mid(equals + 1).trimmed().toString());
        }
    }
    return {};
}

QStringList XdgHtmlHandlerFinder::execCommand(const QString& execValue) {
    // Split on blanks; double quotes group, and inside them a backslash takes the next character as it is.
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < execValue.size(); ++i) {
        const QChar c = execValue.at(i);
        if (quoted) {
            if (c == u'"') {
                quoted = false;
            } else if (c == u'\\' && i + 1 < execValue.size()) {
                word += execValue.at(++i);
            } else {
                word += c;
            }
        } else if (c == u'"') {
            quoted = true;
            inWord = true;
        } else if (c.isSpace()) {
            if (inWord) {
                words << word;
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words << word;
    }

    QStringList command;
    for (const QString& w : words) {
        if (isDroppedArgument(w)) {
            continue;
        }
        const QString kept = withoutFieldCodes(w);
        if (!kept.isEmpty()) {
            command << kept;
        }
    }
    return command;
}

std::optional<QString> XdgHtmlHandlerFinder::desktopEntryPath(const QString& desktopId) const {
    // A desktop file ID names a file in an applications folder, its subfolders joined into it by '-'.
    QStringList candidates{desktopId};
    QString nested = desktopId;
    for (qsizetype dash = nested.indexOf(u'-'); dash > 0; dash = nested.indexOf(u'-', dash + 1)) {
        nested[dash] = u'/';
        candidates << nested;
    }
    for (const QString& dir : dataDirs_) {
        for (const QString& candidate : candidates) {
            const QString path = dir + QStringLiteral("/applications/") + candidate;
            if (QFileInfo(path).isFile()) {
                return path;
            }
        }
    }
    return std::nullopt;
}

QString XdgHtmlHandlerFinder::resolveProgram(const QString& program) const {
    if (program.contains(u'/')) {
        const QFileInfo info(program);
        return info.isAbsolute() && info.isFile() && info.isExecutable() ? info.absoluteFilePath()
                                                                         : QString();
    }
    return QStandardPaths::findExecutable(program, searchPath_);
}

std::optional<AssociatedProgram> XdgHtmlHandlerFinder::findExecutable(const QString& documentPath) {
    if (!QFileInfo(documentPath).isFile()) {
        return std::nullopt;
    }
    const QMimeType type = QMimeDatabase().mimeTypeForFile(documentPath, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault()) {
        return std::nullopt;
    }
    const std::optional<QString> answer = runner_(
        QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), type.name()});
    if (!answer) {
        return std::nullopt;
    }
    // One desktop file ID, possibly a list of them separated by ';': the first that exists wins.
    const QString firstLine = answer->section(u'\n', 0, 0).trimmed();
    for (const QString& id : firstLine.split(u';', Qt::SkipEmptyParts)) {
        const QString desktopId = id.trimmed();
        if (!desktopId.endsWith(QStringLiteral(".desktop")) || desktopId.contains(u'/') ||
            desktopId == u".desktop") {
            continue;
        }
        const std::optional<QString> entryPath = desktopEntryPath(desktopId);
        if (!entryPath) {
            continue;
        }
        QFile file(*entryPath);
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QStringList command =
            execCommand(execValue(QString::fromUtf8(file.read(kMaxDesktopEntryBytes))));
        if (command.isEmpty()) {
            continue;
        }
        const QString program = resolveProgram(command.first());
        if (!program.isEmpty()) {
            return AssociatedProgram{program, command.mid(1)};
        }
    }
    return std::nullopt;
}

}  // namespace horalia::about

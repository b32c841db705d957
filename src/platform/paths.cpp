#include "src/platform/paths.h"

#include <QCoreApplication>
#include <QDir>

namespace horalia::platform {

QString dataFolder() {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || !QDir::isAbsolutePath(data)) {
        data = QDir::homePath() + QStringLiteral("/.local/share");
    }
    return QDir::cleanPath(data + QStringLiteral("/horalia"));
}

QString characterFolder() {
    return dataFolder() + QStringLiteral("/msagent/chars");
}

QStringList characterFolders() {
    return {characterFolder(), programFolder()};
}

QString programFolder() {
    return QCoreApplication::applicationDirPath();
}

QString programFile(const QString& name) {
    QString file = name;
    if (file.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive)) {
        file.chop(4);
    }
    return programFolder() + u'/' + file;
}

}  // namespace horalia::platform

#include "src/platform/local_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace horalia::platform {

agent::Status LocalFiles::makeFolder(const QString& path) {
    if (path.isEmpty() || !QDir().mkpath(path)) {
        return agent::fail(QStringLiteral("cannot create the folder \"%1\"").arg(path));
    }
    return {};
}

agent::Status LocalFiles::copyOver(const QString& from, const QString& to) {
    if (!QFileInfo(from).isFile()) {
        return agent::fail(QStringLiteral("cannot copy %1: no such file").arg(from));
    }
    // QFile::copy never replaces a file.
    if (QFileInfo::exists(to) && !QFile::remove(to)) {
        return agent::fail(QStringLiteral("cannot replace %1").arg(to));
    }
    QFile source(from);
    if (!source.copy(to)) {
        return agent::fail(QStringLiteral("cannot copy %1 to %2: %3").arg(from, to, source.errorString()));
    }
    return {};
}

bool LocalFiles::canRead(const QString& path) const {
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
}

}  // namespace horalia::platform

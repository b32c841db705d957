#include "src/platform/local_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace horalia::platform {

bool LocalFiles::makeFolder(const QString& path) {
    return !path.isEmpty() && QDir().mkpath(path);
}

bool LocalFiles::copyOver(const QString& from, const QString& to) {
    if (!QFileInfo(from).isFile()) {
        return false;
    }
    // QFile::copy never replaces a file.
    if (QFileInfo::exists(to) && !QFile::remove(to)) {
        return false;
    }
    return QFile::copy(from, to);
}

bool LocalFiles::canRead(const QString& path) const {
    QFile file(path);
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
}

}  // namespace horalia::platform

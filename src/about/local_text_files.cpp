#include "src/about/local_text_files.h"

#include <QFile>

namespace horalia::about {

bool LocalTextFiles::writeText(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    return file.write(bytes) == bytes.size() && file.flush();
}

bool LocalTextFiles::remove(const QString& path) {
    return QFile::remove(path);
}

}  // namespace horalia::about

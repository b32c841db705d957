#include "src/about/local_text_files.h"

#include <QFile>

namespace horalia::about {

agent::Status LocalTextFiles::writeText(const QString& path, const QString& text) {
    QFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
        !file.flush()) {
        return agent::fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    }
    return {};
}

agent::Status LocalTextFiles::remove(const QString& path) {
    QFile file(path);
    if (!file.remove()) {
        return agent::fail(QStringLiteral("cannot delete %1: %2").arg(path, file.errorString()));
    }
    return {};
}

}  // namespace horalia::about

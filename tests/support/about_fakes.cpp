#include "tests/support/about_fakes.h"

#include <QFile>

namespace testsupport {

agent::Status MemoryTextFiles::writeText(const QString& path, const QString& text) {
    log << QStringLiteral("write ") + path;
    if (unwritable.contains(path)) {
        return agent::fail(QStringLiteral("cannot write ") + path);
    }
    files.insert(path, text);
    return {};
}

agent::Status MemoryTextFiles::remove(const QString& path) {
    log << QStringLiteral("remove ") + path;
    if (files.remove(path) == 0) {
        return agent::fail(QStringLiteral("no file ") + path);
    }
    return {};
}

std::optional<horalia::about::AssociatedProgram> FakeHtmlHandlerFinder::findExecutable(
    const QString& documentPath) {
    lookups << documentPath;
    const auto found = files_.files.constFind(documentPath);
    contentsSeen << (found == files_.files.constEnd() ? QString() : *found);
    if (found == files_.files.constEnd()) {
        return std::nullopt;
    }
    return answer;
}

std::optional<horalia::about::AssociatedProgram> DiskReadingFinder::findExecutable(
    const QString& documentPath) {
    QFile file(documentPath);
    seen = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
    return std::nullopt;
}

}  // namespace testsupport

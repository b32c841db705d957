// Fuzz target: read a character file from arbitrary bytes, then decode every image and region and draw
// every frame with every mouth, and the tray icon. Every accessor is used whether or not the load succeeded,
// and again after the first half of the input is loaded over the whole, since a failed load must leave
// nothing behind that reads out of bounds. The same bytes are also read from a file, which is read in pieces
// as they are wanted, and must read the same as from memory: a piece the reader forgot to fetch would be
// read as whatever the memory held, which the sanitizers do not see. Tight limits keep each input fast; the
// checks are the same as with the defaults, only the numbers are smaller.
#include "fuzz/use_everything.h"

#include <QDir>
#include <QFile>

#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using agent::format::AcsFile;
using fuzzing::expect;
using fuzzing::useEverything;

namespace {

void expectSameFromFile(const QByteArray& bytes, const agent::Status& loaded, const AcsFile& fromMemory,
                        const agent::format::Limits& limits) {
    static const QString path =
        QDir::temp().filePath(QStringLiteral("horalia-acs-fuzzer-%1.acs").arg(::getpid()));
    static const bool removedAtExit = std::atexit([] { QFile::remove(path); }) == 0;
    (void)removedAtExit;
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size()) {
        return;  // no room for the file: nothing to compare
    }
    out.close();
    AcsFile fromFile;
    const agent::Status fileLoaded = fromFile.load(path, limits);
    expect(fileLoaded.ok() == loaded.ok() && fileLoaded.error() == loaded.error());
    expect(fromFile.info() == fromMemory.info() && fromFile.animations() == fromMemory.animations() &&
           fromFile.imageCount() == fromMemory.imageCount());
    for (int i = 0; i < fromFile.imageCount() && i < 256; ++i) {
        const auto a = fromFile.image(i);
        const auto b = fromMemory.image(i);
        expect(a.error() == b.error() && (!a || *a == *b));
        expect(fromFile.region(i).valueOr({}) == fromMemory.region(i).valueOr({}));
    }
    for (int i = 0; i < fromFile.sounds().size(); ++i) {
        expect(fromFile.sound(i) == fromMemory.sound(i));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    agent::format::Limits limits;
    limits.maxFileSize = 4u * 1024 * 1024;
    limits.maxImageSide = 512;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    AcsFile file;
    const agent::Status loaded = file.loadData(bytes, limits);
    fuzzing::expectClear(loaded);
    expectSameFromFile(bytes, loaded, file, limits);
    useEverything(file);
    // Mostly a failed load over a good one.
    fuzzing::expectClear(file.loadData(bytes.left(bytes.size() / 2), limits));
    useEverything(file);
    return 0;
}

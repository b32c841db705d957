// Fuzz target: read a character file from arbitrary bytes, then decode every image and region and draw
// every frame with every mouth, and the tray icon. Every accessor is used whether or not the load succeeded,
// and again after the first half of the input is loaded over the whole, since a failed load must leave
// nothing behind that reads out of bounds. Tight limits keep each input fast; the checks are the same as
// with the defaults, only the numbers are smaller.
#include "fuzz/use_everything.h"

#include <cstddef>
#include <cstdint>

using agent::format::AcsFile;
using fuzzing::useEverything;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    agent::format::Limits limits;
    limits.maxFileSize = 4u * 1024 * 1024;
    limits.maxImageSide = 512;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    AcsFile file;
    fuzzing::expectClear(file.loadData(bytes, limits));
    useEverything(file);
    // Mostly a failed load over a good one.
    fuzzing::expectClear(file.loadData(bytes.left(bytes.size() / 2), limits));
    useEverything(file);
    return 0;
}

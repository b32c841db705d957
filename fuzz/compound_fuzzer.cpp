// Fuzz target for version 1.5 characters: the bytes, with the compound document signature put in front so
// that no input is lost to the first check, are read by the compound document reader alone (every stream,
// by name and in another case) and then as a character through AcsFile and every accessor, loaded or not.
// Tight limits keep each input fast.
#include "agent/format/acs_file.h"
#include "agent/format/compound_file.h"
#include "fuzz/use_everything.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (bytes.size() >= 8) {
        std::memcpy(bytes.data(), kSignature, 8);
    }

    agent::format::CompoundFile doc;
    const agent::Status opened = doc.open(bytes);
    fuzzing::expectClear(opened);
    if (opened) {
        for (const QString& name : doc.streamNames()) {
            fuzzing::expectClear(doc.readStream(name));
            fuzzing::expectClear(doc.readStream(name.toUpper()));
        }
    }

    agent::format::Limits limits;
    limits.maxFileSize = 4u * 1024 * 1024;
    limits.maxImageSide = 512;
    agent::format::AcsFile file;
    fuzzing::expectClear(file.loadData(bytes, limits));
    fuzzing::useEverything(file);
    return 0;
}

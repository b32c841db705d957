// Fuzz target for version 1.5 characters: the bytes, with the compound document signature put in front so
// that no input is lost to the first check, are read by the compound document reader alone (every stream,
// by name and in another case) and then as a character through AcsFile, with every image, region and sound
// decoded and every frame drawn with every mouth. Tight limits keep each input fast.
#include "agent/format/acs_file.h"
#include "agent/format/compound_file.h"
#include "agent/format/frame_composer.h"

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
    if (doc.open(bytes)) {
        for (const QString& name : doc.streamNames()) {
            QByteArray stream;
            doc.readStream(name, &stream);
            doc.readStream(name.toUpper(), &stream);
        }
    }

    agent::format::Limits limits;
    limits.maxFileSize = 4u * 1024 * 1024;
    limits.maxImageSide = 512;
    agent::format::AcsFile file;
    if (!file.loadData(bytes, limits)) {
        return 0;
    }
    for (int i = 0; i < file.images().size() && i < 256; ++i) {
        file.image(i);
        file.region(i);
    }
    for (int i = 0; i < file.sounds().size(); ++i) {
        file.sound(i);
    }
    agent::format::FrameComposer composer(file, 1024);
    int budget = 512;  // frames drawn per input
    for (int a = 0; a < file.animations().size() && budget > 0; ++a) {
        const auto& frames = file.animations()[a].frames;
        for (int f = 0; f < frames.size() && budget > 0; ++f) {
            composer.compose(a, f, -1);
            --budget;
            for (const auto& overlay : frames[f].overlays) {
                composer.compose(a, f, overlay.shape);
                --budget;
            }
        }
    }
    for (const auto& state : file.info().states) {
        for (const QString& name : state.animations) {
            file.animation(name);
        }
        file.state(state.name);
    }
    file.localized();
    return 0;
}

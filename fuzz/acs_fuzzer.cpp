// Fuzz target: read a character file from arbitrary bytes, then decode every image and region and draw
// every frame with every mouth, and the tray icon. Every accessor is used whether or not the load succeeded,
// and again after the first half of the input is loaded over the whole, since a failed load must leave
// nothing behind that reads out of bounds. Tight limits keep each input fast; the checks are the same as
// with the defaults, only the numbers are smaller.
#include "agent/format/acs_file.h"
#include "agent/format/frame_composer.h"
#include "agent/format/tray_icon.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

using agent::format::AcsFile;

void decodeImages(const AcsFile& file) {
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < file.images().size() && i < 256; ++i) {
        file.image(i);
        file.region(i);
        const auto& info = file.images()[i];
        pixels.resize(std::size_t(agent::format::rowStride(info.width)) * info.height);
        file.decodeIndices(i, pixels.data(), pixels.size());
    }
    // Indices just past the lists, and one far past, must be refused whatever the lists hold.
    for (int i : {-1, int(file.images().size()), 1126}) {
        file.image(i);
        file.region(i);
        std::uint8_t pixel = 0;
        file.decodeIndices(i, &pixel, 1);
    }
}

void drawFrames(const AcsFile& file) {
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
    composer.compose(0, 0, -1);
}

void useEverything(const AcsFile& file) {
    decodeImages(file);
    if (file.info().trayIcon) {
        agent::format::decodeTrayIcon(*file.info().trayIcon);
    }
    for (int i = -1; i <= file.sounds().size(); ++i) {
        file.sound(i);
    }
    drawFrames(file);
    file.animationIndex(u"Idle");
    file.animation(u"Idle");
    file.state(u"Speaking");
    file.localized();
    file.localized(0x0407);
    file.data().size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    agent::format::Limits limits;
    limits.maxFileSize = 4u * 1024 * 1024;
    limits.maxImageSide = 512;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    AcsFile file;
    file.loadData(bytes, limits);
    useEverything(file);
    // Mostly a failed load over a good one.
    file.loadData(bytes.left(bytes.size() / 2), limits);
    useEverything(file);
    return 0;
}

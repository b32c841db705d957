// Fuzz target: read a character file from arbitrary bytes, then decode every image and region and draw
// every frame with every mouth, and the tray icon. Tight limits keep each input fast; the checks are the same
// as with the defaults, only the numbers are smaller.
#include "agent/format/acs_file.h"
#include "agent/format/frame_composer.h"
#include "agent/format/tray_icon.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    agent::format::Limits limits;
    limits.maxFileSize = 4u * 1024 * 1024;
    limits.maxImageSide = 512;
    agent::format::AcsFile file;
    if (!file.loadData(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)),
                       limits)) {
        return 0;
    }
    for (int i = 0; i < file.images().size() && i < 256; ++i) {
        file.image(i);
        file.region(i);
    }
    if (file.info().trayIcon) {
        agent::format::decodeTrayIcon(*file.info().trayIcon);
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
    file.animationIndex(u"Idle");
    file.state(u"Speaking");
    file.localized();
    return 0;
}

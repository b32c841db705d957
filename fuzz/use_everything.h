// What every fuzz target does with a character file, loaded or not: every accessor, every image, region and
// sound decoded, every frame drawn with every mouth, and indices past the lists refused.
#pragma once

#include "agent/format/acs_file.h"
#include "agent/format/frame_composer.h"
#include "agent/format/tray_icon.h"

#include <cstdlib>
#include <vector>

namespace fuzzing {

using agent::format::AcsFile;

inline void expect(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Whatever fails must say what failed: a failure with no words is a fault of the reader.
template <class R>
void expectClear(const R& result) {
    expect(result.ok() || !result.error().isEmpty());
}

inline void decodeImages(const AcsFile& file) {
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < file.imageCount() && i < 256; ++i) {
        expectClear(file.image(i));
        expectClear(file.region(i));
        const auto info = file.imageInfo(i);
        expectClear(info);
        if (info) {
            pixels.resize(std::size_t(agent::format::rowStride(info->width)) * info->height);
            expectClear(file.decodeIndices(i, pixels.data(), pixels.size()));
        }
    }
    // Indices just past the lists, and one far past, must be refused whatever the lists hold.
    for (int i : {-1, file.imageCount(), 1126}) {
        expect(!file.image(i) && !file.region(i) && !file.imageInfo(i));
        std::uint8_t pixel = 0;
        expectClear(file.decodeIndices(i, &pixel, 1));
    }
}

inline void drawFrames(const AcsFile& file) {
    agent::format::FrameComposer composer(file, 1024);
    int budget = 512;  // frames drawn per input
    for (int a = 0; a < file.animations().size() && budget > 0; ++a) {
        const auto& frames = file.animations()[a].frames;
        for (int f = 0; f < frames.size() && budget > 0; ++f) {
            expectClear(composer.compose(a, f, -1));
            --budget;
            for (const auto& overlay : frames[f].overlays) {
                expectClear(composer.compose(a, f, overlay.shape));
                --budget;
            }
        }
    }
    expectClear(composer.compose(0, 0, -1));
}

inline void useEverything(const AcsFile& file) {
    decodeImages(file);
    if (file.info().trayIcon) {
        expectClear(agent::format::decodeTrayIcon(*file.info().trayIcon));
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
    file.fileSize();
}

}  // namespace fuzzing

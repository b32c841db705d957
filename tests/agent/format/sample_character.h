// A small character built in code for the format tests: every optional block present, odd image widths
// (so rows carry padding), branches, an exit frame, mouth overlays with and without a region, a sound.
#pragma once

#include "agent/format/character_data.h"

namespace formattest {

// A border of the transparent index 0 around a pattern, and an empty region header of 32 bytes: size,
// type 1, no rectangles.
inline agent::format::ImageData sampleImage(std::uint16_t w, std::uint16_t h, int seed) {
    const int stride = int(agent::format::rowStride(w));
    QByteArray pixels(stride * h, '\0');
    for (int y = 1; y + 1 < h; ++y) {
        for (int x = 1; x + 1 < w; ++x) {
            pixels[y * stride + x] = char(1 + (x * 3 + y * 5 + seed) % 4);
        }
    }
    const QByteArray region = QByteArray("\x20\0\0\0\x01", 5).leftJustified(32, '\0');
    return {w, h, 1, 0x1000u + std::uint32_t(seed), pixels, region};
}

inline agent::format::CharacterData sampleCharacter() {
    using namespace agent::format;
    // Two images, a sound, an exit frame, two branches, a mouth with a region and one replacing the top
    // image.
    const QList<MouthOverlay> mouths{{1, false, 2, 0, 6, 5, 2, 2, QByteArray(32, '\x07')},
                                     {0, true, 2, 0, 6, 5, 2, 2, {}}};
    const Frame f0{{{1, 4, 2}, {0, 1, 1}}, 0, 10, 1, {{1, 60}, {0, 40}}, mouths};
    const Frame f1{{{0, -2, -1}}, kNoSound, 25, -2, {}, {}};
    const Guid guid{
        {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF}};
    const std::uint32_t flagBits = flags::kStandardAnimationSet | flags::kBalloonSizeToText |
                                   flags::kVoiceOutput | flags::kBalloonEnabled;
    const VoiceInfo voice{
        {}, {}, 160, 100, true, 0x0409, QStringLiteral("US"), 2, 30, QStringLiteral("Business")};
    const QString font = QStringLiteral("Sans");
    const BalloonInfo balloon{2,     28, qRgb(0, 0, 0), qRgb(255, 255, 225), qRgb(10, 20, 30), font, -13, 400,
                              false, 0};
    const QList<QRgb> palette{qRgb(255, 0, 255), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                              qRgb(255, 255, 255)};
    const QList<State> states{{QStringLiteral("Speaking"), {QStringLiteral("IDLE")}},
                              {QStringLiteral("Showing"), {QStringLiteral("wave"), QStringLiteral("Idle")}}};
    const QList<LocalizedInfo> localized{
        {0x0409, QStringLiteral("Sample"), QStringLiteral("A test character"), {}},
        {0x0407, QStringLiteral("Muster"), QString(), QStringLiteral("x")}};
    return {{1, 2, guid, 12, 9, 0, flagBits, 2, 0, voice, balloon, palette,
             TrayIcon{QByteArray(40, 'm'), QByteArray(60, 'c')}, states, localized},
            {{QStringLiteral("Idle"), 0, QStringLiteral("Wave"), {f0, f1}},
             {QStringLiteral("Wave"), 2, {}, {Frame{{{2, 0, 0}}, kNoSound, 5, -1, {}, {}}, Frame{}}}},
            {sampleImage(10, 7, 0), sampleImage(3, 2, 1), sampleImage(5, 4, 2)},
            {{QByteArray("RIFF\x04\0\0\0WAVE", 12), 77}}};
}

}  // namespace formattest

// A small character built in code for the format tests: every optional block present, odd image widths
// (so rows carry padding), branches, an exit frame, mouth overlays with and without a region, a sound.
#pragma once

#include "agent/format/character_data.h"

namespace formattest {

inline agent::format::ImageData sampleImage(std::uint16_t w, std::uint16_t h, int seed) {
    agent::format::ImageData img;
    img.width = w;
    img.height = h;
    img.unknown = 1;
    img.checksum = 0x1000u + std::uint32_t(seed);
    const int stride = int(agent::format::rowStride(w));
    img.pixels = QByteArray(stride * h, '\0');
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            // A border of the transparent index 0 around a pattern.
            const bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1;
            img.pixels[y * stride + x] = char(edge ? 0 : 1 + (x * 3 + y * 5 + seed) % 4);
        }
    }
    // An empty region header of 32 bytes: size, type 1, no rectangles.
    img.region = QByteArray(32, '\0');
    img.region[0] = 32;
    img.region[4] = 1;
    return img;
}

inline agent::format::CharacterData sampleCharacter() {
    using namespace agent::format;
    CharacterData c;
    CharacterInfo& ci = c.info;
    ci.minorVersion = 1;
    ci.majorVersion = 2;
    for (int i = 0; i < 16; ++i) {
        ci.guid.bytes[std::size_t(i)] = std::uint8_t(0xA0 + i);
    }
    ci.width = 12;
    ci.height = 9;
    ci.transparentIndex = 0;
    ci.flags = flags::kStandardAnimationSet | flags::kBalloonSizeToText | flags::kVoiceOutput |
               flags::kBalloonEnabled;
    VoiceInfo v;
    v.speed = 160;
    v.pitch = 100;
    v.hasExtra = true;
    v.language = 0x0409;
    v.dialect = QStringLiteral("US");
    v.gender = 2;
    v.age = 30;
    v.style = QStringLiteral("Business");
    ci.voice = v;
    BalloonInfo b;
    b.lines = 2;
    b.charsPerLine = 28;
    b.foreground = qRgb(0, 0, 0);
    b.background = qRgb(255, 255, 225);
    b.border = qRgb(10, 20, 30);
    b.fontName = QStringLiteral("Sans");
    b.fontHeight = -13;
    b.fontWeight = 400;
    ci.balloon = b;
    ci.palette = {qRgb(255, 0, 255), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};
    ci.trayIcon = TrayIcon{QByteArray(40, 'm'), QByteArray(60, 'c')};
    ci.states = {State{QStringLiteral("Speaking"), {QStringLiteral("IDLE")}},
                 State{QStringLiteral("Showing"), {QStringLiteral("wave"), QStringLiteral("Idle")}}};
    ci.localized = {LocalizedInfo{0x0409, QStringLiteral("Sample"), QStringLiteral("A test character"), {}},
                    LocalizedInfo{0x0407, QStringLiteral("Muster"), QString(), QStringLiteral("x")}};

    c.images = {sampleImage(10, 7, 0), sampleImage(3, 2, 1), sampleImage(5, 4, 2)};
    c.sounds = {SoundData{QByteArray("RIFF\x04\0\0\0WAVE", 12), 77}};

    Animation idle;
    idle.name = QStringLiteral("Idle");
    idle.transition = 0;
    idle.returnAnimation = QStringLiteral("Wave");
    Frame f0;
    f0.images = {FrameImage{1, 4, 2}, FrameImage{0, 1, 1}};
    f0.duration = 10;
    f0.sound = 0;
    f0.exitFrame = 1;
    f0.branches = {Branch{1, 60}, Branch{0, 40}};
    MouthOverlay open;
    open.shape = 1;
    open.image = 2;
    open.x = 6;
    open.y = 5;
    open.width = 2;
    open.height = 2;
    open.region = QByteArray(32, '\x07');
    MouthOverlay closed = open;
    closed.shape = 0;
    closed.replacesTopImage = true;
    closed.region.reset();
    f0.overlays = {open, closed};
    Frame f1;
    f1.images = {FrameImage{0, -2, -1}};
    f1.duration = 25;
    f1.exitFrame = -2;
    idle.frames = {f0, f1};

    Animation wave;
    wave.name = QStringLiteral("Wave");
    wave.transition = 2;
    Frame w0;
    w0.images = {FrameImage{2, 0, 0}};
    w0.duration = 5;
    wave.frames = {w0, Frame{}};
    c.animations = {idle, wave};
    return c;
}

}  // namespace formattest

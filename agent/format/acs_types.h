// The structures of a character file, as plain values: what the reader fills and the writer consumes.
#pragma once

#include <QByteArray>
#include <QList>
#include <QRgb>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

namespace agent::format {

// A GUID kept as its 16 stored bytes, so that writing it back is exact whatever its field layout.
struct Guid {
    std::array<std::uint8_t, 16> bytes{};

    // The registry form, {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, with the first three fields little-endian.
    QString toString() const;
    bool operator==(const Guid&) const = default;
};

struct VoiceInfo {
    Guid engine;
    Guid mode;
    std::uint32_t speed = 0;
    std::uint16_t pitch = 0;
    bool hasExtra = false;
    // Only meaningful when hasExtra is set.
    std::uint16_t language = 0;
    QString dialect;
    std::uint16_t gender = 0;
    std::uint16_t age = 0;
    QString style;
    bool operator==(const VoiceInfo&) const = default;
};

struct BalloonInfo {
    std::uint8_t lines = 0;
    std::uint8_t charsPerLine = 0;
    QRgb foreground = 0;
    QRgb background = 0;
    QRgb border = 0;
    QString fontName;
    std::int32_t fontHeight = 0;
    std::int32_t fontWeight = 0;
    bool italic = false;
    std::uint8_t extraFlag = 0;  // seen as 0 in every file; kept so that a rewrite is exact
    bool operator==(const BalloonInfo&) const = default;
};

// Two icon bitmaps (mask and colour), kept as stored.
struct TrayIcon {
    QByteArray monochrome;
    QByteArray color;
    bool operator==(const TrayIcon&) const = default;
};

struct State {
    QString name;
    QStringList animations;
    bool operator==(const State&) const = default;
};

struct LocalizedInfo {
    std::uint16_t language = 0;
    QString name;
    QString description;
    QString extra;
    bool operator==(const LocalizedInfo&) const = default;
};

// Bits of CharacterInfo::flags that the engine acts on.
namespace flags {
inline constexpr std::uint32_t kVoiceOutput = 0x20;
inline constexpr std::uint32_t kBalloonDisabled = 0x100;
inline constexpr std::uint32_t kBalloonEnabled = 0x200;
inline constexpr std::uint32_t kBalloonSizeToText = 0x10000;
inline constexpr std::uint32_t kBalloonNoAutoHide = 0x20000;
inline constexpr std::uint32_t kBalloonNoAutoPace = 0x40000;
inline constexpr std::uint32_t kStandardAnimationSet = 0x100000;
}  // namespace flags

struct CharacterInfo {
    std::uint16_t minorVersion = 0;
    std::uint16_t majorVersion = 2;
    Guid guid;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t transparentIndex = 0;
    std::uint32_t flags = 0;
    std::uint16_t animationSetMajor = 2;
    std::uint16_t animationSetMinor = 0;
    std::optional<VoiceInfo> voice;      // present when flags has kVoiceOutput
    std::optional<BalloonInfo> balloon;  // present when flags has kBalloonEnabled
    QList<QRgb> palette;
    std::optional<TrayIcon> trayIcon;
    QList<State> states;
    QList<LocalizedInfo> localized;
    bool operator==(const CharacterInfo&) const = default;
};

struct FrameImage {
    std::uint32_t image = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
    bool operator==(const FrameImage&) const = default;
};

struct Branch {
    std::uint16_t frame = 0;
    std::uint16_t probability = 0;
    bool operator==(const Branch&) const = default;
};

enum class MouthShape : std::uint8_t {
    Closed = 0,
    WideOpen1 = 1,
    WideOpen2 = 2,
    WideOpen3 = 3,
    WideOpen4 = 4,
    Medium = 5,
    Narrow = 6,
};
inline constexpr int kMouthShapeCount = 7;

struct MouthOverlay {
    std::uint8_t shape = 0;  // a MouthShape value; files may hold others, kept as they are
    bool replacesTopImage = false;
    std::uint16_t image = 0;
    std::uint8_t unknown = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::uint16_t width = 0;   // as stored (half the pixel width)
    std::uint16_t height = 0;  // as stored (half the pixel height)
    std::optional<QByteArray> region;
    bool operator==(const MouthOverlay&) const = default;
};

inline constexpr std::uint16_t kNoSound = 0xFFFF;

struct Frame {
    QList<FrameImage> images;  // drawn last to first: images.first() is on top
    std::uint16_t sound = kNoSound;
    std::uint16_t duration = 0;  // hundredths of a second
    std::int16_t exitFrame = -1;
    QList<Branch> branches;
    QList<MouthOverlay> overlays;
    bool operator==(const Frame&) const = default;
};

enum class Transition : std::uint8_t { ReturnAnimation = 0, ExitBranches = 1, None = 2 };

struct Animation {
    QString name;
    std::uint8_t transition = 2;  // a Transition value
    QString returnAnimation;
    QList<Frame> frames;

    // Total playing time of the frames in order, in milliseconds.
    qint64 durationMs() const;
    bool operator==(const Animation&) const = default;
};

// An image's description as read from the file; its pixels are decoded on demand.
struct ImageInfo {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t unknown = 0;
    bool compressed = false;
    std::uint32_t checksum = 0;
    std::uint32_t dataOffset = 0;  // of the pixel bytes in the file
    std::uint32_t dataSize = 0;
    std::uint32_t regionOffset = 0;
    std::uint32_t regionStoredSize = 0;  // 0 when the region is stored plain
    std::uint32_t regionSize = 0;
};

struct SoundInfo {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    std::uint32_t checksum = 0;
};

// Bytes per stored pixel row: 8-bit rows padded to a multiple of four.
inline constexpr std::uint32_t rowStride(std::uint32_t width) {
    return (width + 3u) & ~3u;
}

}  // namespace agent::format

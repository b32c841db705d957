// A character file opened for use: its structures parsed and checked at load, its images decoded on first
// use. Files come from the internet, so every count, size and offset is checked and a bad file gives an
// error string naming the structure and the offset, never a crash.
#pragma once

#include "agent/format/acs_types.h"
#include "agent/result.h"

#include <QByteArray>
#include <QCache>
#include <QHash>
#include <QImage>
#include <QString>

namespace agent::format {

// Bounds on what a file may claim. The defaults are far above any genuine character.
struct Limits {
    std::uint64_t maxFileSize = 512ull * 1024 * 1024;
    std::uint32_t maxAnimations = 20000;
    std::uint32_t maxFrames = 20000;  // per animation
    std::uint32_t maxImages = 200000;
    std::uint32_t maxSounds = 20000;
    std::uint32_t maxStates = 10000;
    std::uint32_t maxStringChars = 1u << 20;
    std::uint32_t maxImageSide = 4096;
    std::uint32_t maxRegionSize = 16u * 1024 * 1024;
};

class AcsFile {
public:
    AcsFile() = default;

    // Each load replaces what the object held. A failed load leaves it empty, whatever it held before:
    // isLoaded() is false and every accessor below answers as for a file with nothing in it (empty lists,
    // failed images, nullptr lookups), so nothing half-read can be used.
    Status load(const QString& path, const Limits& limits = {});
    Status loadData(const QByteArray& data, const Limits& limits = {});
    bool isLoaded() const { return loaded_; }

    const CharacterInfo& info() const { return info_; }
    const QList<Animation>& animations() const { return animations_; }
    const QList<ImageInfo>& images() const { return images_; }
    const QList<SoundInfo>& sounds() const { return sounds_; }
    const QByteArray& data() const { return data_; }

    // Looked up without regard to case; -1 or nullptr when absent.
    int animationIndex(QStringView name) const;
    const Animation* animation(QStringView name) const;
    const State* state(QStringView name) const;

    // The localized entry for a language, else US English, else the first.
    const LocalizedInfo* localized(std::uint16_t language = 0x0409) const;

    // The image's pixels as Format_Indexed8 with the character's palette, top row first. Fails when the
    // stored data is damaged. Recently used images are kept.
    Result<QImage> image(int index) const;
    // Decodes without the cache into `out` (stride rowStride(width), bottom row first as stored).
    Status decodeIndices(int index, std::uint8_t* out, std::size_t outSize) const;
    // The image's region (a Windows RGNDATA), decompressed when needed; empty when there is none.
    Result<QByteArray> region(int index) const;
    // The sound's RIFF WAVE bytes; empty when out of range.
    QByteArray sound(int index) const;

private:
    void clear();
    // Empties the object (see load()) and gives the failure to pass on.
    Failure fail(const QString& message);

    QByteArray data_;
    bool loaded_ = false;
    CharacterInfo info_;
    QList<Animation> animations_;
    QList<ImageInfo> images_;
    QList<SoundInfo> sounds_;
    QHash<QString, int> animationByName_;
    QHash<QString, int> stateByName_;
    QList<QRgb> colorTable_;
    mutable QCache<int, QImage> imageCache_{8 * 1024};  // cost in KiB
};

}  // namespace agent::format

// A character file opened for use: its structures read and checked at load, each image's header read and
// checked and its pixels decoded on first use. A file opened by path stays open and is read from as images
// and sounds are wanted. Files come from the internet, so every count, size and offset is checked and a bad
// file gives an error string naming the structure and the offset, never a crash; a damaged image costs only
// what shows it.
#pragma once

#include "agent/format/acs_types.h"
#include "agent/format/file_bytes.h"
#include "agent/result.h"

#include <QByteArray>
#include <QCache>
#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

namespace agent::format {

// Where an image's block lies in the file.
struct ImageBlock {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

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
    const QList<SoundInfo>& sounds() const { return sounds_; }
    int imageCount() const { return int(images_.size()); }
    // The image's header; fails when the image does not exist, its block cannot be read or the header is
    // damaged.
    Result<ImageInfo> imageInfo(int index) const;
    // The file's own size (a version 1.5 file's images and sounds are read from bytes of their own).
    std::uint64_t fileSize() const { return fileSize_; }
    // What the load read past and left out, each saying where and what it cost; empty for an undamaged file.
    const QStringList& leftOut() const { return leftOut_; }
    // Different for every load, so that what was taken from one load is not taken for another's.
    std::uint64_t generation() const { return generation_; }

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
    // The sound's RIFF WAVE bytes; empty when out of range or not readable.
    QByteArray sound(int index) const;

private:
    void clear();
    // Empties the object (see load()) and gives the failure to pass on.
    Failure fail(const QString& message);
    Status adopt(FileBytes bytes, const Limits& limits);

    mutable FileBytes bytes_;
    Limits limits_;
    bool loaded_ = false;
    std::uint64_t fileSize_ = 0;
    QStringList leftOut_;
    std::uint64_t generation_ = 0;
    CharacterInfo info_;
    QList<Animation> animations_;
    // An image whose block is known but whose header is not yet read holds only its checksum.
    mutable QList<ImageInfo> images_;
    std::vector<ImageBlock> imageBlocks_;   // empty when every header was read at load
    mutable std::vector<bool> headerRead_;  // by image, beside imageBlocks_
    QList<SoundInfo> sounds_;
    QHash<QString, int> animationByName_;
    QHash<QString, int> stateByName_;
    QList<QRgb> colorTable_;
    // Cost in KiB. An image decodes in about 16 us; the images of the frames in use are what is worth
    // keeping.
    mutable QCache<int, QImage> imageCache_{2 * 1024};
};

}  // namespace agent::format

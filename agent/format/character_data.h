// A whole character in memory, with every image's pixels: what the writer takes, and what a read file
// gives back when it is to be rewritten or edited.
#pragma once

#include "agent/format/acs_types.h"
#include "agent/result.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace agent::format {

class AcsFile;

struct ImageData {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t unknown = 0;
    std::uint32_t checksum = 0;
    QByteArray pixels;  // palette indices, bottom row first, rows of rowStride(width) bytes
    QByteArray region;  // a Windows RGNDATA, or empty
    bool operator==(const ImageData&) const = default;
};

struct SoundData {
    QByteArray wave;  // RIFF WAVE bytes
    std::uint32_t checksum = 0;
    bool operator==(const SoundData&) const = default;
};

struct CharacterData {
    CharacterInfo info;
    QList<Animation> animations;
    QList<ImageData> images;
    QList<SoundData> sounds;
    bool operator==(const CharacterData&) const = default;
};

// Everything in a loaded file, with every image decoded. Fails when an image is damaged.
Result<CharacterData> extractCharacter(const AcsFile& file);

}  // namespace agent::format

// Reading of a version-2 character file into plain values. AcsFile keeps the result only when the whole file
// reads, so a reader that stops half-way can leave nothing behind.
#pragma once

#include "agent/format/acs_file.h"
#include "agent/format/byte_reader.h"
#include "agent/format/file_bytes.h"
#include "agent/result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace agent::format {

struct ParsedCharacter {
    QByteArray data;  // what the images' and sounds' offsets point into, when the reader made it
    CharacterInfo info;
    QList<Animation> animations;
    // Either every image with its header read, or (`imageBlocks` not empty) as many images holding only
    // their checksums, each with its block, to be read by readImageHeader() on first use.
    QList<ImageInfo> images;
    std::vector<ImageBlock> imageBlocks;
    QList<SoundInfo> sounds;
    // Damage the reader read past, each saying what it cost (an animation, an image, a frame's sound).
    QStringList warnings;
};

// Fetches from `bytes` only the structures, not the images' blocks nor the sounds. Fails with an error
// naming the structure and its offset when the file cannot be read.
Result<ParsedCharacter> parseCharacterFile(FileBytes& bytes, const Limits& limits);

// The header of image `index` in its fetched block, checked against the block and the limits.
Result<ImageInfo> readImageHeader(const QByteArray& data, const ImageBlock& block, std::uint32_t index,
                                  std::uint32_t checksum, const Limits& limits);

// Structures both versions of the format store alike, but for how a string is written.
using StringReader = QString (*)(ByteReader& r, std::uint32_t maxChars);
BalloonInfo readBalloonBlock(ByteReader& r, StringReader string, std::uint32_t maxChars);
// Fails the reader when the character's frame size is empty or over the limits.
void checkCharacterSize(ByteReader& r, const CharacterInfo& ci, const Limits& limits);

}  // namespace agent::format

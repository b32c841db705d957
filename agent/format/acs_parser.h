// Reading of a version-2 character file into plain values. AcsFile keeps the result only when the whole file
// reads, so a reader that stops half-way can leave nothing behind.
#pragma once

#include "agent/format/acs_file.h"
#include "agent/format/byte_reader.h"
#include "agent/result.h"

#include <QByteArray>
#include <QString>

namespace agent::format {

struct ParsedCharacter {
    QByteArray data;  // what the images' and sounds' offsets point into
    CharacterInfo info;
    QList<Animation> animations;
    QList<ImageInfo> images;
    QList<SoundInfo> sounds;
};

// Fails with an error naming the structure and its offset when the file cannot be read.
Result<ParsedCharacter> parseCharacterFile(const QByteArray& data, const Limits& limits);

// Structures both versions of the format store alike, but for how a string is written.
using StringReader = QString (*)(ByteReader& r, std::uint32_t maxChars);
BalloonInfo readBalloonBlock(ByteReader& r, StringReader string, std::uint32_t maxChars);
// Fails the reader when the character's frame size is empty or over the limits.
void checkCharacterSize(ByteReader& r, const CharacterInfo& ci, const Limits& limits);

}  // namespace agent::format

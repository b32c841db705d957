// Writes a character in the version-2 .acs format, so that we can build our own characters and rewrite
// read ones. Images and regions are stored compressed or plain as asked.
#pragma once

#include "agent/format/character_data.h"
#include "agent/result.h"

#include <QByteArray>
#include <QString>

namespace agent::format {

struct WriteOptions {
    bool compressImages = true;
    bool compressRegions = true;
};

// The file's bytes. Fails when the character cannot be stored (a count too large for its field, pixels that
// do not match an image's size, an index out of range).
Result<QByteArray> writeCharacter(const CharacterData& character, const WriteOptions& options);

// Writes through QSaveFile, so that a failure leaves any earlier file in place.
Status saveCharacter(const QString& path, const CharacterData& character, const WriteOptions& options);

}  // namespace agent::format

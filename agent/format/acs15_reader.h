// Reading of version 1.5 character files, which an OLE compound document holds: a stream "char.acf" with the
// character's description and animation list, and one stream per animation with its sounds, images and
// frames. The result is the same model a version 2 file gives, so nothing above the format layer can tell
// the two apart.
#pragma once

#include "agent/format/acs_file.h"
#include "agent/format/acs_parser.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace agent::format {

// The streams are decompressed one after another into `out->data`, and the offsets of images, regions and
// sounds point into it, so that images decode lazily as in version 2. A damaged animation stream, or damage
// inside one, costs only the animation or the part (an image, a sound, a frame's number, a mouth shape),
// each said in `warnings`. Fails, with an error naming the stream, the structure and the offset, when the
// document or the character's own stream is damaged or of a kind no known file shows, or when no animation
// is left. `limits.maxFileSize` also bounds the decompressed streams taken together.
Result<ParsedCharacter> readAcs15(const QByteArray& file, const Limits& limits);

}  // namespace agent::format

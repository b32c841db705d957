// The bit-stream compression that character files use for images and regions: an LZ77 variant whose
// back-references reach up to a megabyte behind, read least significant bit first.
#pragma once

#include "agent/result.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace agent::format {

// Decodes `input` (starting with the leading zero byte) into exactly `outSize` bytes at `out`, giving the
// count written. Fails, without writing past `out + outSize`, on a truncated stream, a back-reference before
// the start of the output, a length code that overflows, or output that would not fit; the error says what
// went wrong and at which input byte.
Result<std::size_t> decompress(const std::uint8_t* input, std::size_t inputSize, std::uint8_t* out,
                               std::size_t outSize);

// Encodes `input` so that decompress() gives it back. Greedy matching over a hash of three-byte prefixes;
// long runs of one byte (most of an image's transparent margin) cost a few bits each.
QByteArray compress(const std::uint8_t* input, std::size_t inputSize);
inline QByteArray compress(const QByteArray& input) {
    return compress(reinterpret_cast<const std::uint8_t*>(input.constData()), std::size_t(input.size()));
}

}  // namespace agent::format

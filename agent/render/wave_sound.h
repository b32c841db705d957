// The sounds a character file carries for its frames, RIFF WAVE files, decoded for playing. They come from
// downloaded files, so every size is checked and anything not plain PCM is refused with a reason.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

#include "agent/result.h"

namespace agent::render {

struct WaveSound {
    std::vector<std::int16_t> samples;  // one channel: stereo and wider are mixed down
    int sampleRate = 0;

    qint64 durationMs() const { return sampleRate > 0 ? qint64(samples.size()) * 1000 / sampleRate : 0; }
};

// 8-bit unsigned or 16-bit signed PCM with up to eight channels, or Microsoft ADPCM with one or two, at any
// rate up to 384 kHz. Fails, saying why, for any other format or a damaged or truncated file.
Result<WaveSound> decodeWave(const QByteArray& bytes);

}  // namespace agent::render

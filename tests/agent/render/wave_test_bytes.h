// RIFF WAVE files built byte by byte for the sound tests, so each case states exactly what a file holds.
#pragma once

#include <QByteArray>

#include <cstdint>
#include <initializer_list>

namespace soundtest {

// 16-bit little-endian values, as RIFF stores them; negative ones in two's complement.
inline QByteArray u16(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) {
        out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
    }
    return out;
}

inline QByteArray u32(std::uint32_t v) {
    return u16({int(v & 0xFFFF), int(v >> 16)});
}

inline QByteArray chunk(const char* id, const QByteArray& body, bool pad = true) {
    return QByteArray(id, 4) + u32(std::uint32_t(body.size())) + body +
           QByteArray(pad ? body.size() % 2 : 0, '\0');
}

inline QByteArray riff(const QByteArray& chunks) {
    return "RIFF" + u32(std::uint32_t(4 + chunks.size())) + "WAVE" + chunks;
}

inline QByteArray formatBody(int tag, int channels, std::uint32_t rate, int bits) {
    const int frame = channels * (bits / 8);
    return u16({tag, channels}) + u32(rate) + u32(rate * std::uint32_t(frame)) + u16({frame, bits});
}

// A plain PCM file.
inline QByteArray wave(int channels, std::uint32_t rate, int bits, const QByteArray& data) {
    return riff(chunk("fmt ", formatBody(1, channels, rate, bits)) + chunk("data", data));
}

// A Microsoft ADPCM format chunk body, with the usual seven coefficient pairs unless told otherwise.
inline QByteArray adpcmFormatBody(int channels, int blockAlign,
                                  std::initializer_list<int> coefficients = {256, 0, 512, -256, 0, 0, 192, 64,
                                                                             240, 0, 460, -208, 392, -232}) {
    const int count = int(coefficients.size());
    const int samplesPerBlock = (blockAlign - 7 * channels) * 2 / channels + 2;
    return u16({2, channels}) + u32(8000) + u32(4000) +
           u16({blockAlign, 4, 4 + count * 2, samplesPerBlock, count / 2}) + u16(coefficients);
}

// One channel's part of an ADPCM block header: predictor, step, and the two samples that start the block
// (the later one first, as stored). The file interleaves the channels field by field.
struct AdpcmStart {
    int predictor, step, sample1, sample2;
};

inline QByteArray adpcmBlock(std::initializer_list<AdpcmStart> channels, const QByteArray& nibbles) {
    QByteArray predictors, steps, firsts, seconds;
    for (const AdpcmStart& c : channels) {
        predictors.append(char(c.predictor));
        steps += u16({c.step});
        firsts += u16({c.sample1});
        seconds += u16({c.sample2});
    }
    return predictors + steps + firsts + seconds + nibbles;
}

}  // namespace soundtest

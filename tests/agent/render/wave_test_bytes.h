// RIFF WAVE files built byte by byte for the sound tests, so each case states exactly what a file holds.
#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>

namespace soundtest {

inline void putU16(QByteArray& out, std::uint16_t v) {
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

inline void putU32(QByteArray& out, std::uint32_t v) {
    putU16(out, std::uint16_t(v & 0xFFFF));
    putU16(out, std::uint16_t(v >> 16));
}

inline QByteArray chunk(const char* id, const QByteArray& body, bool pad = true) {
    QByteArray out(id, 4);
    putU32(out, std::uint32_t(body.size()));
    out += body;
    if (pad && body.size() % 2 != 0) {
        out.append('\0');
    }
    return out;
}

inline QByteArray formatBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                             std::uint16_t bits) {
    QByteArray body;
    putU16(body, tag);
    putU16(body, channels);
    putU32(body, rate);
    putU32(body, rate * channels * (bits / 8u));
    putU16(body, std::uint16_t(channels * (bits / 8u)));
    putU16(body, bits);
    return body;
}

inline QByteArray riff(const QByteArray& chunks) {
    QByteArray out("RIFF");
    putU32(out, std::uint32_t(4 + chunks.size()));
    return out + "WAVE" + chunks;
}

inline QByteArray samples16(const QList<std::int16_t>& values) {
    QByteArray out;
    for (std::int16_t v : values) {
        putU16(out, std::uint16_t(v));
    }
    return out;
}

// A Microsoft ADPCM format chunk body, with the usual seven coefficient pairs unless told otherwise.
inline QByteArray adpcmFormatBody(std::uint16_t channels, std::uint16_t blockAlign,
                                  const QList<std::int16_t>& coefficients = {256, 0, 512, -256, 0, 0, 192, 64,
                                                                             240, 0, 460, -208, 392, -232}) {
    QByteArray body;
    putU16(body, 2);
    putU16(body, channels);
    putU32(body, 8000);
    putU32(body, 4000);
    putU16(body, blockAlign);
    putU16(body, 4);
    putU16(body, std::uint16_t(4 + coefficients.size() * 2));
    putU16(body, std::uint16_t((blockAlign - 7 * channels) * 2 / channels + 2));
    putU16(body, std::uint16_t(coefficients.size() / 2));
    for (std::int16_t c : coefficients) {
        putU16(body, std::uint16_t(c));
    }
    return body;
}

// One ADPCM block header for a channel: predictor, step, and the two samples that start the block (the
// later one first, as stored).
struct AdpcmStart {
    std::uint8_t predictor;
    std::int16_t step;
    std::int16_t sample1;
    std::int16_t sample2;
};

inline QByteArray adpcmBlock(const QList<AdpcmStart>& channels, const QByteArray& nibbles) {
    QByteArray out;
    for (const AdpcmStart& c : channels) {
        out.append(char(c.predictor));
    }
    for (const AdpcmStart& c : channels) {
        putU16(out, std::uint16_t(c.step));
    }
    for (const AdpcmStart& c : channels) {
        putU16(out, std::uint16_t(c.sample1));
    }
    for (const AdpcmStart& c : channels) {
        putU16(out, std::uint16_t(c.sample2));
    }
    return out + nibbles;
}

// A plain PCM file.
inline QByteArray wave(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
                       const QByteArray& data) {
    return riff(chunk("fmt ", formatBody(1, channels, rate, bits)) + chunk("data", data));
}

}  // namespace soundtest

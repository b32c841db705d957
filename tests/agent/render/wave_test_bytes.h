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

}  // namespace soundtest

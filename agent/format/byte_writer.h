// Little-endian values appended to a growing file, in the shapes character files store them: 16-bit
// counted strings ending in a zero, GUIDs, palette quads and colour references.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QtEndian>

#include <cstdint>

#include "agent/format/acs_types.h"

namespace agent::format {

class ByteWriter {
public:
    void u8(std::uint32_t v) { out_.append(char(v & 0xFF)); }
    void u16(std::uint32_t v) {
        u8(v);
        u8(v >> 8);
    }
    void u32(std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void bytes(const QByteArray& b) { out_.append(b); }
    void string(const QString& s) {
        u32(std::uint32_t(s.size()));
        if (s.isEmpty()) {
            return;
        }
        for (QChar c : s) {
            u16(c.unicode());
        }
        u16(0);
    }
    void guid(const Guid& g) { out_.append(reinterpret_cast<const char*>(g.bytes.data()), 16); }
    void rgbQuad(QRgb c) {
        u8(qBlue(c));
        u8(qGreen(c));
        u8(qRed(c));
        u8(0);
    }
    void colorRef(QRgb c) {
        u8(qRed(c));
        u8(qGreen(c));
        u8(qBlue(c));
        u8(0);
    }
    void patch32(qsizetype at, std::uint32_t v) { qToLittleEndian(v, out_.data() + at); }
    qsizetype size() const { return out_.size(); }
    QByteArray take() { return std::move(out_); }

private:
    QByteArray out_;
};

}  // namespace agent::format

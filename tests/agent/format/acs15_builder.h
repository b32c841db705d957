// Builds small OLE compound documents and version 1.5 characters in them, for the reader's tests and the
// fuzzers' seeds. The writer is deliberately plain (version 3, 512-byte sectors, each stream in consecutive
// sectors) and tells where it put things, so that a test can damage exactly one structure.
#pragma once

#include "agent/format/compression.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtEndian>

#include <cstdint>

namespace formattest {

class Bytes {
public:
    Bytes& u8(std::uint32_t v) {
        out.append(char(v & 0xFF));
        return *this;
    }
    Bytes& u16(std::uint32_t v) { return u8(v).u8(v >> 8); }
    Bytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& bytes(const QByteArray& b) {
        out.append(b);
        return *this;
    }
    // A count of UTF-16 units and the units, without a terminating zero, as version 1.5 stores strings.
    Bytes& str(const QString& s) {
        u32(std::uint32_t(s.size()));
        for (QChar c : s) {
            u16(c.unicode());
        }
        return *this;
    }
    QByteArray out;
};

inline void put32(QByteArray& b, qsizetype at, std::uint32_t v) {
    qToLittleEndian(v, b.data() + at);
}
inline std::uint32_t get32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<std::uint32_t>(b.constData() + at);
}

struct CfbStream {
    QString name;
    QByteArray data;
};

// Where the writer put things, in sectors and file offsets.
struct CfbLayout {
    QList<std::uint32_t> fatSectors;
    std::uint32_t directoryStart = 0;
    QList<std::uint32_t> streamStart;  // a sector, or a mini sector for a stream under 4096 bytes

    static qsizetype sectorOffset(std::uint32_t s) { return (qsizetype(s) + 1) * 512; }
    qsizetype fatEntry(std::uint32_t s) const { return sectorOffset(fatSectors[s / 128]) + (s % 128) * 4; }
    qsizetype directoryEntry(int i) const {
        return sectorOffset(directoryStart + std::uint32_t(i) / 4) + (i % 4) * 128;
    }
};

// The FAT comes first, then its DIFAT sectors, the directory, the mini FAT, the mini stream and the streams
// of 4096 bytes or more, each in consecutive sectors. `minFatSectors` forces a FAT larger than needed, so
// that some of its sector numbers go into DIFAT sectors.
inline QByteArray buildCompoundFile(const QList<CfbStream>& streams, CfbLayout* layout = nullptr,
                                    std::uint32_t minFatSectors = 0) {
    constexpr std::uint32_t kFree = 0xFFFFFFFF, kEnd = 0xFFFFFFFE;
    auto units = [](qsizetype bytes, int unit) { return std::uint32_t((bytes + unit - 1) / unit); };
    auto padded = [](QByteArray b, int unit, char fill) {
        return b.append(QByteArray((unit - b.size() % unit) % unit, fill));
    };
    // Chains units for `bytes` onto the end of `table`, and gives the first (or the end mark for none).
    auto chain = [&](std::vector<std::uint32_t>& table, qsizetype bytes, int unit) {
        const auto start = std::uint32_t(table.size());
        const std::uint32_t n = units(bytes, unit);
        for (std::uint32_t i = 1; i <= n; ++i) {
            table.push_back(i < n ? start + i : kEnd);
        }
        return n == 0 ? kEnd : start;
    };
    CfbLayout at;
    QByteArray mini;
    QList<CfbStream> large;
    std::vector<std::uint32_t> miniFat;
    std::uint32_t body = units(qsizetype(streams.size() + 1) * 128, 512);  // sectors after the DIFAT
    for (const CfbStream& s : streams) {
        if (s.data.size() < 4096) {
            at.streamStart.append(chain(miniFat, s.data.size(), 64));
            mini.append(padded(s.data, 64, '\0'));
        } else {
            body += units(s.data.size(), 512);
        }
    }
    Bytes miniFatBytes;
    for (std::uint32_t v : miniFat) {
        miniFatBytes.u32(v);
    }
    body += units(miniFatBytes.out.size(), 512) + units(mini.size(), 512);
    std::uint32_t fatCount = std::max<std::uint32_t>(1, minFatSectors), difatCount = 0;
    for (;; ++fatCount) {
        difatCount = fatCount > 109 ? (fatCount - 109 + 126) / 127 : 0;
        if (fatCount * 128 >= fatCount + difatCount + body) {
            break;
        }
    }
    std::vector<std::uint32_t> fat(fatCount, 0xFFFFFFFD);
    for (std::uint32_t i = 0; i < fatCount; ++i) {
        at.fatSectors.append(i);
    }
    fat.insert(fat.end(), difatCount, 0xFFFFFFFC);
    at.directoryStart = chain(fat, qsizetype(streams.size() + 1) * 128, 512);
    const std::uint32_t miniFatStart = chain(fat, miniFatBytes.out.size(), 512);
    const std::uint32_t miniStreamStart = chain(fat, mini.size(), 512);
    QByteArray rest = padded(miniFatBytes.out, 512, char(0xFF)) + padded(mini, 512, '\0');
    for (int i = 0; i < streams.size(); ++i) {
        if (streams[i].data.size() >= 4096) {
            at.streamStart.insert(i, chain(fat, streams[i].data.size(), 512));
            rest.append(padded(streams[i].data, 512, '\0'));
        }
    }
    fat.resize(std::size_t(fatCount) * 128, kFree);

    Bytes h;
    h.bytes(QByteArray::fromHex("D0CF11E0A1B11AE1")).bytes(QByteArray(16, '\0'));
    h.u16(0x3E).u16(3).u16(0xFFFE).u16(9).u16(6).bytes(QByteArray(6, '\0'));
    h.u32(0).u32(fatCount).u32(at.directoryStart).u32(0).u32(4096);
    h.u32(miniFatStart).u32(units(miniFatBytes.out.size(), 512));
    h.u32(difatCount ? fatCount : kEnd).u32(difatCount);
    // The FAT's own sector numbers: 109 in the header, then 127 and a link in each DIFAT sector.
    std::uint32_t next = 0;
    for (int i = 0; i < 109; ++i) {
        h.u32(next < fatCount ? next++ : kFree);
    }
    for (std::uint32_t d = 0; d < difatCount; ++d) {
        for (int k = 0; k < 127; ++k) {
            h.u32(next < fatCount ? next++ : kFree);
        }
        h.u32(d + 1 < difatCount ? fatCount + d + 1 : kEnd);
    }
    // The FAT goes between the header and the DIFAT sectors.
    Bytes f;
    for (std::uint32_t v : fat) {
        f.u32(v);
    }
    QByteArray out = h.out.insert(512, f.out);
    Bytes dir;
    auto entry = [&](const QString& name, int type, std::uint32_t right, std::uint32_t child,
                     std::uint32_t start, std::uint32_t size) {
        QByteArray n(64, '\0');
        for (int c = 0; c < name.size(); ++c) {
            qToLittleEndian<char16_t>(name[c].unicode(), n.data() + 2 * c);
        }
        dir.bytes(n).u16(std::uint32_t(name.size() + 1) * 2).u8(type).u8(1);
        dir.u32(kFree).u32(right).u32(child).bytes(QByteArray(16 + 4 + 16, '\0'));
        dir.u32(start).u32(size).u32(0);
    };
    entry(QStringLiteral("Root Entry"), 5, kFree, streams.isEmpty() ? kFree : 1, miniStreamStart,
          std::uint32_t(mini.size()));
    for (int i = 0; i < streams.size(); ++i) {
        entry(streams[i].name, 2, i + 1 < streams.size() ? std::uint32_t(i + 2) : kFree, kFree,
              at.streamStart[i], std::uint32_t(streams[i].data.size()));
    }
    out.append(padded(dir.out, 512, '\0')).append(rest);
    if (layout != nullptr) {
        *layout = at;
    }
    return out;
}

// A version 1.5 character, described plainly; the defaults make a valid two-animation character.
struct Acs15Recipe {
    struct Overlay {
        std::uint8_t shape = 0;
        std::int16_t x = 1, y = 1;
        std::uint16_t width = 2, height = 2;
        std::uint8_t pixel = 5;
    };
    struct FrameSpec {
        std::uint16_t image = 0;
        std::uint16_t sound = 0xFFFF;
        std::uint16_t duration = 10;
        QList<std::pair<std::uint16_t, std::uint16_t>> branches;
        QList<Overlay> overlays;
    };
    struct AnimSpec {
        QString name;
        QString returnName;
        QList<QByteArray> sounds;
        QList<std::uint8_t> imagePixels;  // one image each, filled with this index over a transparent margin
        QList<FrameSpec> frames;
        std::uint8_t imageFlag = 0;
        std::uint32_t checksum = 0x12345678;
    };
    std::uint16_t majorVersion = 1;
    std::uint16_t width = 8, height = 6;  // index 0 is the transparent colour
    QString name = QStringLiteral("Tiny");
    QList<AnimSpec> animations;
    QList<std::pair<QString, QStringList>> states;
};

inline QByteArray tinyWave(int samples) {
    Bytes w;
    w.bytes("RIFF").u32(36 + samples).bytes("WAVE").bytes("fmt ").u32(16).u16(1).u16(1).u32(8000).u32(8000);
    w.u16(1).u16(8).bytes("data").u32(samples).bytes(QByteArray(samples, char(0x80)));
    return w.out;
}

inline Acs15Recipe tinyCharacter() {
    Acs15Recipe s;
    Acs15Recipe::AnimSpec rest;
    rest.name = QStringLiteral("RestPose");
    rest.imagePixels = {3};
    rest.frames = {Acs15Recipe::FrameSpec{}};
    rest.frames[0].overlays = {{0, 2, 1, 4, 2, 9}, {1, 2, 1, 4, 2, 10}};
    Acs15Recipe::AnimSpec wave;
    wave.name = QStringLiteral("Wave");
    wave.returnName = QStringLiteral("RestPose");
    wave.sounds = {tinyWave(10)};
    wave.imagePixels = {4, 7};
    wave.frames.resize(3);
    wave.frames[0].sound = 0;
    wave.frames[1].image = 1;
    wave.frames[2].branches = {{0, 50}, {1, 30}};
    wave.checksum = 0xCAFEF00D;
    s.animations = {rest, wave};
    s.states = {{QStringLiteral("Speaking"), {QStringLiteral("restpose")}}};
    return s;
}

inline QByteArray acs15CharacterBlock(const Acs15Recipe& s) {
    Bytes c;
    c.u16(0x1F).u16(s.majorVersion).u16(std::uint32_t(s.animations.size()));
    for (int i = 0; i < s.animations.size(); ++i) {
        const Acs15Recipe::AnimSpec& a = s.animations[i];
        c.str(a.name).str(QStringLiteral("anim%1.aaf").arg(i + 1)).str(a.returnName).u32(a.checksum);
    }
    c.bytes(QByteArray(16, char(0x42))).str(s.name).str(QStringLiteral("A character for tests")).str({});
    c.u16(s.width).u16(s.height).u8(0).u32(0x200);
    c.u8(2).u8(20).u32(0).u32(0xE1FFFF).u32(0).str(QStringLiteral("Sans"));
    c.u32(std::uint32_t(-13)).u32(400).u8(0).u8(0).u32(256);
    for (int i = 0; i < 256; ++i) {
        c.u8(i / 2).u8(255 - i).u8(i).u8(0);  // blue, green, red, reserved
    }
    c.u16(std::uint32_t(s.states.size()));
    for (const auto& [name, anims] : s.states) {
        c.str(name).u16(std::uint32_t(anims.size()));
        for (const QString& a : anims) {
            c.str(a);
        }
    }
    return c.out;
}

inline QByteArray acs15AnimationBlock(const Acs15Recipe& s, const Acs15Recipe::AnimSpec& a) {
    Bytes b;
    b.u16(std::uint32_t(a.sounds.size()));
    for (const QByteArray& w : a.sounds) {
        b.u32(std::uint32_t(w.size())).bytes(w);
    }
    const int stride = (s.width + 3) & ~3;
    b.u16(std::uint32_t(a.imagePixels.size()));
    for (std::uint8_t p : a.imagePixels) {
        QByteArray pixels(stride * s.height, '\0');
        for (int y = 1; y + 1 < s.height; ++y) {
            for (int x = 1; x + 1 < s.width; ++x) {
                pixels[y * stride + x] = char(p);
            }
        }
        b.u32(std::uint32_t(pixels.size())).u8(a.imageFlag).bytes(pixels).u32(0);
    }
    b.u16(std::uint32_t(a.frames.size()));
    for (const Acs15Recipe::FrameSpec& f : a.frames) {
        b.u16(f.image).u16(f.sound).u16(f.duration).u32(0).u8(std::uint32_t(f.branches.size()));
        for (const auto& [frame, probability] : f.branches) {
            b.u16(frame).u16(probability);
        }
        b.u8(std::uint32_t(f.overlays.size()));
        for (const Acs15Recipe::Overlay& o : f.overlays) {
            const QByteArray pixels(((o.width + 3) & ~3) * o.height, char(o.pixel));
            b.u8(o.shape).u32(std::uint32_t(pixels.size())).u8(0).u16(std::uint16_t(o.x));
            b.u16(std::uint16_t(o.y)).u16(o.width).u16(o.height).bytes(pixels);
        }
    }
    return b.out;
}

inline QByteArray acs15CharacterStream(const QByteArray& block) {
    const QByteArray packed = agent::format::compress(block);
    Bytes h;
    h.u32(0xABCDABC1).u32(std::uint32_t(block.size())).u32(std::uint32_t(packed.size()));
    return h.bytes(packed).out;
}

inline QByteArray acs15AnimationStream(const Acs15Recipe::AnimSpec& a, const QByteArray& block) {
    const QByteArray packed = agent::format::compress(block);
    Bytes h;
    h.u16(0x1F).u16(1).u32(a.checksum).u8(1).u32(std::uint32_t(block.size()));
    return h.u32(std::uint32_t(packed.size())).bytes(packed).out;
}

inline QList<CfbStream> acs15Streams(const Acs15Recipe& s) {
    QList<CfbStream> streams{{QStringLiteral("char.acf"), acs15CharacterStream(acs15CharacterBlock(s))}};
    for (int i = 0; i < s.animations.size(); ++i) {
        streams.append({QStringLiteral("anim%1.aaf").arg(i + 1),
                        acs15AnimationStream(s.animations[i], acs15AnimationBlock(s, s.animations[i]))});
    }
    return streams;
}

inline QByteArray buildAcs15(const Acs15Recipe& s) {
    return buildCompoundFile(acs15Streams(s));
}

}  // namespace formattest

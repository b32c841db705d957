// Builds small OLE compound documents and version 1.5 characters in them, for the reader's tests and the
// fuzzers' seeds. The writer is deliberately plain (version 3, 512-byte sectors, each stream in consecutive
// sectors) and tells where it put things, so that a test can damage exactly one structure.
#pragma once

#include "agent/format/compression.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtEndian>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

namespace formattest {

// Little-endian values; each keeps the low bytes of what it is given.
struct Bytes {
    QByteArray out;
    Bytes& u8(std::uint64_t v) { return bytes(QByteArray(1, char(v & 0xFF))); }
    Bytes& u16(std::uint64_t v) { return u8(v).u8(v >> 8); }
    Bytes& u32(std::uint64_t v) { return u16(v).u16(v >> 16); }
    Bytes& u32s(const std::vector<std::uint32_t>& vs) {
        for (std::uint32_t v : vs) {
            u32(v);
        }
        return *this;
    }
    Bytes& bytes(const QByteArray& b) {
        out.append(b);
        return *this;
    }
    // A count of UTF-16 units and the units, without a terminating zero, as version 1.5 stores strings.
    Bytes& str(const QString& s) {
        return u32(s.size()).bytes(QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2));
    }
};

inline void put16(QByteArray& b, qsizetype at, std::uint16_t v) {
    qToLittleEndian(v, b.data() + at);
}
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

// Where the writer put things, in sectors and file offsets. The FAT takes sectors 0 to fatCount - 1.
struct CfbLayout {
    std::uint32_t fatCount = 0, directoryStart = 0;
    QList<std::uint32_t> streamStart;  // a sector, or a mini sector for a stream under 4096 bytes

    static qsizetype sectorOffset(std::uint32_t s) { return (qsizetype(s) + 1) * 512; }
    static qsizetype fatEntry(std::uint32_t s) { return sectorOffset(0) + qsizetype(s) * 4; }
    qsizetype directoryEntry(int i) const { return sectorOffset(directoryStart) + i * 128; }
};

// The FAT comes first, then its DIFAT sectors, the directory, the mini FAT, the mini stream and the streams
// of 4096 bytes or more, each in consecutive sectors. `minFatSectors` forces a FAT larger than needed, so
// that some of its sector numbers go into DIFAT sectors.
inline QByteArray buildCompoundFile(const QList<CfbStream>& streams, CfbLayout* layout = nullptr,
                                    std::uint32_t minFatSectors = 0) {
    constexpr std::uint32_t kFree = 0xFFFFFFFF, kEnd = 0xFFFFFFFE;
    auto units = [](qsizetype bytes, int unit) { return std::uint32_t((bytes + unit - 1) / unit); };
    auto padded = [](QByteArray b, int unit, char fill = '\0') {
        return b.append(QByteArray((unit - b.size() % unit) % unit, fill));
    };
    // Chains units for `bytes` onto the end of `table`, and gives the first (or the end mark for none).
    auto chain = [&](std::vector<std::uint32_t>& table, qsizetype bytes, int unit) {
        const auto start = std::uint32_t(table.size()), n = units(bytes, unit);
        for (std::uint32_t i = 1; i <= n; ++i) {
            table.push_back(i < n ? start + i : kEnd);
        }
        return n == 0 ? kEnd : start;
    };
    CfbLayout at;
    QByteArray mini, large;
    std::vector<std::uint32_t> miniFat, fat;
    for (const CfbStream& s : streams) {
        if (s.data.size() < 4096) {
            at.streamStart.append(chain(miniFat, s.data.size(), 64));
            mini.append(padded(s.data, 64));
        } else {
            large.append(padded(s.data, 512));
        }
    }
    const QByteArray miniFatBytes = padded(Bytes().u32s(miniFat).out, 512, char(0xFF));
    const qsizetype dirBytes = (streams.size() + 1) * 128;
    const std::uint32_t body = units(dirBytes, 512) + units(miniFatBytes.size() + mini.size(), 512) +
                               units(large.size(), 512);  // sectors after the DIFAT
    auto difatFor = [](std::uint32_t fats) { return fats > 109 ? (fats - 109 + 126) / 127 : 0; };
    at.fatCount = std::max<std::uint32_t>(1, minFatSectors);
    while (at.fatCount * 128 < at.fatCount + difatFor(at.fatCount) + body) {
        ++at.fatCount;
    }
    const std::uint32_t difatCount = difatFor(at.fatCount);
    fat.assign(at.fatCount, 0xFFFFFFFD);
    fat.insert(fat.end(), difatCount, 0xFFFFFFFC);
    at.directoryStart = chain(fat, dirBytes, 512);
    const std::uint32_t miniFatStart = chain(fat, miniFat.size() * 4, 512);
    const std::uint32_t miniStreamStart = chain(fat, mini.size(), 512);
    for (int i = 0; i < streams.size(); ++i) {
        if (streams[i].data.size() >= 4096) {
            at.streamStart.insert(i, chain(fat, streams[i].data.size(), 512));
        }
    }
    fat.resize(std::size_t(at.fatCount) * 128, kFree);
    // The FAT's own sector numbers: 109 in the header, then 127 and a link in each DIFAT sector.
    std::vector<std::uint32_t> difat(109 + 127 * difatCount, kFree);
    std::iota(difat.begin(), difat.begin() + at.fatCount, 0);
    for (std::uint32_t d = 0; d < difatCount; ++d) {
        difat.insert(difat.begin() + 109 + 128 * d + 127, d + 1 < difatCount ? at.fatCount + d + 1 : kEnd);
    }
    Bytes h;
    h.bytes(QByteArray::fromHex("D0CF11E0A1B11AE1")).bytes(QByteArray(16, '\0'));
    h.u16(0x3E).u16(3).u16(0xFFFE).u16(9).u16(6).bytes(QByteArray(6, '\0'));
    h.u32(0).u32(at.fatCount).u32(at.directoryStart).u32(0).u32(4096).u32(miniFatStart);
    h.u32(units(miniFat.size() * 4, 512)).u32(difatCount ? at.fatCount : kEnd).u32(difatCount).u32s(difat);
    // The FAT goes between the header and the DIFAT sectors.
    h.out.insert(512, Bytes().u32s(fat).out);
    Bytes dir;
    auto entry = [&](const QString& name, int type, std::uint32_t right, std::uint32_t child,
                     std::uint32_t start, qsizetype size) {
        const QByteArray utf16(reinterpret_cast<const char*>(name.utf16()), name.size() * 2);
        dir.bytes(utf16.leftJustified(64, '\0')).u16((name.size() + 1) * 2).u8(type).u8(1);
        dir.u32(kFree).u32(right).u32(child).bytes(QByteArray(36, '\0')).u32(start).u32(size).u32(0);
    };
    entry(QStringLiteral("Root Entry"), 5, kFree, streams.isEmpty() ? kFree : 1, miniStreamStart,
          mini.size());
    for (int i = 0; i < streams.size(); ++i) {
        entry(streams[i].name, 2, i + 1 < streams.size() ? i + 2 : kFree, kFree, at.streamStart[i],
              streams[i].data.size());
    }
    if (layout != nullptr) {
        *layout = at;
    }
    return h.out + padded(dir.out, 512) + miniFatBytes + padded(mini, 512) + large;
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
        std::uint16_t image = 0, sound = 0xFFFF, duration = 10;
        QList<std::pair<std::uint16_t, std::uint16_t>> branches;
        QList<Overlay> overlays;
    };
    struct AnimSpec {
        QString name, returnName;
        QList<QByteArray> sounds;
        QList<std::uint8_t> imagePixels;  // one image each, filled with this index over a transparent margin
        QList<FrameSpec> frames;
        std::uint8_t imageFlag = 0;
        std::uint32_t checksum = 0x12345678;
    };
    std::uint16_t majorVersion = 1, width = 8, height = 6;  // index 0 is the transparent colour
    QList<AnimSpec> animations;
};

inline QByteArray tinyWave(int samples) {
    Bytes w;
    w.bytes("RIFF").u32(36 + samples).bytes("WAVE").bytes("fmt ").u32(16).u16(1).u16(1).u32(8000).u32(8000);
    return w.u16(1).u16(8).bytes("data").u32(samples).bytes(QByteArray(samples, char(0x80))).out;
}

// Two animations, RestPose with two mouths and Wave with a sound, a second image and branches.
inline Acs15Recipe tinyCharacter(std::uint16_t majorVersion = 1) {
    using Frame = Acs15Recipe::FrameSpec;
    const Frame rest{0, 0xFFFF, 10, {}, {{0, 2, 1, 4, 2, 9}, {1, 2, 1, 4, 2, 10}}};
    const QList<Frame> wave{
        {0, 0, 10, {}, {}}, {1, 0xFFFF, 10, {}, {}}, {0, 0xFFFF, 10, {{0, 50}, {1, 30}}, {}}};
    Acs15Recipe s;
    s.majorVersion = majorVersion;
    s.animations = {
        {QStringLiteral("RestPose"), {}, {}, {3}, {rest}, 0, 0x12345678},
        {QStringLiteral("Wave"), QStringLiteral("RestPose"), {tinyWave(10)}, {4, 7}, wave, 0, 0xCAFEF00D}};
    return s;
}

// A stream's header fields, the block's size, its compressed size and the compressed block.
inline QByteArray acs15Packed(Bytes header, const QByteArray& block) {
    const QByteArray packed = agent::format::compress(block);
    return header.u32(block.size()).u32(packed.size()).bytes(packed).out;
}

inline QList<CfbStream> acs15Streams(const Acs15Recipe& s) {
    Bytes c;
    c.u16(0x1F).u16(s.majorVersion).u16(s.animations.size());
    QList<CfbStream> streams{{QStringLiteral("char.acf"), {}}};
    const int stride = (s.width + 3) & ~3;
    for (const Acs15Recipe::AnimSpec& a : s.animations) {
        const QString stream = QStringLiteral("anim%1.aaf").arg(streams.size());
        c.str(a.name).str(stream).str(a.returnName).u32(a.checksum);
        Bytes b;
        b.u16(a.sounds.size());
        for (const QByteArray& w : a.sounds) {
            b.u32(w.size()).bytes(w);
        }
        b.u16(a.imagePixels.size());
        for (std::uint8_t p : a.imagePixels) {
            QByteArray pixels(stride * s.height, '\0');
            for (int y = 1; y + 1 < s.height; ++y) {
                pixels.replace(y * stride + 1, s.width - 2, QByteArray(s.width - 2, char(p)));
            }
            b.u32(pixels.size()).u8(a.imageFlag).bytes(pixels).u32(0);
        }
        b.u16(a.frames.size());
        for (const Acs15Recipe::FrameSpec& f : a.frames) {
            b.u16(f.image).u16(f.sound).u16(f.duration).u32(0).u8(f.branches.size());
            for (const auto& [frame, probability] : f.branches) {
                b.u16(frame).u16(probability);
            }
            b.u8(f.overlays.size());
            for (const Acs15Recipe::Overlay& o : f.overlays) {
                const QByteArray pixels(((o.width + 3) & ~3) * o.height, char(o.pixel));
                b.u8(o.shape).u32(pixels.size()).u8(0).u16(o.x).u16(o.y);
                b.u16(o.width).u16(o.height).bytes(pixels);
            }
        }
        streams.append({stream, acs15Packed(Bytes().u16(0x1F).u16(1).u32(a.checksum).u8(1), b.out)});
    }
    c.bytes(QByteArray(16, char(0x42))).str(QStringLiteral("Tiny"));
    c.str(QStringLiteral("A character for tests"));
    c.str({}).u16(s.width).u16(s.height).u8(0).u32(0x200).u8(2).u8(20).u32(0).u32(0xE1FFFF).u32(0);
    c.str(QStringLiteral("Sans")).u32(-13).u32(400).u8(0).u8(0).u32(256);
    for (int i = 0; i < 256; ++i) {
        c.u8(i / 2).u8(255 - i).u8(i).u8(0);  // blue, green, red, reserved
    }
    // One state, Speaking, with one animation.
    c.u16(1).str(QStringLiteral("Speaking")).u16(1).str(QStringLiteral("restpose"));
    streams[0].data = acs15Packed(Bytes().u32(0xABCDABC1), c.out);
    return streams;
}

inline QByteArray buildAcs15(const Acs15Recipe& s) {
    return buildCompoundFile(acs15Streams(s));
}

}  // namespace formattest

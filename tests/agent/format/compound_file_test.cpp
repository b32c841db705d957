// The compound document reader on documents built here (streams in the mini stream and in sectors of their
// own, a FAT long enough to need DIFAT sectors, every kind of damage) and on the genuine version 1.5
// characters.
#include "agent/format/compound_file.h"
#include "tests/agent/format/acs15_builder.h"
#include "tests/agent/format/acs_test_files.h"

#include <gtest/gtest.h>

#include <QFile>

#include <functional>

using namespace agent::format;
using formattest::buildCompoundFile;
using formattest::CfbLayout;
using formattest::CfbStream;
using formattest::put32;

namespace {

QByteArray pattern(int size, int seed) {
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i) {
        b[i] = char((i * 7 + seed) % 251);
    }
    return b;
}

const QList<CfbStream> kStreams = {
    {QStringLiteral("small"), pattern(100, 1)},     // two mini sectors, the last one partly used
    {QStringLiteral("Exact"), pattern(64 * 3, 2)},  // three whole mini sectors
    {QStringLiteral("large"), pattern(5000, 3)},    // ten regular sectors, the last one partly used
    {QStringLiteral("cutoff"), pattern(4096, 4)},   // exactly at the cutoff: regular sectors
    {QStringLiteral("empty"), QByteArray()},
};

// With 300 FAT sectors, 109 of their numbers are in the header and the rest in two DIFAT sectors.
TEST(CompoundFile, ReadsStreamsFromTheMiniStreamAndFromSectorsWhereverTheFatIs) {
    for (const std::uint32_t fatSectors : {0u, 300u}) {
        SCOPED_TRACE(fatSectors);
        CfbLayout at;
        const QByteArray doc = buildCompoundFile(kStreams, &at, fatSectors);
        ASSERT_GE(at.fatSectors.size(), qsizetype(fatSectors));
        CompoundFile file;
        const agent::Status opened = file.open(doc);
        ASSERT_TRUE(opened) << opened.error().toStdString();
        EXPECT_EQ(file.streamNames(),
                  QStringList({QStringLiteral("small"), QStringLiteral("Exact"), QStringLiteral("large"),
                               QStringLiteral("cutoff"), QStringLiteral("empty")}));
        for (const CfbStream& s : kStreams) {
            SCOPED_TRACE(s.name.toStdString());
            const agent::Result<QByteArray> out = file.readStream(s.name);
            ASSERT_TRUE(out) << out.error().toStdString();
            EXPECT_EQ(*out, s.data);
        }
        // Names are matched without regard to case; an absent name is an error that says so.
        EXPECT_EQ(file.readStream(u"EXACT").valueOr({}), kStreams[1].data);
        const QString missing = file.readStream(u"missing").error();
        EXPECT_TRUE(missing.contains(QStringLiteral("no stream 'missing'"))) << missing.toStdString();
    }
}

struct Damage {
    const char* name;
    std::function<void(QByteArray&, const CfbLayout&)> apply;
    const char* stream;               // read after opening; nullptr when opening itself must fail
    const char* error;                // part of the expected message
    std::uint32_t minFatSectors = 0;  // 300: a FAT that goes on into two DIFAT sectors
};

TEST(CompoundFile, EachDamageGivesItsError) {
    auto put16 = [](QByteArray& b, qsizetype at, std::uint16_t v) { qToLittleEndian(v, b.data() + at); };
    const std::vector<Damage> table = {
        {"shorter than a header", [](QByteArray& b, const CfbLayout&) { b.truncate(300); }, nullptr,
         "shorter than its 512-byte header"},
        {"wrong signature", [](QByteArray& b, const CfbLayout&) { b[7] = 0; }, nullptr, "signature"},
        {"unknown version", [&](QByteArray& b, const CfbLayout&) { put16(b, 26, 5); }, nullptr,
         "header at offset 26: major version 5"},
        {"byte order", [&](QByteArray& b, const CfbLayout&) { put16(b, 28, 0xFEFF); }, nullptr,
         "header at offset 28: byte order"},
        {"sector shift", [&](QByteArray& b, const CfbLayout&) { put16(b, 30, 12); }, nullptr,
         "sector shift 12 does not fit version 3"},
        {"mini stream cutoff", [](QByteArray& b, const CfbLayout&) { put32(b, 56, 512); }, nullptr,
         "cutoff 512 is not 4096"},
        {"FAT sector count huge", [](QByteArray& b, const CfbLayout&) { put32(b, 44, 0x7FFFFFFF); }, nullptr,
         "FAT sectors are more than the"},
        {"FAT sector past the end", [](QByteArray& b, const CfbLayout&) { put32(b, 76, 5000); }, nullptr,
         "FAT sector 5000 is past the"},
        {"directory past the end", [](QByteArray& b, const CfbLayout&) { put32(b, 48, 4000); }, nullptr,
         "directory: the sector chain starts at sector 4000, past the"},
        {"mini FAT chain into a free sector",
         [](QByteArray& b, const CfbLayout& at) { put32(b, 60, at.fatSectors.size() + 200); }, nullptr,
         "mini FAT: the sector chain starts at"},
        {"root is not the root", [](QByteArray& b, const CfbLayout& at) { b[at.directoryEntry(0) + 66] = 2; },
         nullptr, "type 2 is not the root storage"},
        {"odd name length",
         [&](QByteArray& b, const CfbLayout& at) { put16(b, at.directoryEntry(1) + 64, 65); }, nullptr,
         "name length 65"},
        {"unknown object type", [](QByteArray& b, const CfbLayout& at) { b[at.directoryEntry(2) + 66] = 9; },
         nullptr, "object type 9 is not known"},
        {"sibling past the entries",
         [](QByteArray& b, const CfbLayout& at) { put32(b, at.directoryEntry(1) + 72, 99); }, nullptr,
         "the tree names entry 99, past the"},
        {"directory tree cycle",
         [](QByteArray& b, const CfbLayout& at) { put32(b, at.directoryEntry(3) + 72, 1); }, nullptr,
         "the tree comes to entry 1 a second time (a cycle)"},
        {"stream chain cycle",
         [](QByteArray& b, const CfbLayout& at) {
             put32(b, at.fatEntry(at.streamStart[2] + 3), at.streamStart[2] + 1);
         },
         "large", "stream 'large': the sector chain leads from sector"},
        {"stream chain into the free marker",
         [](QByteArray& b, const CfbLayout& at) { put32(b, at.fatEntry(at.streamStart[2]), 0xFFFFFFFF); },
         "large", "the free-sector marker instead of a sector number"},
        {"stream chain ends early",
         [](QByteArray& b, const CfbLayout& at) { put32(b, at.fatEntry(at.streamStart[2] + 4), 0xFFFFFFFE); },
         "large", "ends after 5 of the 10 sectors"},
        {"document cut inside a stream",
         [](QByteArray& b, const CfbLayout& at) {
             b.truncate(CfbLayout::sectorOffset(at.streamStart[2] + 9) + 100);
         },
         "large", "runs past the end of the"},
        {"DIFAT chain cycle",
         [](QByteArray& b, const CfbLayout& at) {
             const auto firstDifat = std::uint32_t(at.fatSectors.size());
             put32(b, CfbLayout::sectorOffset(firstDifat) + 127 * 4, firstDifat);
         },
         nullptr, "DIFAT: the chain comes to sector 300 a second time", 300},
    };
    for (const Damage& d : table) {
        SCOPED_TRACE(d.name);
        CfbLayout at;
        QByteArray doc = buildCompoundFile(kStreams, &at, d.minFatSectors);
        d.apply(doc, at);
        CompoundFile file;
        QString error;
        const agent::Status opened = file.open(doc);
        if (d.stream == nullptr) {
            ASSERT_FALSE(opened);
            EXPECT_FALSE(file.isOpen());
            EXPECT_TRUE(file.streamNames().isEmpty());
            error = opened.error();
        } else {
            ASSERT_TRUE(opened) << opened.error().toStdString();
            const agent::Result<QByteArray> out = file.readStream(QString::fromLatin1(d.stream));
            ASSERT_FALSE(out);
            error = out.error();
        }
        EXPECT_TRUE(error.startsWith(QStringLiteral("OLE compound document: "))) << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String(d.error))) << error.toStdString();
    }
}

TEST(CompoundFile, GenuineCharactersHoldTheirStreams) {
    if (formattest::acsDir().isEmpty()) {
        GTEST_SKIP() << "character test files not found";
    }
    const struct {
        const char* file;
        int animations;
        qsizetype characterSize;
    } table[] = {
        {"gnome.acs", 1, 983}, {"MAX.ACS", 20, 1396}, {"MIKU.ACS", 4, 742}, {"spaceman.acs", 35, 1950}};
    for (const auto& e : table) {
        SCOPED_TRACE(e.file);
        QFile f(formattest::acsPath(e.file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        CompoundFile file;
        const agent::Status opened = file.open(f.readAll());
        ASSERT_TRUE(opened) << opened.error().toStdString();
        QStringList expected{QStringLiteral("char.acf")};
        for (int i = 1; i <= e.animations; ++i) {
            expected.append(QStringLiteral("anim%1.aaf").arg(i));
        }
        EXPECT_EQ(file.streamNames(), expected);
        const QByteArray character = file.readStream(u"char.acf").valueOr({});
        EXPECT_EQ(character.size(), e.characterSize);
        EXPECT_TRUE(character.startsWith(QByteArray::fromHex("C1ABCDAB")));
        for (const QString& name : expected) {
            const agent::Result<QByteArray> out = file.readStream(name);
            EXPECT_TRUE(out) << out.error().toStdString();
        }
    }
}

}  // namespace

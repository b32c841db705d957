// What version 1.5 characters are stored in and with: the compound document reader on documents built here
// (streams in the mini stream and in sectors of their own, a FAT long enough to need DIFAT sectors, every
// kind of damage) and on the genuine characters; and the bit-stream codec, in round trips through our
// encoder and on damaged streams that must end in an error without writing past the output.
// Version 1.5 characters through AcsFile: small characters built here, with each kind of damage, and the
// four genuine files, whose every frame must compose into a picture that is not blank.
#include "agent/format/acs_file.h"
#include "agent/format/compound_file.h"
#include "agent/format/compression.h"
#include "agent/format/frame_composer.h"
#include "tests/agent/format/acs15_builder.h"
#include "tests/agent/format/acs_test_files.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>

#include <functional>
#include <tuple>

using namespace agent::format;
using namespace formattest;

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

using Data = std::vector<std::uint8_t>;

// Decompresses into a buffer with a guard of 0xCC bytes after the output, which must stay untouched.
Data roundTrip(const Data& input) {
    const QByteArray packed = compress(input.data(), input.size());
    Data out(input.size() + 16, 0xCC);
    const auto* p = reinterpret_cast<const std::uint8_t*>(packed.constData());
    EXPECT_TRUE(succeeds(decompress(p, std::size_t(packed.size()), out.data(), input.size())));
    EXPECT_EQ(Data(out.begin() + input.size(), out.end()), Data(16, 0xCC)) << "wrote past the output";
    out.resize(input.size());
    return out;
}

// With 300 FAT sectors, 109 of their numbers are in the header and the rest in two DIFAT sectors.
TEST(CompoundFile, ReadsStreamsWhereverTheFatIsEachDamageGivesItsErrorAndTheCodecRoundTrips) {
    for (const std::uint32_t fatSectors : {0u, 300u}) {
        SCOPED_TRACE(fatSectors);
        CfbLayout at;
        const QByteArray doc = buildCompoundFile(kStreams, &at, fatSectors);
        ASSERT_GE(at.fatCount, fatSectors);
        CompoundFile file;
        ASSERT_TRUE(succeeds(file.open(doc)));
        EXPECT_EQ(file.streamNames(), QStringList({"small", "Exact", "large", "cutoff", "empty"}));
        for (const auto& s : kStreams) {
            EXPECT_EQ(file.readStream(s.name).valueOr("unread"), s.data) << s.name.toStdString();
        }
        // Names are matched without regard to case; an absent name is an error that says so.
        EXPECT_EQ(file.readStream(u"EXACT").valueOr({}), kStreams[1].data);
        EXPECT_TRUE(has(file.readStream(u"missing").error(), "no stream 'missing'"));
    }

    const struct {
        std::function<void(QByteArray&, const CfbLayout&)> apply;
        const char* stream;               // read after opening; nullptr when opening itself must fail
        const char* error;                // part of the expected message
        std::uint32_t minFatSectors = 0;  // 300: a FAT that goes on into two DIFAT sectors
    } table[] = {
        {[](auto& b, auto&) { b.truncate(300); }, nullptr, "shorter than its 512-byte header"},
        {[](auto& b, auto&) { b[7] = 0; }, nullptr, "signature"},
        {[](auto& b, auto&) { put16(b, 26, 5); }, nullptr, "header at offset 26: major version 5"},
        {[](auto& b, auto&) { put16(b, 28, 0xFEFF); }, nullptr, "header at offset 28: byte order"},
        {[](auto& b, auto&) { put16(b, 30, 12); }, nullptr, "sector shift 12 does not fit version 3"},
        {[](auto& b, auto&) { put32(b, 56, 512); }, nullptr, "cutoff 512 is not 4096"},
        {[](auto& b, auto&) { put32(b, 44, 0x7FFFFFFF); }, nullptr, "FAT sectors are more than the"},
        {[](auto& b, auto&) { put32(b, 76, 5000); }, nullptr, "FAT sector 5000 is past the"},
        {[](auto& b, auto&) { put32(b, 48, 4000); }, nullptr,
         "directory: the sector chain starts at sector 4000, past the"},
        // The mini FAT's chain starts in a free sector.
        {[](auto& b, auto& at) { put32(b, 60, at.fatCount + 200); }, nullptr,
         "mini FAT: the sector chain starts at"},
        {[](auto& b, auto& at) { b[at.directoryEntry(0) + 66] = 2; }, nullptr,
         "type 2 is not the root storage"},
        {[](auto& b, auto& at) { put16(b, at.directoryEntry(1) + 64, 65); }, nullptr, "name length 65"},
        {[](auto& b, auto& at) { b[at.directoryEntry(2) + 66] = 9; }, nullptr, "object type 9 is not known"},
        {[](auto& b, auto& at) { put32(b, at.directoryEntry(1) + 72, 99); }, nullptr,
         "the tree names entry 99, past the"},
        {[](auto& b, auto& at) { put32(b, at.directoryEntry(3) + 72, 1); }, nullptr,
         "the tree comes to entry 1 a second time (a cycle)"},
        {[](auto& b, auto& at) { put32(b, at.fatEntry(at.streamStart[2] + 3), at.streamStart[2] + 1); },
         "large", "stream 'large': the sector chain leads from sector"},
        {[](auto& b, auto& at) { put32(b, at.fatEntry(at.streamStart[2]), 0xFFFFFFFF); }, "large",
         "the free-sector marker instead of a sector number"},
        {[](auto& b, auto& at) { put32(b, at.fatEntry(at.streamStart[2] + 4), 0xFFFFFFFE); }, "large",
         "ends after 5 of the 10 sectors"},
        {[](auto& b, auto& at) { b.truncate(CfbLayout::sectorOffset(at.streamStart[2] + 9) + 100); }, "large",
         "runs past the end of the"},
        // The first DIFAT sector's link leads back to itself.
        {[](auto& b, auto& at) { put32(b, CfbLayout::sectorOffset(at.fatCount) + 127 * 4, at.fatCount); },
         nullptr, "DIFAT: the chain comes to sector 300 a second time", 300},
    };
    for (const auto& d : table) {
        SCOPED_TRACE(d.error);
        CfbLayout at;
        QByteArray doc = buildCompoundFile(kStreams, &at, d.minFatSectors);
        d.apply(doc, at);
        CompoundFile file;
        const agent::Status opened = file.open(doc);
        QString error = opened.error();
        if (d.stream == nullptr) {
            ASSERT_FALSE(opened);
            EXPECT_FALSE(file.isOpen());
            EXPECT_TRUE(file.streamNames().isEmpty());
        } else {
            ASSERT_TRUE(succeeds(opened));
            const agent::Result<QByteArray> out = file.readStream(QString::fromLatin1(d.stream));
            ASSERT_FALSE(out);
            error = out.error();
        }
        EXPECT_TRUE(reads(error, "OLE compound document: ", d.error));
    }

    // Every offset class (6, 9, 12 and 20 bits) and lengths at the edges of each length code.
    QRandomGenerator rng(11);
    for (std::size_t distance : {1u, 2u, 64u, 65u, 576u, 577u, 4672u, 4673u, 70000u}) {
        for (std::size_t length : {2u, 3u, 4u, 5u, 6u, 9u, 4095u, 4096u, 4097u, 9000u}) {
            Data data(distance);
            std::generate(data.begin(), data.end(), [&] { return std::uint8_t(rng.bounded(256)); });
            for (std::size_t i = 0; i < length; ++i) {
                data.push_back(data[data.size() - distance]);
            }
            data.push_back(0x5A);
            ASSERT_EQ(roundTrip(data), data) << "distance " << distance << " length " << length;
        }
    }
    EXPECT_TRUE(roundTrip({}).empty());
    EXPECT_EQ(roundTrip({42}), Data{42});

    // Each with its name, its bytes, the size of the output and part of the error.
    const std::tuple<const char*, Data, std::size_t, const char*> cases[] = {
        {"empty", {}, 4, "zero byte"},
        {"no leading zero", {0x01, 0x00}, 1, "zero byte"},
        // A copy as the very first code reaches before the start of the output.
        {"back-reference before the start", {0x00, 0x01, 0x00, 0x00}, 8, "before the start"},
        // One literal, then the stream stops.
        {"truncated", {0x00, 0x00, 0x00}, 8, "ends"},
        // The end code arrives before the output is full.
        {"ends early", {0x00, 0x00, 0xFE, 0xFF, 0xFF, 0x01}, 8, "ends after 1 of 8"},
        // Literal 0, then a copy at distance 1 with a length code of twelve ones.
        {"length code too long", {0x00, 0x00, 0x02, 0xFE, 0x1F, 0x00, 0x00}, 100, "longer than 11"},
        // Literal, then a copy of at least 2,049 bytes into a 10-byte output.
        {"copy overruns the output", {0x00, 0x00, 0x02, 0xFE, 0x0F, 0x00, 0x00}, 10, "overruns"},
    };
    for (const auto& [name, bytes, outSize, error] : cases) {
        Data out(outSize + 8, 0xCC);
        EXPECT_TRUE(has(decompress(bytes.data(), bytes.size(), out.data(), outSize).error(), error)) << name;
        EXPECT_EQ(Data(out.begin() + outSize, out.end()), Data(8, 0xCC)) << name << " wrote past the output";
    }
}

// As acs15Streams writes the palette: red i, green 255 - i, blue i / 2.
QRgb paletteColour(int i) {
    return qRgb(i, 255 - i, i / 2);
}

TEST(Acs15File, TinyCharacterReadsAsBuiltSoundsAreNumberedOnAndStreamsStayWithinTheLimit) {
    Acs15Recipe recipe = tinyCharacter();
    recipe.animations[0].sounds = {tinyWave(4), tinyWave(6)};
    recipe.animations[0].frames[0].sound = 1;
    AcsFile f;
    ASSERT_TRUE(succeeds(f.loadData(buildAcs15(recipe))));
    const Animation* wave = f.animation(u"wave");
    ASSERT_TRUE(f.info().balloon && !f.info().voice && wave);
    EXPECT_EQ(std::tuple(wave->transition, wave->returnAnimation, f.animations()[0].transition),
              std::tuple(std::uint8_t(Transition::ReturnAnimation), QString("RestPose"),
                         std::uint8_t(Transition::None)));
    // Each animation's images follow the last one's; overlays add images of their own.
    ASSERT_EQ(f.imageCount(), 1 + 2 + 2);
    EXPECT_EQ(wave->frames[1].images, (QList<FrameImage>{{4, 0, 0}}));
    const Frame& rest = f.animations()[0].frames[0];
    ASSERT_EQ(rest.overlays.size(), 2);
    EXPECT_EQ(f.imageInfo(rest.overlays[1].image).valueOr({}).width, 4);
    // Sound numbers count on from the animations before.
    ASSERT_EQ(f.sounds().size(), 3);
    EXPECT_EQ((QList<int>{rest.sound, wave->frames[0].sound, wave->frames[1].sound}),
              (QList<int>{1, 2, kNoSound}));
    EXPECT_EQ(f.sound(2), tinyWave(10));

    // Decompressed streams stay within the file size limit.
    recipe = tinyCharacter();
    recipe.width = recipe.height = 200;  // 40,000 pixels an image, compressed to a few hundred bytes
    const QByteArray doc = buildAcs15(recipe);
    ASSERT_LT(doc.size(), 100000);
    Limits limits;
    limits.maxFileSize = 100000;
    // The first animation's image fits; the second's two do not, and it is left out.
    ASSERT_TRUE(succeeds(f.loadData(doc, limits)));
    EXPECT_EQ(f.animations().size(), 1);
    ASSERT_EQ(f.leftOut().size(), 1);
    EXPECT_TRUE(has(f.leftOut()[0], "more than the limit of 100000 bytes"));
    limits.maxFileSize = 30000;
    EXPECT_TRUE(has(f.loadData(doc, limits).error(), "no animation could be read"));
}

// A frame of the tiny character's animations: [0] RestPose, [1] Wave.
const Frame& fr(const AcsFile& f, int animation, int frame) {
    return f.animations()[animation].frames[frame];
}

TEST(Acs15File, DamageInsideAnAnimationCostsThatPartADamagedAnimationItAndADamagedCharacterTheFile) {
    const struct {
        const char* name;
        std::function<void(Acs15Recipe&)> apply;
        const char* leftOut;  // empty: nothing is said
        std::function<bool(const AcsFile&)> holds;
    } table[] = {
        // Only its mouth is drawn, where the overlay lies.
        {"a frame with image 0xFFFF draws none and keeps the rest",
         [](auto& s) { s.animations[0].frames[0].image = 0xFFFF; }, "",
         [](const AcsFile& f) {
             const QImage mouth = FrameComposer(f).compose(0, 0, 1).valueOr({});
             return fr(f, 0, 0).images.isEmpty() && fr(f, 0, 0).duration == 10 &&
                    fr(f, 0, 0).overlays.size() == 2 && mouth.pixel(3, 3) == 0u &&
                    mouth.pixel(2, 1) == paletteColour(10);
         }},
        {"a frame's image just past the animation's", [](auto& s) { s.animations[1].frames[2].image = 2; },
         "animation 'Wave' frame 2 (stream 'anim2.aaf', decompressed) at offset 212: image 2 is past the "
         "animation's 2 images; the frame draws none",
         [](auto& f) { return fr(f, 1, 2).images.isEmpty() && fr(f, 1, 2).branches.size() == 2; }},
        {"a frame's sound past the animation's", [](auto& s) { s.animations[1].frames[1].sound = 1; },
         "sound 1 is past the animation's 1 sounds; the frame plays none",
         [](auto& f) { return fr(f, 1, 1).sound == kNoSound && fr(f, 1, 0).sound == 0; }},
        {"a sound that is not a wave", [](auto& s) { s.animations[1].sounds = {QByteArray(20, 'x')}; },
         "sound 0 is not RIFF WAVE data; it is not played",
         [](auto& f) { return fr(f, 1, 0).sound == kNoSound; }},
        {"a sound too short", [](auto& s) { s.animations[1].sounds = {QByteArray("RIFF")}; },
         "too short for RIFF WAVE data; it is not played",
         [](auto& f) { return fr(f, 1, 0).sound == kNoSound; }},
        {"a branch past the frames",
         [](auto& s) {
             s.animations[1].frames[2].branches = {{3, 100}, {1, 20}};
         },
         "branch to frame 3 is past the 3 frames; it is not taken",
         [](auto& f) { return fr(f, 1, 2).branches == QList<Branch>(1, Branch(1, 20)); }},
        {"an image stored otherwise", [](auto& s) { s.animations[0].imageFlag = 1; },
         "animation 'RestPose' image 0 (stream 'anim1.aaf', decompressed) at offset 61: storage flag 1 is "
         "not 0",
         [](auto& f) { return fr(f, 0, 0).images.isEmpty() && fr(f, 0, 0).overlays.size() == 2; }},
        {"a huge mouth overlay", [](auto& s) { s.animations[0].frames[0].overlays[0].width = 5000; },
         "frame 0 mouth overlay 0 (stream 'anim1.aaf', decompressed) at offset",
         [](auto& f) { return fr(f, 0, 0).overlays.size() == 1 && fr(f, 0, 0).overlays[0].shape == 1; }},
    };
    for (const auto& d : table) {
        SCOPED_TRACE(d.name);
        Acs15Recipe recipe = tinyCharacter();
        d.apply(recipe);
        AcsFile f;
        ASSERT_TRUE(succeeds(f.loadData(buildAcs15(recipe))));
        ASSERT_EQ(f.animations().size(), 2);
        EXPECT_EQ(f.animations()[1].frames.size(), 3);
        EXPECT_EQ(f.leftOut().size(), *d.leftOut ? 1 : 0) << f.leftOut().join('\n').toStdString();
        EXPECT_TRUE(has(f.leftOut().join('\n'), d.leftOut));
        EXPECT_TRUE(d.holds(f));
        // The other animation is whole.
        EXPECT_EQ(FrameComposer(f).compose(1, 1).valueOr({}).pixel(3, 3), paletteColour(7));
    }

    const struct {
        std::function<void(QList<CfbStream>&)> apply;
        bool refused;         // or one animation is left out
        const char* message;  // part of the error, or of what is said about the animation left out
    } streamDamage[] = {
        {[](auto& s) { s.removeFirst(); }, true, "there is no stream 'char.acf'"},
        // The character stream cut in its header, its signature, its size more than the data holds.
        {[](auto& s) { s[0].data.truncate(10); }, true, "stream 'char.acf' header at offset 8"},
        {[](auto& s) { put32(s[0].data, 0, 0xABCDABC3); }, true, "signature 0xabcdabc3 is not 0xABCDABC1"},
        {[](auto& s) { put32(s[0].data, 4, get32(s[0].data, 4) + 50); }, true, "compressed data ends"},
        // Version 2 inside.
        {[](auto& s) { s = acs15Streams(tinyCharacter(2)); }, true, "format version 2.31 is not 1.x"},
        // Every animation damaged: the first cut short, the second missing.
        {[](auto& s) { s = QList<CfbStream>(1, s[0]) << CfbStream(s[1].name, s[1].data.left(12)); }, true,
         "no animation could be read: animation 'RestPose' left out: stream 'anim1.aaf' header"},
        {[](auto& s) { s.removeLast(); }, false,
         "animation 'Wave' left out: OLE compound document: there is no stream 'anim2.aaf'"},
        {[](auto& s) { put32(s[2].data, 4, 1); }, false,
         "checksum 0x00000001 differs from the animation list's 0xcafef00d"},
        // An animation stored plain.
        {[](auto& s) { s[1].data[8] = 0; }, false,
         "stream 'anim1.aaf' header at offset 8: storage flag 0 is not 1"},
    };
    for (const auto& d : streamDamage) {
        SCOPED_TRACE(d.message);
        QList<CfbStream> streams = acs15Streams(tinyCharacter());
        d.apply(streams);
        AcsFile f;
        const agent::Status loaded = f.loadData(buildCompoundFile(streams));
        if (d.refused) {
            ASSERT_FALSE(loaded);
            EXPECT_FALSE(f.isLoaded());
            EXPECT_TRUE(f.animations().isEmpty() && f.imageCount() == 0 && f.leftOut().isEmpty());
            EXPECT_TRUE(reads(loaded.error(), "version 1.5 character: ", d.message));
            continue;
        }
        ASSERT_TRUE(succeeds(loaded));
        ASSERT_EQ(f.leftOut().size(), 1);
        EXPECT_TRUE(has(f.leftOut()[0], d.message));
        // The animation that is left reads whole, its images numbered from 0 and its sound found.
        ASSERT_EQ(f.animations().size(), 1);
        const bool restLeft = f.animations()[0].name == u"RestPose";
        EXPECT_EQ(std::tuple(f.imageCount(), f.sounds().size(),
                             FrameComposer(f).compose(0, restLeft ? 0 : 1).valueOr({}).pixel(3, 3)),
                  std::tuple(restLeft ? 3 : 2, qsizetype(restLeft ? 0 : 1), paletteColour(restLeft ? 3 : 7)));
        EXPECT_EQ(f.animation(restLeft ? u"Wave" : u"RestPose"), nullptr);
    }
}

TEST_F(GenuineFiles, Acs15KnownDetailsStreamsAndDamagedFilesRefusedCleanly) {
    AcsFile max;
    ASSERT_TRUE(load(max, "MAX.ACS"));
    EXPECT_EQ(std::tuple(int(max.info().transparentIndex), max.animation(u"alert")->returnAnimation,
                         max.animation(u"Wave")->frames.size(), max.info().balloon->background,
                         max.image(0).valueOr({}).pixelIndex(0, 0)),
              std::tuple(127, QString("AlertReturn"), qsizetype(16), qRgb(255, 255, 225), 127));
    EXPECT_TRUE(max.localized()->description.endsWith(QStringLiteral("Rayflex Animation")));

    AcsFile spaceman;
    ASSERT_TRUE(load(spaceman, "spaceman.acs"));
    EXPECT_EQ(spaceman.info().balloon->fontName, QStringLiteral("X-Files"));
    EXPECT_TRUE(spaceman.info().flags & flags::kBalloonSizeToText);
    // Processing loops back to its start for ever.
    const Animation* processing = spaceman.animation(u"Processing");
    const Animation* dropit = spaceman.animation(u"Dropit");
    ASSERT_TRUE(processing && dropit);
    EXPECT_EQ(processing->frames.last().branches, (QList<Branch>{{0, 100}}));
    // Dropit has two sounds of its own, which come after the sounds of the animations before it.
    EXPECT_EQ(dropit->frames[1].sound + 1, dropit->frames[6].sound);
    EXPECT_NE(spaceman.sound(dropit->frames[1].sound), spaceman.sound(dropit->frames[6].sound));

    QFile file(acsPath("gnome.acs"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray gnome = file.readAll();
    const qsizetype character = gnome.indexOf(QByteArray::fromHex("C1ABCDAB"));
    ASSERT_GT(character, 0);
    // The FAT entry of sector 7, with 512-byte sectors.
    const qsizetype fatEntry7 = qsizetype(get32(gnome, 76) + 1) * 512 + 4 * 7;
    const struct {
        const char* name;
        std::function<void(QByteArray&)> apply;
        const char* error;
    } table[] = {
        {"cut in half", [](QByteArray& b) { b.truncate(b.size() / 2); }, "OLE compound document"},
        {"cut in the last sector", [](QByteArray& b) { b.chop(300); }, "runs past the end"},
        // The animation's stream starts at sector 6; its next sector leads back to it.
        {"a sector chain cycle", [&](QByteArray& b) { put32(b, fatEntry7, 6); }, "a cycle"},
        {"char.acf size huge", [&](QByteArray& b) { put32(b, character + 4, 0x7FFFFFF0); },
         "would take more than the limit"},
        {"char.acf stored size past its stream", [&](QByteArray& b) { put32(b, character + 8, 5000); },
         "only 971 follow the header"},
    };
    for (const auto& d : table) {
        SCOPED_TRACE(d.name);
        QByteArray damaged = gnome;
        d.apply(damaged);
        AcsFile f;
        const agent::Status loaded = f.loadData(damaged);
        ASSERT_FALSE(loaded);
        EXPECT_FALSE(f.isLoaded());
        EXPECT_TRUE(reads(loaded.error(), "version 1.5 character: ", d.error));
    }
    // Every prefix of a genuine file fails or reads; none crashes or hangs.
    for (qsizetype size = 0; size < gnome.size(); size += 509) {
        AcsFile f;
        if (const agent::Status loaded = f.loadData(gnome.left(size)); !loaded) {
            EXPECT_FALSE(loaded.error().isEmpty());
        }
    }

    // The compound documents hold their streams: each file with its animation count and the size of its
    // character stream.
    const std::tuple<const char*, int, qsizetype> streamCounts[] = {
        {"gnome.acs", 1, 983}, {"MAX.ACS", 20, 1396}, {"MIKU.ACS", 4, 742}, {"spaceman.acs", 35, 1950}};
    for (const auto& [name, animations, characterSize] : streamCounts) {
        SCOPED_TRACE(name);
        QFile in(acsPath(name));
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        CompoundFile doc;
        ASSERT_TRUE(succeeds(doc.open(in.readAll())));
        QStringList expected{QStringLiteral("char.acf")};
        for (int i = 1; i <= animations; ++i) {
            expected.append(QStringLiteral("anim%1.aaf").arg(i));
        }
        EXPECT_EQ(doc.streamNames(), expected);
        const QByteArray charStream = doc.readStream(u"char.acf").valueOr({});
        EXPECT_EQ(charStream.size(), characterSize);
        EXPECT_TRUE(charStream.startsWith(QByteArray::fromHex("C1ABCDAB")));
        for (const QString& stream : expected) {
            EXPECT_TRUE(succeeds(doc.readStream(stream)));
        }
    }
}

}  // namespace

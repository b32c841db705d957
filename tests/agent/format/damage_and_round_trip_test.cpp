// Damaged files: each structure cut short, counts and offsets out of range, a back-reference before the
// start of an image, a version 2 file behind the signature of the compound documents version 1.5 lives in.
// Each must give an error that names what was being read, never a crash or a hang. The damage is applied to
// our own sample file at offsets worked out from its layout, so these tests run without the genuine files.
// Writing characters: what is written reads back the same, structure for structure and pixel for pixel,
// for our own sample and for every genuine file, with images stored compressed and plain. A character opened
// by path is read from its file as its parts are wanted, and a file cut short after it was opened costs only
// the parts that are gone. Finding a character by the name a program gives, and its name in the user's
// language.
#include "agent/format/acs_file.h"
#include "agent/format/acs_writer.h"
#include "agent/format/character_folder.h"
#include "agent/format/file_bytes.h"
#include "agent/format/frame_composer.h"
#include "agent/format/user_language.h"
#include "tests/agent/format/acs15_builder.h"
#include "tests/agent/format/acs_test_files.h"
#include "tests/agent/format/sample_character.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <type_traits>

using namespace agent::format;
using namespace formattest;

namespace {

QByteArray sampleBytes(WriteOptions options = {}) {
    const agent::Result<QByteArray> bytes = writeCharacter(sampleCharacter(), options);
    EXPECT_TRUE(succeeds(bytes));
    return bytes.valueOr({});
}

// Every frame of a loaded file, with every mouth, either draws or fails with an error.
void expectEveryFrameDrawsOrFails(const AcsFile& file, const std::string& what) {
    FrameComposer composer(file);
    for (int a = 0; a < file.animations().size(); ++a) {
        for (int f = 0; f < file.animations()[a].frames.size(); ++f) {
            for (int mouth = -1; mouth < kMouthShapeCount; ++mouth) {
                const agent::Result<QImage> img = composer.compose(a, f, mouth);
                ASSERT_TRUE(img ? !img->isNull() : !img.error().isEmpty())
                    << what << " " << a << "/" << f << "/" << mouth;
            }
        }
    }
}

// Where the sample's structures lie, read from its header and fixed field sizes.
struct Layout {
    qsizetype start = 0, info, animationList, imageList, soundList;
    qsizetype palette, states, firstAnimation, secondFrame, secondAnimation, firstImage, firstRegion;
    explicit Layout(const QByteArray& b)
        : info(get32(b, 4)), animationList(get32(b, 12)), imageList(get32(b, 20)), soundList(get32(b, 28)) {
        // 41 bytes of fixed fields, 77 of voice info (two strings: "US", "Business"), 38 of balloon info.
        palette = info + 41 + 77 + 38;
        states = palette + 4 + 5 * 4 + 1 + 4 + 40 + 4 + 60;
        firstAnimation = get32(b, animationList + 4 + 14);
        secondAnimation = get32(b, animationList + 4 + 22 + 14);
        firstImage = get32(b, imageList + 4);
        // Image 0's header: unknown byte, width, height, compression flag, data size, data, then the region's
        // stored and decoded sizes.
        firstRegion = firstImage + 10 + get32(b, firstImage + 6) + 4;
        // Idle's name, transition, return animation and frame count take 31 bytes; its first frame 98 more:
        // two images, sound, duration, exit frame, two branches, a mouth with a 32-byte region and one
        // without.
        secondFrame = firstAnimation + 31 + 98;
    }
};

// Damage to the bytes, or limits set lower than the defaults.
using Damage = std::function<void(QByteArray&, const Layout&, Limits&)>;

// Writes a value (32 bits unless told) at an offset into one of the sample's structures.
template <class T = std::uint32_t>
Damage set(qsizetype Layout::*base, qsizetype offset, std::type_identity_t<T> v) {
    return
        [=](QByteArray& b, const Layout& at, Limits&) { qToLittleEndian(v, b.data() + at.*base + offset); };
}
const auto set16 = &set<std::uint16_t>;

// The error of a load that must fail, which must leave nothing loaded.
QString loadError(const QByteArray& bytes, const Limits& limits = {}) {
    AcsFile file;
    const agent::Status loaded = file.loadData(bytes, limits);
    EXPECT_FALSE(loaded);
    EXPECT_FALSE(file.isLoaded());
    return loaded.error();
}

// An error names the structure it was found in by its place in the file, down to the frame: which animation,
// which frame of it, which image, which list entry. The rows with a `context` put the damage past the first
// of each, so that a name or an index left over from an earlier structure shows.
TEST(AcsFileCorrupt, EachDamageGivesItsErrorDamagedImagesSpoilOnlyThemAndFailedLoadsLeaveNothing) {
    using L = Layout;
    const struct {
        Damage apply;
        const char* error;              // part of the expected message
        const char* context = nullptr;  // what the message starts with, before " at offset "
    } table[] = {
        {[](auto& b, auto&, auto&) { b.truncate(20); }, "file header at offset 20"},
        {set(&L::start, 0, 0x12345678), "not a character file"},
        // The character info past the end, then cut short.
        {[](auto& b, auto&, auto&) { put32(b, 4, b.size()); }, "the character info at offset"},
        {set(&L::start, 8, 30), "character info at offset"},
        {set16(&L::info, 2, 1), "version 1.1 is not 2.x: its 379 bytes begin 01 00 01 00"},
        {[](auto& b, auto& at, auto&) { b.replace(at.info, get32(b, 8), QByteArray(get32(b, 8), '\0')); },
         "bytes are all zero"},
        {set16(&L::info, 28, 0), "character size 0x9"},
        {set(&L::palette, 0, 1000), "palette colour count 1000 is over"},
        {set16(&L::states, 0, 5000), "state count 5000 does not fit"},
        {set(&L::info, 4, 0xFFFFFF00), "localized info at offset"},
        {set(&L::firstAnimation, 33, 99), "image index 99 is past the 3"},
        // An image and a sound past the end.
        {set(&L::imageList, 8, 0x7FFFFFFF), "image 0 at offset"},
        {set(&L::soundList, 8, 0x7FFFFFFF), "sound 0 at offset"},
        {set(&L::secondFrame, 2, 77), "image index 77 is past the 3 images", "animation 'Idle' frame 1"},
        {set(&L::animationList, 4 + 22 + 14, 0xFFFFFFF0), "animation 'Wave' at offset 4294967280 with size",
         "animation list entry 1"},
        // "WAVE", transition, no return animation, then the frame count.
        {set16(&L::secondAnimation, 19, 5000), "frame count 5000 does not fit in the remaining",
         "animation 'Wave'"},
        // The caller's limits are applied as well as the defaults.
        {[](auto&, auto&, Limits& l) { l.maxSounds = 0; }, "sound count 1 is over the limit of 0"},
        {[](auto&, auto&, Limits& l) { l.maxStringChars = 3; }, "longer than the limit of 3"},
        {[](auto&, auto&, Limits& l) { l.maxImageSide = 9; }, "character size 12x9 is outside 1..9"},
        {[](auto&, auto&, Limits& l) { l.maxRegionSize = 16; }, "region of 32 bytes is over the limit"},
    };
    const QByteArray good = sampleBytes();
    const Layout at(good);
    ASSERT_EQ(get32(good, at.secondFrame + 2), 0u) << "Idle's second frame shows image 0";
    for (const auto& d : table) {
        SCOPED_TRACE(d.error);
        QByteArray bytes = good;
        Limits limits;
        d.apply(bytes, at, limits);
        EXPECT_TRUE(reads(loadError(bytes, limits),
                          d.context ? QLatin1String(d.context) + " at offset " : QString(), d.error));
    }

    // Damage to one image, in its header or its data, shows only when that image is used: the file loads,
    // that image and the frames that draw it fail with an error, and everything else draws.
    const struct {
        bool plain;  // images and regions stored without compression
        Damage apply;
        bool region;  // the damage is in the region, not the pixels
        const char* error;
    } imageDamage[] = {
        {false, set16(&Layout::firstImage, 1, 5000), false, "image size 5000x7 is over the limit of 4096"},
        // The first code becomes a copy, reaching before the start of the output.
        {false, [](auto& b, auto& at, auto&) { b[at.firstImage + 11] = char(0x01); }, false,
         "before the start"},
        {true, set16(&Layout::firstImage, 3, 8), false,
         "plain image data of 84 bytes is short of the 96 bytes of a 10x8 image"},
        // The region's stored size more than its stream holds.
        {false, set(&Layout::firstRegion, 0, 1000000), true,
         "region: compressed data ends after 32 of 1000000 bytes"},
    };
    for (const auto& d : imageDamage) {
        SCOPED_TRACE(d.error);
        QByteArray bytes = sampleBytes({!d.plain, !d.plain});
        Limits unused;
        d.apply(bytes, Layout(bytes), unused);
        AcsFile file;
        ASSERT_TRUE(succeeds(file.loadData(bytes)));
        const QString error = d.region ? file.region(0).error() : file.image(0).error();
        EXPECT_TRUE(reads(error, "image 0", d.error));
        EXPECT_TRUE(has(error, "offset"));
        for (int i = 1; i < file.imageCount(); ++i) {
            EXPECT_TRUE(succeeds(file.image(i))) << "image " << i;
            EXPECT_FALSE(file.region(i).valueOr({}).isEmpty()) << "image " << i;
        }
        if (!d.region) {
            FrameComposer composer(file);
            EXPECT_TRUE(starts(composer.compose(0, 0, -1).error(), "image 0"));
            EXPECT_TRUE(succeeds(composer.compose(1, 0, -1))) << "Wave does not use image 0";
        }
    }
    // A header read after another's failure names its own image.
    QByteArray bytes = sampleBytes();
    put16(bytes, at.firstImage + 1, 5000);
    put32(bytes, get32(bytes, at.imageList + 4 + 12) + 6, 0x10000);
    AcsFile file;
    ASSERT_TRUE(succeeds(file.loadData(bytes)));
    ASSERT_FALSE(file.imageInfo(0));
    const QString error = file.imageInfo(1).error();
    EXPECT_TRUE(reads(error, "image 1 at offset ", "data needs 65536 bytes"));
    EXPECT_EQ(file.imageInfo(1).error(), error) << "a bad header stays bad";
    EXPECT_TRUE(succeeds(file.image(2)));

    // A load that fails leaves nothing behind, whether the object was new or held a good file, and whatever
    // stage the reading reached: every accessor answers as for an empty file, never from what was half-read
    // (an image's offsets would point into data that is gone).
    // The animation list is read last, so the info, sounds and images before it have been read.
    QByteArray noAnimationList = good;
    put32(noAnimationList, 16, 0);
    Limits tiny;
    tiny.maxFileSize = 100;
    // A damaged file, a file over the limit, a missing file.
    const std::pair<std::function<agent::Status(AcsFile&)>, const char*> cases[] = {
        {[&](AcsFile& f) { return f.loadData(noAnimationList); }, "animation"},
        {[&](AcsFile& f) { return f.loadData(good, tiny); }, "over the limit of 100"},
        {[](AcsFile& f) { return f.load(QStringLiteral("/nonexistent/horalia/sample.acs")); },
         "cannot open /nonexistent/horalia/sample.acs"},
    };
    for (const auto& [load, error] : cases) {
        SCOPED_TRACE(error);
        AcsFile file;
        ASSERT_TRUE(file.loadData(good));
        ASSERT_TRUE(file.image(0));  // in the cache now
        const agent::Status loaded = load(file);
        ASSERT_FALSE(loaded);
        EXPECT_TRUE(has(loaded.error(), error));
        EXPECT_EQ(file.info(), CharacterInfo());
        EXPECT_EQ(std::tuple(file.isLoaded(), file.animations().size(), file.imageCount(),
                             file.sounds().size(), file.fileSize(), file.animationIndex(u"Idle")),
                  std::tuple(false, 0, 0, 0, 0u, -1));
        EXPECT_TRUE(file.state(u"Speaking") == nullptr && file.localized() == nullptr);
        std::uint8_t pixels[128] = {};
        for (int i : {0, 1126}) {
            const QStringList errors{file.image(i).error(), file.decodeIndices(i, pixels, 128).error(),
                                     file.region(i).error()};
            EXPECT_EQ(errors.filter("no such image").size(), 3) << errors.join('\n').toStdString();
        }
        EXPECT_TRUE(file.sound(0).isEmpty());
        EXPECT_FALSE(FrameComposer(file).compose(0, 0, -1).error().isEmpty());
        // And the object is as good as new for the next file.
        ASSERT_TRUE(succeeds(file.loadData(good)));
        EXPECT_TRUE(file.image(0));
    }
}

// A file of a few bytes can stack one image thousands of times in a frame; drawing it is refused before
// any pixel is touched.
TEST(AcsFileCorrupt, StackedLayersSharedBlocksEveryTruncationAndEveryByteFlipAreHandled) {
    CharacterData c = sampleCharacter();
    // 60 x 70 pixels > 32 x 12 x 9
    c.animations[1].frames[0].images = QList<FrameImage>(60, FrameImage{0, 0, 0});
    AcsFile file;
    ASSERT_TRUE(file.loadData(writeCharacter(c, {}).valueOr({})));
    EXPECT_TRUE(has(FrameComposer(file).compose(1, 0, -1).error(), "60 images"));

    // An animation list whose entries all point at one long animation would multiply the memory a small file
    // costs; the reader counts what it reads and stops. Here both entries name Wave's block, most of the
    // file.
    c = sampleCharacter();
    c.animations[1].frames = QList<Frame>(2000, c.animations[1].frames[0]);
    QByteArray bytes = writeCharacter(c, {}).valueOr({});
    const qsizetype list = Layout(bytes).animationList + 4;
    put32(bytes, list + 14, get32(bytes, list + 22 + 14));
    put32(bytes, list + 18, get32(bytes, list + 22 + 18));
    EXPECT_TRUE(has(loadError(bytes), "more than the whole file"));

    // Every shorter file fails with an error; every single damaged byte either fails with an error or gives a
    // file whose frames can all be drawn or refused.
    const QByteArray good = sampleBytes();
    for (qsizetype n = 0; n < good.size(); ++n) {
        AcsFile file;
        const agent::Status loaded = file.loadData(good.left(n));
        ASSERT_FALSE(loaded) << "truncated to " << n;
        ASSERT_FALSE(loaded.error().isEmpty());
    }
    for (qsizetype i = 0; i < good.size(); ++i) {
        QByteArray bytes = good;
        bytes[i] = char(bytes[i] ^ 0xFF);
        AcsFile file;
        if (const agent::Status loaded = file.loadData(bytes); !loaded) {
            ASSERT_FALSE(loaded.error().isEmpty()) << "byte " << i;
        } else {
            expectEveryFrameDrawsOrFails(file, "byte " + std::to_string(i));
        }
    }
}

// Files that once crashed or misbehaved under the fuzzer, kept so that they stay refused.
TEST(AcsFileCorrupt, KeptFuzzerFindingsAreRefused) {
    const QDir dir(QStringLiteral(HORALIA_FORMAT_REGRESSIONS));
    ASSERT_TRUE(dir.exists()) << dir.path().toStdString();
    for (const QString& name : dir.entryList(QDir::Files)) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        AcsFile file;
        // Loading may succeed; drawing every frame must then fail cleanly where an image is bad.
        if (const agent::Status loaded = file.loadData(f.readAll()); !loaded) {
            EXPECT_FALSE(loaded.error().isEmpty()) << name.toStdString();
            continue;
        }
        expectEveryFrameDrawsOrFails(file, name.toStdString());
        // Decoding into a buffer of exactly the image's size, which for an image of no pixels is null.
        for (int i = 0; i < file.imageCount(); ++i) {
            const ImageInfo info = file.imageInfo(i).valueOr({});
            std::vector<std::uint8_t> pixels(std::size_t(rowStride(info.width)) * info.height);
            const agent::Status decoded = file.decodeIndices(i, pixels.data(), pixels.size());
            EXPECT_TRUE(decoded || !decoded.error().isEmpty()) << name.toStdString() << " image " << i;
        }
    }
}

TEST(AcsWriter, SampleAndAHugeImageReadBackTheSameAndWhatCannotBeStoredIsRefused) {
    expectRewriteKeeps(sampleCharacter());
    AcsFile file;
    ASSERT_TRUE(succeeds(file.loadData(writeCharacter(sampleCharacter(), {}).valueOr({}))));
    FrameComposer composer(file);
    const QImage frame = composer.compose(file.animationIndex(u"idle"), 0, -1).valueOr({});
    // Image 0 (10x7) at (1,1) under image 1 (3x2) at (4,2); index 0 is the transparent colour. Stored rows
    // are bottom-up: picture row r of image 0 is stored row 6 - r; the pattern value is 1 + (x*3 + y*5) % 4
    // with y the stored row. At (1,1) image 0's transparent border; at (5,3), inside image 1's border (its
    // only inner pixels), image 0 shows through; at (11,8), outside both images, the frame is clear.
    auto image0 = [](int x, int r) { return 1 + (x * 3 + (6 - r) * 5) % 4; };
    const QList<QRgb>& pal = file.info().palette;
    EXPECT_EQ(
        (QList<QRgb>{frame.pixel(1, 1), frame.pixel(1 + 8, 1 + 5), frame.pixel(5, 3), frame.pixel(11, 8)}),
        (QList<QRgb>{0u, pal[image0(8, 5)], pal[image0(4, 2)], 0u}));

    // The mouth that replaces the top image draws image 2 at (6,5), clipped by the frame's 12x9.
    // Picture row 1 is stored row 2.
    EXPECT_EQ(composer.compose(file.animationIndex(u"Idle"), 0, 0).valueOr({}).pixel(7, 6),
              pal[1 + (1 * 3 + 2 * 5 + 2) % 4]);
    EXPECT_EQ(composer.compose(0, 5).error(), QStringLiteral("no frame 5 in animation 0"));

    // Runs of one colour pack hundreds of pixels into a byte, so an image may be tiny in the file and large
    // on screen: such a file loads and its image decodes in full.
    CharacterData c = sampleCharacter();
    const ImageData big{256, 256, 0, 0, QByteArray(256 * 256, char(3)), {}};
    c.images.append(big);
    c.animations[1].frames[1].images = {FrameImage{3, -100, -100}};
    const QByteArray bytes = writeCharacter(c, {}).valueOr({});
    ASSERT_TRUE(succeeds(file.loadData(bytes)));
    ASSERT_EQ(file.imageCount(), 4);
    EXPECT_LT(file.imageInfo(3).valueOr({}).dataSize, 100u)
        << "the stream should be tiny for the test to mean much";
    EXPECT_EQ(extractCharacter(file).valueOr({}).images[3], big);

    EXPECT_EQ(FrameComposer(file).compose(1, 1, -1).valueOr({}).pixel(11, 8), file.info().palette[3]);

    const std::pair<void (*)(CharacterData&), const char*> cases[] = {
        {[](CharacterData& c) { c.images[0].pixels.chop(1); }, "image 0"},
        {[](CharacterData& c) { c.animations[0].frames[0].images[0].image = 3; }, "out of range"},
        {[](CharacterData& c) { c.animations[1].frames[0].branches.resize(256); }, "too many"},
    };
    for (const auto& [damage, error] : cases) {
        CharacterData c = sampleCharacter();
        damage(c);
        EXPECT_TRUE(has(writeCharacter(c, {}).error(), error));
    }

    const QString nowhere = QTemporaryDir().filePath(QStringLiteral("no/such/folder/x.acs"));
    EXPECT_TRUE(starts(saveCharacter(nowhere, sampleCharacter(), {}).error(), "cannot write "));
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

TEST(FileBytes, GivesTheRangesAskedForAndRefusesWhatIsGoneAndACharacterIsReadAsWanted) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("pattern"));
    QByteArray pattern(100000, Qt::Uninitialized);
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        pattern[i] = char(i * 7 + i / 251);
    }
    ASSERT_TRUE(writeFile(path, pattern));

    agent::Result<FileBytes> opened = FileBytes::open(path, 1u << 20);
    ASSERT_TRUE(succeeds(opened));
    FileBytes& bytes = *opened;
    ASSERT_EQ(bytes.size(), 100000u);
    for (auto [offset, length] : {std::pair{50000, 10}, {16380, 10}, {99990, 10}, {0, 1}, {100000, 0}}) {
        ASSERT_TRUE(succeeds(bytes.fetch(offset, length))) << offset;
        EXPECT_EQ(bytes.bytes().mid(offset, length), pattern.mid(offset, length)) << offset;
    }
    EXPECT_TRUE(has(bytes.fetch(99990, 11).error(), "past the end of the 100000-byte"));
    EXPECT_FALSE(bytes.fetch(0xFFFFFFFFFFFFFFF0ull, 0x20));

    // Cut short after it was opened: what was read stays, what lies past the cut fails, and a piece that
    // straddles the cut fails too rather than give bytes that are not there.
    ASSERT_TRUE(QFile::resize(path, 40000));
    EXPECT_TRUE(succeeds(bytes.fetch(50000, 10)));
    EXPECT_EQ(bytes.bytes().mid(50000, 10), pattern.mid(50000, 10));
    EXPECT_TRUE(has(bytes.fetch(35000, 10).error(), "it ends at byte 40000, short of the 100000"));
    EXPECT_TRUE(succeeds(bytes.fetch(20000, 10)));
    EXPECT_EQ(bytes.bytes().mid(20000, 10), pattern.mid(20000, 10));

    // An empty file opens and has nothing to give.
    const QString empty = dir.filePath(QStringLiteral("empty"));
    ASSERT_TRUE(writeFile(empty, {}));
    agent::Result<FileBytes> none = FileBytes::open(empty, 10);
    ASSERT_TRUE(succeeds(none));
    EXPECT_TRUE(succeeds(none->fetch(0, 0)));
    EXPECT_FALSE(none->fetch(0, 1));

    EXPECT_TRUE(has(FileBytes::open(path, 100).error(), "40000 bytes, over the limit of 100"));

    // The sample with a large plain image, a small image after it and a long sound, so that the small image
    // lies in a part of the file that the load does not read; read from its file, it reads as from memory,
    // and a file cut short after loading costs only what is gone.
    CharacterData character = sampleCharacter();
    character.images.append(sampleImage(200, 200, 7));
    character.images.append(sampleImage(5, 3, 8));
    character.sounds.first().wave.append(QByteArray(100000, '\x80'));
    const QByteArray written = writeCharacter(character, {false, false}).valueOr({});
    const std::uint32_t lastImageOffset = get32(written, get32(written, 20) + 4 + 12 * 4);
    ASSERT_GT(lastImageOffset, 40000u);
    const QString acs = dir.filePath(QStringLiteral("large.acs"));
    ASSERT_TRUE(writeFile(acs, written));

    AcsFile file;
    ASSERT_TRUE(succeeds(file.load(acs)));
    EXPECT_EQ(file.fileSize(), std::uint64_t(written.size()));
    EXPECT_TRUE(extractCharacter(file).valueOr({}) == character);

    AcsFile cut;
    ASSERT_TRUE(succeeds(cut.load(acs)));
    ASSERT_TRUE(succeeds(cut.image(0)));
    ASSERT_TRUE(QFile::resize(acs, lastImageOffset));
    EXPECT_TRUE(succeeds(cut.image(1)));
    EXPECT_TRUE(succeeds(cut.image(2)));
    const QString error = cut.image(4).error();
    EXPECT_TRUE(reads(error, "image 4: cannot read " + acs,
                      QStringLiteral("it ends at byte %1").arg(lastImageOffset)));
    EXPECT_TRUE(cut.sound(0).isEmpty()) << "the sound lay past the cut";
    // The structures were all read at load.
    EXPECT_EQ(cut.imageCount(), 5);
}

// A bare name is looked for in the user's folder, then the shipped copies, whatever its case; a path is taken
// as it is.
TEST(CharacterFolder, TheUsersFolderFirstThenTheShippedCopiesAndTheUsersLanguage) {
    QTemporaryDir user;
    QTemporaryDir shipped;
    ASSERT_TRUE(saveCharacter(shipped.filePath("max.acs"), sampleCharacter(), {}));
    ASSERT_TRUE(saveCharacter(shipped.filePath("plany.acs"), sampleCharacter(), {}));
    ASSERT_TRUE(saveCharacter(user.filePath("Plany.acs"), sampleCharacter(), {}));
    const QStringList both{user.path(), shipped.path()};
    const struct {
        QStringList folders;
        QString name, path;
    } table[] = {
        {both, "max.acs", shipped.filePath("max.acs")},
        {both, "plany.acs", user.filePath("Plany.acs")},
        {both, "other.acs", user.filePath("other.acs")},
        {both, "/elsewhere/max.acs", "/elsewhere/max.acs"},
        {{}, "max.acs", "max.acs"},
    };
    for (const auto& t : table) {
        EXPECT_EQ(characterPath(t.folders, t.name), t.path) << t.name.toStdString();
    }
    const auto opened = openCharacter(both, "PLANY.acs");
    ASSERT_TRUE(opened) << opened.error().toStdString();
    EXPECT_EQ((*opened)->info().width, 12);
    const auto missing = openCharacter(both, "other.acs");
    ASSERT_FALSE(missing);
    EXPECT_TRUE(starts(missing.error(), "cannot load " + user.filePath("other.acs")));

    EXPECT_EQ(langIdForLocale(QLocale("en_GB")), 0x0809);
    EXPECT_EQ(langIdForLocale(QLocale("pt_BR")), 0x0416);

    CharacterData c = sampleCharacter();
    c.info.localized = {
        {0x040c, "Le Génie", "fr", ""}, {0x0409, "Genie", "en", ""}, {0x0807, "Geist", "de-ch", ""}};
    AcsFile file;
    ASSERT_TRUE(file.loadData(writeCharacter(c, {}).valueOr({})));
    auto nameFor = [&](const char* locale) { return localizedFor(file, QLocale(locale))->name; };
    // German from Germany finds the same language from another country.
    EXPECT_EQ((QStringList{nameFor("fr_FR"), nameFor("de_DE"), nameFor("ja_JP")}),
              (QStringList{"Le Génie", "Geist", "Genie"}));
    c.info.localized = {{0x040c, "Le Génie", "fr", ""}, {0x0407, "Geist", "de", ""}};
    ASSERT_TRUE(file.loadData(writeCharacter(c, {}).valueOr({})));
    EXPECT_EQ(nameFor("ja_JP"), "Le Génie");
}

}  // namespace

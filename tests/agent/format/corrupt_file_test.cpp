// Damaged files: each structure cut short, counts and offsets out of range, a back-reference before the
// start of an image, a version 2 file behind the signature of the compound documents version 1.5 lives in.
// Each must give an error that names what was being read, never a crash or a hang. The damage is applied to
// our own sample file at offsets worked out from its layout, so these tests run without the genuine files.
#include "agent/format/acs_file.h"
#include "agent/format/acs_writer.h"
#include "agent/format/frame_composer.h"
#include "tests/agent/format/acs15_builder.h"
#include "tests/agent/format/acs_test_files.h"
#include "tests/agent/format/sample_character.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <functional>
#include <vector>

using namespace agent::format;
using formattest::get32;
using formattest::put32;

namespace {

QByteArray sampleBytes() {
    const agent::Result<QByteArray> bytes = writeCharacter(formattest::sampleCharacter(), {});
    EXPECT_TRUE(formattest::succeeds(bytes));
    return bytes.valueOr({});
}

void put16(QByteArray& b, qsizetype at, std::uint16_t v) {
    qToLittleEndian(v, b.data() + at);
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
    explicit Layout(const QByteArray& b) {
        info = get32(b, 4);
        animationList = get32(b, 12);
        imageList = get32(b, 20);
        soundList = get32(b, 28);
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

using Damage = std::function<void(QByteArray&, const Layout&)>;

// Writes a value at an offset into one of the sample's structures.
Damage set32(qsizetype Layout::*base, qsizetype offset, std::uint32_t v) {
    return [=](QByteArray& b, const Layout& at) { put32(b, at.*base + offset, v); };
}
Damage set16(qsizetype Layout::*base, qsizetype offset, std::uint16_t v) {
    return [=](QByteArray& b, const Layout& at) { put16(b, at.*base + offset, v); };
}

// The error of a load that must fail, which must leave nothing loaded.
QString loadError(const QByteArray& bytes, const Limits& limits = {}) {
    AcsFile file;
    const agent::Status loaded = file.loadData(bytes, limits);
    EXPECT_FALSE(loaded);
    EXPECT_FALSE(file.isLoaded());
    return loaded ? QString() : loaded.error();
}

// An error names the structure it was found in by its place in the file, down to the frame: which animation,
// which frame of it, which image, which list entry. The rows with a `context` put the damage past the first
// of each, so that a name or an index left over from an earlier structure shows.
TEST(AcsFileCorrupt, EachDamageGivesItsError) {
    const struct {
        const char* name;
        Damage apply;
        const char* error;              // part of the expected message
        const char* context = nullptr;  // what the message starts with, before " at offset "
    } table[] = {
        {"header cut short", [](QByteArray& b, const Layout&) { b.truncate(20); },
         "file header at offset 20"},
        {"wrong signature", set32(&Layout::start, 0, 0x12345678), "not a character file"},
        {"character info past the end",
         [](QByteArray& b, const Layout&) { put32(b, 4, std::uint32_t(b.size())); },
         "the character info at offset"},
        {"character info cut short", set32(&Layout::start, 8, 30), "character info at offset"},
        {"wrong version", set16(&Layout::info, 2, 1),
         "version 1.1 is not 2.x: its 379 bytes begin 01 00 01 00"},
        {"character info zeroed",
         [](QByteArray& b, const Layout& at) {
             b.replace(at.info, get32(b, 8), QByteArray(get32(b, 8), '\0'));
         },
         "bytes are all zero"},
        {"zero frame size", set16(&Layout::info, 28, 0), "character size 0x9"},
        {"palette count over 256", set32(&Layout::palette, 0, 1000), "palette colour count 1000 is over"},
        {"state count past the block", set16(&Layout::states, 0, 5000), "state count 5000 does not fit"},
        {"localized info past the end", set32(&Layout::info, 4, 0xFFFFFF00), "localized info at offset"},
        {"frame image out of range", set32(&Layout::firstAnimation, 33, 99), "image index 99 is past the 3"},
        {"image past the end", set32(&Layout::imageList, 8, 0x7FFFFFFF), "image 0 at offset"},
        {"sound past the end", set32(&Layout::soundList, 8, 0x7FFFFFFF), "sound 0 at offset"},
        {"second frame's image out of range", set32(&Layout::secondFrame, 2, 77),
         "image index 77 is past the 3 images", "animation 'Idle' frame 1"},
        {"second animation past the end", set32(&Layout::animationList, 4 + 22 + 14, 0xFFFFFFF0),
         "animation 'Wave' at offset 4294967280 with size", "animation list entry 1"},
        // "WAVE", transition, no return animation, then the frame count.
        {"second animation's frame count past its block", set16(&Layout::secondAnimation, 19, 5000),
         "frame count 5000 does not fit in the remaining", "animation 'Wave'"},
    };
    const QByteArray good = sampleBytes();
    const Layout at(good);
    ASSERT_EQ(get32(good, at.secondFrame + 2), 0u) << "Idle's second frame shows image 0";
    for (const auto& d : table) {
        SCOPED_TRACE(d.name);
        QByteArray bytes = good;
        d.apply(bytes, at);
        const QString error = loadError(bytes);
        EXPECT_TRUE(error.contains(QLatin1String(d.error))) << error.toStdString();
        if (d.context != nullptr) {
            EXPECT_TRUE(error.startsWith(QLatin1String(d.context) + QStringLiteral(" at offset ")))
                << error.toStdString();
        }
    }
}

// Damage to one image, in its header or its data, shows only when that image is used: the file loads, that
// image and the frames that draw it fail with an error, and everything else draws.
TEST(AcsFileCorrupt, DamagedImageDataSpoilsOnlyThatImage) {
    const struct {
        const char* name;
        bool plain;  // images and regions stored without compression
        Damage apply;
        bool region;  // the damage is in the region, not the pixels
        const char* error;
    } table[] = {
        {"image over the size limit", false, set16(&Layout::firstImage, 1, 5000), false,
         "image size 5000x7 is over the limit of 4096"},
        // The first code becomes a copy, reaching before the start of the output.
        {"back-reference before the start", false,
         [](QByteArray& b, const Layout& at) { b[at.firstImage + 11] = char(0x01); }, false,
         "before the start"},
        {"plain data short of the image's size", true, set16(&Layout::firstImage, 3, 8), false,
         "plain image data of 84 bytes is short of the 96 bytes of a 10x8 image"},
        {"region stream too short for its size", false, set32(&Layout::firstRegion, 0, 1000000), true,
         "region: compressed data ends after 32 of 1000000 bytes"},
    };
    for (const auto& d : table) {
        SCOPED_TRACE(d.name);
        QByteArray bytes = writeCharacter(formattest::sampleCharacter(), {!d.plain, !d.plain}).valueOr({});
        const Layout at(bytes);
        d.apply(bytes, at);
        AcsFile file;
        ASSERT_TRUE(formattest::succeeds(file.loadData(bytes)));
        const QString error = d.region ? file.region(0).error() : file.image(0).error();
        EXPECT_TRUE(error.startsWith(QStringLiteral("image 0"))) << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String(d.error))) << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("offset"))) << error.toStdString();
        for (int i = 1; i < file.imageCount(); ++i) {
            EXPECT_TRUE(formattest::succeeds(file.image(i))) << "image " << i;
            EXPECT_FALSE(file.region(i).valueOr({}).isEmpty()) << "image " << i;
        }
        if (!d.region) {
            FrameComposer composer(file);
            const QString composeError = composer.compose(0, 0, -1).error();
            EXPECT_TRUE(composeError.startsWith(QStringLiteral("image 0"))) << composeError.toStdString();
            EXPECT_TRUE(formattest::succeeds(composer.compose(1, 0, -1))) << "Wave does not use image 0";
        }
    }
    // A header read after another's failure names its own image.
    QByteArray bytes = sampleBytes();
    const Layout at(bytes);
    put16(bytes, at.firstImage + 1, 5000);
    put32(bytes, get32(bytes, at.imageList + 4 + 12) + 6, 0x10000);
    AcsFile file;
    ASSERT_TRUE(formattest::succeeds(file.loadData(bytes)));
    ASSERT_FALSE(file.imageInfo(0));
    const QString error = file.imageInfo(1).error();
    EXPECT_TRUE(error.startsWith(QStringLiteral("image 1 at offset "))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("data needs 65536 bytes"))) << error.toStdString();
    EXPECT_EQ(file.imageInfo(1).error(), error) << "a bad header stays bad";
    EXPECT_TRUE(formattest::succeeds(file.image(2)));
}

// A load that fails leaves nothing behind, whether the object was new or held a good file, and whatever
// stage the reading reached: every accessor answers as for an empty file, never from what was half-read
// (an image's offsets would point into data that is gone).
TEST(AcsFileCorrupt, AFailedLoadLeavesAnEmptyFile) {
    const QByteArray good = sampleBytes();
    // The animation list is read last, so the info, sounds and images before it have been read.
    QByteArray noAnimationList = good;
    put32(noAnimationList, 16, 0);
    Limits tiny;
    tiny.maxFileSize = 100;
    const struct {
        const char* name;
        std::function<agent::Status(AcsFile&)> load;
        const char* error;
    } cases[] = {
        {"damaged file", [&](AcsFile& f) { return f.loadData(noAnimationList); }, "animation"},
        {"file over the limit", [&](AcsFile& f) { return f.loadData(good, tiny); }, "over the limit of 100"},
        {"missing file", [](AcsFile& f) { return f.load(QStringLiteral("/nonexistent/horalia/sample.acs")); },
         "cannot open /nonexistent/horalia/sample.acs"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AcsFile file;
        ASSERT_TRUE(file.loadData(good));
        ASSERT_TRUE(file.image(0));  // in the cache now
        const agent::Status loaded = c.load(file);
        ASSERT_FALSE(loaded);
        EXPECT_FALSE(file.isLoaded());
        EXPECT_TRUE(loaded.error().contains(QLatin1String(c.error))) << loaded.error().toStdString();
        EXPECT_EQ(file.info(), CharacterInfo());
        EXPECT_TRUE(file.animations().isEmpty());
        EXPECT_TRUE(file.imageCount() == 0);
        EXPECT_TRUE(file.sounds().isEmpty());
        EXPECT_EQ(file.fileSize(), 0u);
        EXPECT_EQ(file.animationIndex(u"Idle"), -1);
        EXPECT_EQ(file.state(u"Speaking"), nullptr);
        EXPECT_EQ(file.localized(), nullptr);
        for (int i : {0, 1126}) {
            std::uint8_t pixels[128] = {};
            for (const QString& error :
                 {file.image(i).error(), file.decodeIndices(i, pixels, sizeof pixels).error(),
                  file.region(i).error()}) {
                EXPECT_TRUE(error.contains(QStringLiteral("no such image")))
                    << i << ": " << error.toStdString();
            }
        }
        EXPECT_TRUE(file.sound(0).isEmpty());
        EXPECT_FALSE(FrameComposer(file).compose(0, 0, -1).error().isEmpty());

        // And the object is as good as new for the next file.
        ASSERT_TRUE(formattest::succeeds(file.loadData(good)));
        EXPECT_TRUE(file.image(0));
    }
}

// A file of a few bytes can stack one image thousands of times in a frame; drawing it is refused before
// any pixel is touched.
TEST(AcsFileCorrupt, FramesStackingTooManyLayersAreRefused) {
    CharacterData c = formattest::sampleCharacter();
    Frame& frame = c.animations[1].frames[0];
    frame.images = QList<FrameImage>(60, FrameImage{0, 0, 0});  // 60 x 70 pixels > 32 x 12 x 9
    AcsFile file;
    ASSERT_TRUE(file.loadData(writeCharacter(c, {}).valueOr({})));
    FrameComposer composer(file);
    const QString error = composer.compose(1, 0, -1).error();
    EXPECT_TRUE(error.contains(QStringLiteral("60 images"))) << error.toStdString();
}

// The caller's limits are applied as well as the defaults.
TEST(AcsFileCorrupt, CallersLimitsApply) {
    const QByteArray good = sampleBytes();
    const struct {
        const char* name;
        std::function<void(Limits&)> set;
        const char* error;
    } cases[] = {
        {"sounds", [](Limits& l) { l.maxSounds = 0; }, "sound count 1 is over the limit of 0"},
        {"string length", [](Limits& l) { l.maxStringChars = 3; }, "longer than the limit of 3"},
        {"picture side", [](Limits& l) { l.maxImageSide = 9; }, "character size 12x9 is outside 1..9"},
        {"region size", [](Limits& l) { l.maxRegionSize = 16; }, "region of 32 bytes is over the limit"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Limits limits;
        c.set(limits);
        const QString error = loadError(good, limits);
        EXPECT_TRUE(error.contains(QLatin1String(c.error))) << error.toStdString();
    }
}

// An animation list whose entries all point at one long animation would multiply the memory a small file
// costs; the reader counts what it reads and stops. Here both entries name Wave's block, most of the file.
TEST(AcsFileCorrupt, AnimationEntriesSharingOneBlockAreRefused) {
    CharacterData c = formattest::sampleCharacter();
    c.animations[1].frames = QList<Frame>(2000, c.animations[1].frames[0]);
    QByteArray bytes = writeCharacter(c, {}).valueOr({});
    const Layout at(bytes);
    put32(bytes, at.animationList + 4 + 14, get32(bytes, at.animationList + 4 + 22 + 14));
    put32(bytes, at.animationList + 4 + 18, get32(bytes, at.animationList + 4 + 22 + 18));
    const QString error = loadError(bytes);
    EXPECT_TRUE(error.contains(QStringLiteral("more than the whole file"))) << error.toStdString();
}

// Every shorter file fails with an error; every single damaged byte either fails with an error or gives a
// file whose frames can all be drawn or refused.
TEST(AcsFileCorrupt, EveryTruncationAndEveryByteFlipIsHandled) {
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
    const QStringList files = dir.entryList(QDir::Files);
    for (const QString& name : files) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        AcsFile file;
        // Loading may succeed; drawing every frame must then fail cleanly where an image is bad.
        if (const agent::Status loaded = file.loadData(f.readAll()); !loaded) {
            EXPECT_FALSE(loaded.error().isEmpty()) << name.toStdString();
        } else {
            expectEveryFrameDrawsOrFails(file, name.toStdString());
            // Decoding into a buffer of exactly the image's size, which for an image of no pixels is null.
            for (int i = 0; i < file.imageCount(); ++i) {
                std::vector<std::uint8_t> pixels(std::size_t(rowStride(file.imageInfo(i).valueOr({}).width)) *
                                                 file.imageInfo(i).valueOr({}).height);
                const agent::Status decoded = file.decodeIndices(i, pixels.data(), pixels.size());
                EXPECT_TRUE(decoded || !decoded.error().isEmpty()) << name.toStdString() << " image " << i;
            }
        }
    }
}

}  // namespace

// Version 1.5 characters through AcsFile: small characters built here, with each kind of damage, and the
// four genuine files, whose every frame must compose into a picture that is not blank.
#include "agent/format/acs_file.h"
#include "agent/format/frame_composer.h"
#include "tests/agent/format/acs15_builder.h"
#include "tests/agent/format/acs_test_files.h"

#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>
#include <functional>
#include <vector>

using namespace agent::format;
using formattest::Acs15Recipe;
using formattest::put32;

namespace {

QRgb paletteColour(int i) {
    // As acs15CharacterBlock writes the palette: red i, green 255 - i, blue i / 2.
    return qRgb(i, 255 - i, i / 2);
}

agent::Status loadRecipe(AcsFile& f, const Acs15Recipe& recipe) {
    return f.loadData(formattest::buildAcs15(recipe));
}

TEST(Acs15File, TinyCharacterReadsAsBuiltAndSoundsAreNumberedOn) {
    Acs15Recipe recipe = formattest::tinyCharacter();
    recipe.animations[0].sounds = {formattest::tinyWave(4), formattest::tinyWave(6)};
    recipe.animations[0].frames[0].sound = 1;
    AcsFile f;
    ASSERT_TRUE(formattest::succeeds(loadRecipe(f, recipe)));
    EXPECT_TRUE(f.info().balloon);
    EXPECT_FALSE(f.info().voice);
    const Animation* wave = f.animation(u"wave");
    ASSERT_NE(wave, nullptr);
    EXPECT_EQ(wave->transition, std::uint8_t(Transition::ReturnAnimation));
    EXPECT_EQ(wave->returnAnimation, QStringLiteral("RestPose"));
    EXPECT_EQ(f.animations()[0].transition, std::uint8_t(Transition::None));

    // Each animation's images follow the last one's; overlays add images of their own.
    ASSERT_EQ(f.imageCount(), 1 + 2 + 2);
    EXPECT_EQ(wave->frames[1].images, (QList<FrameImage>{{4, 0, 0}}));
    const Frame& rest = f.animations()[0].frames[0];
    ASSERT_EQ(rest.overlays.size(), 2);
    EXPECT_EQ(f.imageInfo(rest.overlays[1].image).valueOr({}).width, 4);

    // Sound numbers count on from the animations before.
    ASSERT_EQ(f.sounds().size(), 3);
    EXPECT_EQ(rest.sound, 1);
    EXPECT_EQ(wave->frames[0].sound, 2);
    EXPECT_EQ(wave->frames[1].sound, kNoSound);
    EXPECT_EQ(f.sound(2), formattest::tinyWave(10));
}

// The frames of the tiny character's animations: [0] RestPose, [1] Wave.
const Frame& frameOf(const AcsFile& f, int animation, int frame) {
    return f.animations()[animation].frames[frame];
}

struct PartDamage {
    const char* name;
    std::function<void(Acs15Recipe&)> apply;
    const char* leftOut;  // empty: nothing is said
    std::function<bool(const AcsFile&)> holds;
};

TEST(Acs15File, DamageInsideAnAnimationCostsOnlyThePartItIsIn) {
    const std::vector<PartDamage> table = {
        {"a frame with image 0xFFFF draws none and keeps the rest",
         [](Acs15Recipe& s) { s.animations[0].frames[0].image = 0xFFFF; }, "",
         [](const AcsFile& f) {
             const Frame& fr = frameOf(f, 0, 0);
             // Only its mouth is drawn, where the overlay lies.
             const QImage mouth = FrameComposer(f).compose(0, 0, 1).valueOr({});
             return fr.images.isEmpty() && fr.duration == 10 && fr.overlays.size() == 2 &&
                    mouth.pixel(3, 3) == 0u && mouth.pixel(2, 1) == (paletteColour(10) | 0xFF000000u);
         }},
        {"a frame's image just past the animation's",
         [](Acs15Recipe& s) { s.animations[1].frames[2].image = 2; },
         "animation 'Wave' frame 2 (stream 'anim2.aaf', decompressed) at offset 212: image 2 is past the "
         "animation's 2 images; the frame draws none",
         [](const AcsFile& f) {
             return frameOf(f, 1, 2).images.isEmpty() && frameOf(f, 1, 2).branches.size() == 2;
         }},
        {"a frame's sound past the animation's", [](Acs15Recipe& s) { s.animations[1].frames[1].sound = 1; },
         "sound 1 is past the animation's 1 sounds; the frame plays none",
         [](const AcsFile& f) { return frameOf(f, 1, 1).sound == kNoSound && frameOf(f, 1, 0).sound == 0; }},
        {"a sound that is not a wave", [](Acs15Recipe& s) { s.animations[1].sounds = {QByteArray(20, 'x')}; },
         "sound 0 is not RIFF WAVE data; it is not played",
         [](const AcsFile& f) { return frameOf(f, 1, 0).sound == kNoSound; }},
        {"a sound too short", [](Acs15Recipe& s) { s.animations[1].sounds = {QByteArray("RIFF")}; },
         "too short for RIFF WAVE data; it is not played",
         [](const AcsFile& f) { return frameOf(f, 1, 0).sound == kNoSound; }},
        {"a branch past the frames",
         [](Acs15Recipe& s) {
             s.animations[1].frames[2].branches = {{3, 100}, {1, 20}};
         },
         "branch to frame 3 is past the 3 frames; it is not taken",
         [](const AcsFile& f) {
             return frameOf(f, 1, 2).branches == QList<Branch>{{1, 20}};
         }},
        {"an image stored otherwise", [](Acs15Recipe& s) { s.animations[0].imageFlag = 1; },
         "animation 'RestPose' image 0 (stream 'anim1.aaf', decompressed) at offset 61: storage flag 1 is "
         "not 0",
         [](const AcsFile& f) {
             return frameOf(f, 0, 0).images.isEmpty() && frameOf(f, 0, 0).overlays.size() == 2;
         }},
        {"a huge mouth overlay", [](Acs15Recipe& s) { s.animations[0].frames[0].overlays[0].width = 5000; },
         "frame 0 mouth overlay 0 (stream 'anim1.aaf', decompressed) at offset",
         [](const AcsFile& f) {
             return frameOf(f, 0, 0).overlays.size() == 1 && frameOf(f, 0, 0).overlays[0].shape == 1;
         }},
    };
    for (const PartDamage& d : table) {
        SCOPED_TRACE(d.name);
        Acs15Recipe recipe = formattest::tinyCharacter();
        d.apply(recipe);
        AcsFile f;
        ASSERT_TRUE(formattest::succeeds(loadRecipe(f, recipe)));
        ASSERT_EQ(f.animations().size(), 2);
        EXPECT_EQ(f.animations()[1].frames.size(), 3);
        if (*d.leftOut == '\0') {
            EXPECT_TRUE(f.leftOut().isEmpty()) << f.leftOut().join('\n').toStdString();
        } else {
            ASSERT_EQ(f.leftOut().size(), 1);
            EXPECT_TRUE(f.leftOut()[0].contains(QLatin1String(d.leftOut))) << f.leftOut()[0].toStdString();
        }
        EXPECT_TRUE(d.holds(f));
        // The other animation is whole.
        EXPECT_EQ(FrameComposer(f).compose(1, 1).valueOr({}).pixel(3, 3), paletteColour(7) | 0xFF000000u);
    }
}

struct StreamDamage {
    const char* name;
    std::function<void(QList<formattest::CfbStream>&)> apply;
    const char* error;    // when the file is refused
    const char* leftOut;  // when one animation is left out: its name
};

TEST(Acs15File, ADamagedAnimationCostsThatAnimationADamagedCharacterTheFile) {
    using formattest::get32;
    const std::vector<StreamDamage> table = {
        {"no character stream", [](auto& s) { s.removeFirst(); }, "there is no stream 'char.acf'", nullptr},
        {"character stream cut in its header", [](auto& s) { s[0].data.truncate(10); },
         "stream 'char.acf' header at offset 8", nullptr},
        {"character signature", [](auto& s) { put32(s[0].data, 0, 0xABCDABC3); },
         "signature 0xabcdabc3 is not 0xABCDABC1", nullptr},
        {"character size more than the data holds",
         [](auto& s) { put32(s[0].data, 4, get32(s[0].data, 4) + 50); }, "compressed data ends", nullptr},
        {"version 2 inside",
         [](auto& s) {
             Acs15Recipe r = formattest::tinyCharacter();
             r.majorVersion = 2;
             s = formattest::acs15Streams(r);
         },
         "format version 2.31 is not 1.x", nullptr},
        {"every animation damaged",
         [](auto& s) {
             s[1].data.truncate(12);
             s.removeLast();
         },
         "no animation could be read: animation 'RestPose' left out: stream 'anim1.aaf' header", nullptr},
        {"an animation's stream missing", [](auto& s) { s.removeLast(); }, nullptr,
         "animation 'Wave' left out: OLE compound document: there is no stream 'anim2.aaf'"},
        {"an animation's checksum differs", [](auto& s) { put32(s[2].data, 4, 1); }, nullptr,
         "checksum 0x00000001 differs from the animation list's 0xcafef00d"},
        {"an animation stored plain", [](auto& s) { s[1].data[8] = 0; }, nullptr,
         "stream 'anim1.aaf' header at offset 8: storage flag 0 is not 1"},
    };
    for (const StreamDamage& d : table) {
        SCOPED_TRACE(d.name);
        QList<formattest::CfbStream> streams = formattest::acs15Streams(formattest::tinyCharacter());
        d.apply(streams);
        AcsFile f;
        const agent::Status loaded = f.loadData(formattest::buildCompoundFile(streams));
        if (d.error != nullptr) {
            ASSERT_FALSE(loaded);
            EXPECT_FALSE(f.isLoaded());
            EXPECT_TRUE(f.animations().isEmpty() && f.imageCount() == 0 && f.leftOut().isEmpty());
            EXPECT_TRUE(loaded.error().startsWith(QStringLiteral("version 1.5 character: ")));
            EXPECT_TRUE(loaded.error().contains(QLatin1String(d.error))) << loaded.error().toStdString();
            continue;
        }
        ASSERT_TRUE(formattest::succeeds(loaded));
        ASSERT_EQ(f.leftOut().size(), 1);
        EXPECT_TRUE(f.leftOut()[0].contains(QLatin1String(d.leftOut))) << f.leftOut()[0].toStdString();
        // The animation that is left reads whole, its images numbered from 0 and its sound found.
        ASSERT_EQ(f.animations().size(), 1);
        const Animation& kept = f.animations()[0];
        const bool restLeft = kept.name == u"RestPose";
        EXPECT_EQ(f.imageCount(), restLeft ? 3 : 2);
        EXPECT_EQ(f.sounds().size(), restLeft ? 0 : 1);
        EXPECT_EQ(FrameComposer(f).compose(0, restLeft ? 0 : 1).valueOr({}).pixel(3, 3),
                  paletteColour(restLeft ? 3 : 7) | 0xFF000000u);
        EXPECT_EQ(f.animation(restLeft ? u"Wave" : u"RestPose"), nullptr);
    }
}

TEST(Acs15File, DecompressedStreamsStayWithinTheFileSizeLimit) {
    Acs15Recipe recipe = formattest::tinyCharacter();
    recipe.width = recipe.height = 200;  // 40,000 pixels an image, compressed to a few hundred bytes
    const QByteArray doc = formattest::buildAcs15(recipe);
    Limits limits;
    limits.maxFileSize = 100000;
    ASSERT_LT(doc.size(), 100000);
    AcsFile f;
    // The first animation's image fits; the second's two do not, and it is left out.
    ASSERT_TRUE(formattest::succeeds(f.loadData(doc, limits)));
    EXPECT_EQ(f.animations().size(), 1);
    ASSERT_EQ(f.leftOut().size(), 1);
    EXPECT_TRUE(f.leftOut()[0].contains(QStringLiteral("more than the limit of 100000 bytes")))
        << f.leftOut()[0].toStdString();
    limits.maxFileSize = 30000;
    const agent::Status none = f.loadData(doc, limits);
    ASSERT_FALSE(none);
    EXPECT_TRUE(none.error().contains(QStringLiteral("no animation could be read")))
        << none.error().toStdString();
}

using Acs15Genuine = formattest::GenuineFiles;

// The rectangles of a Windows RGNDATA, top row first.
QList<QRect> regionRects(const QByteArray& region) {
    QList<QRect> rects;
    const std::uint32_t count = region.size() >= 32 ? formattest::get32(region, 8) : 0;
    for (std::uint32_t i = 0; i < count && 32 + 16 * qsizetype(i + 1) <= region.size(); ++i) {
        const qsizetype at = 32 + 16 * qsizetype(i);
        const int left = int(formattest::get32(region, at));
        const int top = int(formattest::get32(region, at + 4));
        rects.append(QRect(QPoint(left, top), QPoint(int(formattest::get32(region, at + 8)) - 1,
                                                     int(formattest::get32(region, at + 12)) - 1)));
    }
    return rects;
}

TEST_F(Acs15Genuine, EveryFrameComposesIntoTheOutlineItsImageStates) {
    for (const char* name : {"gnome.acs", "MAX.ACS", "MIKU.ACS", "spaceman.acs"}) {
        SCOPED_TRACE(name);
        AcsFile f;
        ASSERT_TRUE(load(f, name));
        FrameComposer composer(f);
        for (int a = 0; a < f.animations().size(); ++a) {
            const Animation& anim = f.animations()[a];
            int mostOpaque = 0;
            for (int i = 0; i < anim.frames.size(); ++i) {
                SCOPED_TRACE(anim.name.toStdString() + " frame " + std::to_string(i));
                const agent::Result<QImage> composed = composer.compose(a, i, -1);
                ASSERT_TRUE(formattest::succeeds(composed));
                const QImage& frame = *composed;
                ASSERT_EQ(frame.size(), QSize(f.info().width, f.info().height));
                // Each image comes with the outline of its visible pixels, written by the character's maker:
                // the composed frame must cover exactly that, or rows, colours or transparency are wrong.
                ASSERT_EQ(anim.frames[i].images.size(), 1);
                std::vector<bool> inside(std::size_t(frame.width() * frame.height()), false);
                for (const QRect& r :
                     regionRects(f.region(int(anim.frames[i].images[0].image)).valueOr({}))) {
                    const QRect clipped = r.intersected(frame.rect());
                    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
                        for (int x = clipped.left(); x <= clipped.right(); ++x) {
                            inside[std::size_t(y * frame.width() + x)] = true;
                        }
                    }
                }
                int opaque = 0;
                int mismatched = 0;
                for (int y = 0; y < frame.height(); ++y) {
                    for (int x = 0; x < frame.width(); ++x) {
                        const bool shown = qAlpha(frame.pixel(x, y)) != 0;
                        opaque += shown;
                        mismatched += shown != inside[std::size_t(y * frame.width() + x)];
                    }
                }
                EXPECT_EQ(mismatched, 0);
                mostOpaque = std::max(mostOpaque, opaque);
            }
            // Frames may fade to nothing (the end of Hide), but every animation shows the character
            // somewhere.
            EXPECT_GT(mostOpaque, f.info().width * f.info().height / 50) << anim.name.toStdString();
        }
    }
}

TEST_F(Acs15Genuine, KnownDetails) {
    AcsFile max;
    ASSERT_TRUE(load(max, "MAX.ACS"));
    EXPECT_EQ(max.info().transparentIndex, 127);
    EXPECT_EQ(max.animation(u"alert")->returnAnimation, QStringLiteral("AlertReturn"));
    EXPECT_EQ(max.animation(u"Wave")->frames.size(), 16);
    EXPECT_TRUE(max.localized()->description.endsWith(QStringLiteral("Rayflex Animation")));
    EXPECT_EQ(max.info().balloon->background, qRgb(255, 255, 225));
    EXPECT_EQ(max.image(0).valueOr({}).pixelIndex(0, 0), 127);

    AcsFile spaceman;
    ASSERT_TRUE(load(spaceman, "spaceman.acs"));
    EXPECT_EQ(spaceman.info().balloon->fontName, QStringLiteral("X-Files"));
    EXPECT_TRUE(spaceman.info().flags & flags::kBalloonSizeToText);
    // Processing loops back to its start for ever.
    const Animation* processing = spaceman.animation(u"Processing");
    ASSERT_NE(processing, nullptr);
    EXPECT_EQ(processing->frames.last().branches, (QList<Branch>{{0, 100}}));
    // Dropit has two sounds of its own, which come after the sounds of the animations before it.
    const Animation* dropit = spaceman.animation(u"Dropit");
    ASSERT_NE(dropit, nullptr);
    EXPECT_EQ(dropit->frames[1].sound + 1, dropit->frames[6].sound);
    EXPECT_NE(spaceman.sound(dropit->frames[1].sound), spaceman.sound(dropit->frames[6].sound));
}

TEST_F(Acs15Genuine, DamagedFilesAreRefusedCleanly) {
    QFile file(formattest::acsPath("gnome.acs"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray gnome = file.readAll();
    const qsizetype character = gnome.indexOf(QByteArray::fromHex("C1ABCDAB"));
    ASSERT_GT(character, 0);
    const std::uint32_t sectorShift = 9;
    const std::uint32_t firstFat = formattest::get32(gnome, 76);
    auto fatEntry = [&](std::uint32_t s) { return qsizetype(firstFat + 1) * (1 << sectorShift) + 4 * s; };
    const struct {
        const char* name;
        std::function<void(QByteArray&)> apply;
        const char* error;
    } table[] = {
        {"cut in half", [](QByteArray& b) { b.truncate(b.size() / 2); }, "OLE compound document"},
        {"cut in the last sector", [](QByteArray& b) { b.chop(300); }, "runs past the end"},
        // The animation's stream starts at sector 6; its next sector leads back to it.
        {"a sector chain cycle", [&](QByteArray& b) { put32(b, fatEntry(7), 6); }, "a cycle"},
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
        EXPECT_TRUE(loaded.error().startsWith(QStringLiteral("version 1.5 character: ")))
            << loaded.error().toStdString();
        EXPECT_TRUE(loaded.error().contains(QLatin1String(d.error))) << loaded.error().toStdString();
    }
    // Every prefix of a genuine file fails or reads; none crashes or hangs.
    for (qsizetype size = 0; size < gnome.size(); size += 509) {
        AcsFile f;
        if (const agent::Status loaded = f.loadData(gnome.left(size)); !loaded) {
            EXPECT_FALSE(loaded.error().isEmpty());
        }
    }
}

}  // namespace

// Reading genuine character files: counts, names and sizes, every reference between frames, sounds and
// animations, and a few pixels checked by eye against the exported frames. Skips when the files are absent.
#include "agent/format/acs_file.h"
#include "agent/format/frame_composer.h"
#include "tests/agent/format/acs_test_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QtEndian>

using namespace agent::format;

namespace {

using formattest::acsPath;

using AcsFileGenuine = formattest::GenuineFiles;

constexpr int kUnknown = -1;

// What a file in the test folder must read as. Rows with `refusal` must fail with an error that starts with
// the structure named there and gives its offset. Version 1.5 files (an OLE compound document) read into the
// same model as version 2 ones.
struct Expected {
    const char* file;
    const char* name = nullptr;
    int width = kUnknown, height = kUnknown;
    int animations = kUnknown, images = kUnknown, sounds = kUnknown, states = kUnknown;
    int languages = kUnknown;
    bool voice = false, balloon = false, tray = false;
    const char* refusal = nullptr;
    int major = 2;
    int frames = kUnknown, overlays = kUnknown;
};

const Expected kEveryFile[] = {
    {"Genie.acs", "Genie", 128, 128, 76, 591, 14, 16, 30, true, true, true},
    {"Merlin.acs", "Merlin", 128, 128, 73, 614, 32, 16, 30, true, true, true},
    {"Happy_Face.acs", "Happy Face", 135, 225, 6, 10, 0, 6, 1, true, true, true},
    {"GreyAlien.acs", nullptr, 179, 143, 5, 6, 0, 2, 1, false, true, false},
    {"Homer_Simpson.acs", "Fat_Guy", 128, 128, 5, 25, 1, 5, 1, false, true, false},
    {"Airplane.acs", "NormalAirplane", 157, 128, 3, 10, 2, 6, 1, true, false, true},
    {"Wolfman.acs", "Wolfman", 139, 172, 4, 9, 0, 4, 1, true, true, false},
    {"Pencilly.acs", "Pencilly", 120, 120, 77, 136, 24, 16, 1, true, true, true},
    {"yoyo.acs", "Yoyo", 128, 95, 5, 3, 0, 2, 1, true, true, false},
    {"Character2.acs", "Character", 128, 128, 2, 2, 0, 2, 2, false, true, false},
    // Its header's locators lead into compressed image data; no character info is anywhere in the file.
    {.file = "Blinky.acs",
     .refusal =
         "character info at offset 152603: format version 7489.50063 is not 2.x: its 1667 bytes, which "
         "begin 8f c3 41 1d e9 dc 1d f6, vary as compressed or scrambled data does"},
    // Version 1.5: one animation stream per animation in the compound document; no tray icon.
    {"gnome.acs", "Gnome", 100, 259, 1, 8, 0, 2, 1, true, true, false, nullptr, 1, 1, 7},
    {"MAX.ACS", "Max", 128, 128, 20, 140, 0, 10, 1, true, true, false, nullptr, 1, 142, 7},
    {"MIKU.ACS", "Miku", 128, 256, 4, 11, 0, 3, 1, true, true, false, nullptr, 1, 4, 7},
    {"spaceman.acs", "Spaceman", 128, 128, 35, 155, 22, 11, 1, true, true, false, nullptr, 1, 168, 13},
};

void expectCount(qsizetype actual, int expected, const char* what) {
    if (expected != kUnknown) {
        EXPECT_EQ(actual, expected) << what;
    }
}

// What every readable file must satisfy, whatever its version.
void expectUsable(const AcsFile& f, const Expected& e) {
    const CharacterInfo& ci = f.info();
    EXPECT_EQ(ci.majorVersion, e.major);
    EXPECT_EQ(ci.width, e.width);
    EXPECT_EQ(ci.height, e.height);
    EXPECT_EQ(ci.voice.has_value(), e.voice);
    EXPECT_EQ(ci.balloon.has_value(), e.balloon);
    EXPECT_EQ(ci.trayIcon.has_value(), e.tray);
    EXPECT_EQ(ci.palette.size(), 256);
    if (e.name != nullptr) {
        ASSERT_NE(f.localized(), nullptr);
        EXPECT_EQ(f.localized()->name, QLatin1String(e.name));
    }
    EXPECT_TRUE(f.leftOut().isEmpty()) << f.leftOut().join(u'\n').toStdString();
    expectCount(f.animations().size(), e.animations, "animations");
    expectCount(f.imageCount(), e.images, "images");
    expectCount(f.sounds().size(), e.sounds, "sounds");
    expectCount(ci.states.size(), e.states, "states");
    expectCount(ci.localized.size(), e.languages, "languages");
    // Every state names animations that exist, whatever their case.
    for (const State& s : ci.states) {
        for (const QString& a : s.animations) {
            EXPECT_NE(f.animation(a), nullptr) << s.name.toStdString() << " -> " << a.toStdString();
        }
    }
    for (int i = 0; i < f.imageCount(); ++i) {
        const agent::Result<QImage> img = f.image(i);
        ASSERT_TRUE(img) << img.error().toStdString();
        ASSERT_EQ(img->width(), f.imageInfo(i).valueOr({}).width);
    }
    FrameComposer composer(f, 0);
    for (int a = 0; a < f.animations().size(); ++a) {
        for (int i = 0; i < f.animations()[a].frames.size(); ++i) {
            const agent::Result<QImage> frame = composer.compose(a, i, -1);
            ASSERT_TRUE(frame) << f.animations()[a].name.toStdString() << " frame " << i << ": "
                               << frame.error().toStdString();
        }
    }
    for (int i = 0; i < f.sounds().size(); ++i) {
        EXPECT_TRUE(f.sound(i).startsWith("RIFF")) << "sound " << i;
    }
    // Every reference between frames, sounds and animations leads somewhere.
    int frames = 0;
    int overlays = 0;
    for (const Animation& a : f.animations()) {
        frames += int(a.frames.size());
        for (const Frame& fr : a.frames) {
            overlays += int(fr.overlays.size());
            for (const Branch& b : fr.branches) {
                EXPECT_LT(b.frame, a.frames.size()) << a.name.toStdString();
            }
            EXPECT_TRUE(fr.sound == kNoSound || fr.sound < f.sounds().size()) << a.name.toStdString();
        }
        if (!a.returnAnimation.isEmpty()) {
            EXPECT_NE(f.animation(a.returnAnimation), nullptr) << a.name.toStdString();
        }
    }
    expectCount(frames, e.frames, "frames");
    expectCount(overlays, e.overlays, "mouth overlays");
    // An image's outline is a Windows RGNDATA: its header, then its rectangles.
    for (int i = 0; i < f.imageCount(); ++i) {
        const QByteArray region = f.region(i).valueOr({});
        if (!region.isEmpty()) {
            ASSERT_GE(region.size(), 32);
            EXPECT_EQ(qFromLittleEndian<std::uint32_t>(region.constData()), 32u);
            EXPECT_EQ(qFromLittleEndian<std::uint32_t>(region.constData() + 4), 1u);
            EXPECT_EQ(qFromLittleEndian<std::uint32_t>(region.constData() + 8) * 16 + 32, region.size());
        }
    }
}

TEST_F(AcsFileGenuine, EveryFileReadsOrIsRefusedWithTheStructureAndOffset) {
    QStringList listed;
    for (const Expected& e : kEveryFile) {
        SCOPED_TRACE(e.file);
        listed << QLatin1String(e.file);
        AcsFile f;
        const agent::Status loaded = f.load(acsPath(e.file));
        EXPECT_EQ(loaded.ok(), f.isLoaded());
        if (e.refusal != nullptr) {
            ASSERT_FALSE(loaded);
            EXPECT_TRUE(loaded.error().startsWith(QLatin1String(e.refusal))) << loaded.error().toStdString();
            EXPECT_TRUE(loaded.error().contains(QStringLiteral(" at offset ")))
                << loaded.error().toStdString();
        } else {
            ASSERT_TRUE(loaded) << loaded.error().toStdString();
            expectUsable(f, e);
        }
    }
    // A file added to the folder gets a row here.
    QStringList present = QDir(formattest::acsDir()).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    present.removeAll(QStringLiteral("README.md"));
    listed.sort(Qt::CaseInsensitive);
    EXPECT_EQ(present, listed);
}

TEST_F(AcsFileGenuine, GenieDetails) {
    AcsFile genie;
    ASSERT_TRUE(load(genie, "Genie.acs"));
    const CharacterInfo& ci = genie.info();
    EXPECT_EQ(ci.guid.toString(), QStringLiteral("{C3B28D02-B254-11D0-B464-0080C7F5EE85}"));
    EXPECT_EQ(ci.transparentIndex, 10);
    EXPECT_EQ(ci.palette[10], qRgb(255, 0, 255));
    EXPECT_TRUE(ci.flags & flags::kStandardAnimationSet);
    ASSERT_TRUE(ci.balloon);
    EXPECT_EQ(ci.balloon->fontName, QStringLiteral("MS Sans Serif"));
    ASSERT_TRUE(ci.voice);
    EXPECT_EQ(ci.voice->speed, 157u);
    EXPECT_TRUE(genie.localized()->description.startsWith(QStringLiteral("I am your humble")));

    // Names are found without regard to case.
    EXPECT_EQ(genie.animationIndex(u"restpose"), 0);
    EXPECT_EQ(genie.animation(u"gReEt"), genie.animation(u"Greet"));
    EXPECT_EQ(genie.animation(u"NoSuchAnimation"), nullptr);
    EXPECT_NE(genie.state(u"speaking"), nullptr);

    EXPECT_EQ(genie.animation(u"Greet")->frames.size(), 15);

    // Branching, exit branches and mouth overlays of all seven shapes.
    int maxBranches = 0;
    QSet<int> shapes;
    bool sawExit = false;
    for (const Animation& a : genie.animations()) {
        for (const Frame& f : a.frames) {
            maxBranches = std::max(maxBranches, int(f.branches.size()));
            sawExit = sawExit || f.exitFrame >= 0;
            for (const MouthOverlay& o : f.overlays) {
                shapes.insert(o.shape);
            }
        }
    }
    EXPECT_EQ(maxBranches, 3);
    EXPECT_EQ(shapes.size(), kMouthShapeCount);
    EXPECT_TRUE(sawExit);

    qint64 pixels = 0;
    for (int i = 0; i < genie.imageCount(); ++i) {
        const agent::Result<ImageInfo> header = genie.imageInfo(i);
        ASSERT_TRUE(header) << header.error().toStdString();
        pixels += qint64(header->width) * header->height;
    }
    EXPECT_EQ(pixels, 9694116);

    FrameComposer composer(genie);
    const agent::Result<QImage> composed = composer.compose(0, 0, -1);
    ASSERT_TRUE(composed) << composed.error().toStdString();
    const QImage& frame = *composed;
    EXPECT_EQ(frame.size(), QSize(128, 128));
    EXPECT_EQ(frame.pixel(0, 0), 0x00000000u);    // the transparent margin
    EXPECT_EQ(frame.pixel(64, 40), 0xFF7DD5FFu);  // the face, light blue
    EXPECT_EQ(frame.pixel(64, 64), 0xFF6DB3FFu);  // the folded arms
    // The first image's stored bottom row is the picture's last row.
    const QImage first = genie.image(0).valueOr({});
    EXPECT_EQ(first.pixelIndex(0, 0), 10);
    EXPECT_EQ(first.pixelIndex(64, 64), 72);
}

// Each version draws a mouth where its overlay says, inside the frame, and nowhere else unless it replaces
// the top image; and a mouth changes the picture. Checked on the speaking state's first frame and the first
// frames with mouths.
TEST_F(AcsFileGenuine, MouthOverlaysDrawOnlyInsideTheirArea) {
    for (const char* name : {"Genie.acs", "Homer_Simpson.acs", "MIKU.ACS", "MAX.ACS"}) {
        SCOPED_TRACE(name);
        AcsFile f;
        ASSERT_TRUE(load(f, name));
        FrameComposer composer(f);
        QList<std::pair<int, int>> frames{{f.animationIndex(f.state(u"Speaking")->animations.first()), 0}};
        for (int a = 0; a < f.animations().size() && frames.size() < 4; ++a) {
            for (int i = 0; i < f.animations()[a].frames.size() && frames.size() < 4; ++i) {
                if (!f.animations()[a].frames[i].overlays.isEmpty()) {
                    frames.append({a, i});
                }
            }
        }
        int changed = 0;
        for (const auto& [a, i] : frames) {
            const QImage plain = composer.compose(a, i).valueOr({});
            for (const MouthOverlay& o : f.animations()[a].frames[i].overlays) {
                const QImage mouth = composer.compose(a, i, o.shape).valueOr({});
                ASSERT_FALSE(mouth.isNull());
                const QRect area(o.x, o.y, f.imageInfo(o.image).valueOr({}).width,
                                 f.imageInfo(o.image).valueOr({}).height);
                EXPECT_TRUE(plain.rect().contains(area));
                bool differs = false;
                for (int y = 0; y < plain.height(); ++y) {
                    for (int x = 0; x < plain.width(); ++x) {
                        if (area.contains(x, y)) {
                            differs = differs || plain.pixel(x, y) != mouth.pixel(x, y);
                        } else if (!o.replacesTopImage) {
                            ASSERT_EQ(plain.pixel(x, y), mouth.pixel(x, y)) << x << "," << y;
                        }
                    }
                }
                changed += differs;
            }
        }
        EXPECT_GT(changed, 0);
    }
}

TEST_F(AcsFileGenuine, HomerOverlaysReplaceTheTopImage) {
    AcsFile homer;
    ASSERT_TRUE(load(homer, "Homer_Simpson.acs"));
    int replacing = 0;
    for (const Animation& a : homer.animations()) {
        for (const Frame& f : a.frames) {
            for (const MouthOverlay& o : f.overlays) {
                replacing += o.replacesTopImage;
            }
        }
    }
    EXPECT_EQ(replacing, 28);
    EXPECT_EQ(homer.info().balloon->fontName, QStringLiteral("Kristen ITC"));
}

}  // namespace

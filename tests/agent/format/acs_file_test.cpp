// Reading genuine character files: counts, names and sizes, every reference between frames, sounds and
// animations, and a few pixels checked by eye against the exported frames; their tray icons decode to the
// pictures seen by eye (a lamp, a smiley), and damaged bitmaps give errors. Skips what needs the genuine
// files when they are absent.
#include "agent/format/acs_file.h"
#include "agent/format/character_data.h"
#include "agent/format/frame_composer.h"
#include "agent/format/tray_icon.h"
#include "tests/agent/format/acs15_builder.h"
#include "tests/agent/format/acs_test_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>

#include <algorithm>
#include <tuple>

using namespace agent::format;

namespace {

using namespace formattest;
using AcsFileGenuine = GenuineFiles;

constexpr int kUnknown = -1;

// What a file in the test folder must read as. Rows with `refusal` must fail with an error that starts with
// the structure named there and gives its offset. Version 1.5 files (an OLE compound document) read into the
// same model as version 2 ones.
struct Expected {
    const char* file;
    const char* name = nullptr;
    int width = kUnknown, height = kUnknown;
    int animations = kUnknown, images = kUnknown, sounds = kUnknown, states = kUnknown, languages = kUnknown;
    bool voice = false, balloon = false, tray = false;
    const char* refusal = nullptr;
    int major = 2, frames = kUnknown, overlays = kUnknown;
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

// A frame of a version 1.5 file must show exactly the pixels inside the outline of its one image, written
// by the character's maker, or rows, colours or transparency are wrong. Counts what it shows into
// `mostShown`.
void expectOutline(const AcsFile& f, const Frame& frame, const QImage& composed, int& mostShown) {
    ASSERT_EQ(composed.size(), QSize(f.info().width, f.info().height));
    ASSERT_EQ(frame.images.size(), 1);
    // The rectangles of a Windows RGNDATA, painted opaque.
    const QByteArray region = f.region(int(frame.images[0].image)).valueOr({});
    QImage inside(composed.size(), QImage::Format_ARGB32);
    inside.fill(0);
    QPainter painter(&inside);
    const qsizetype count = region.size() >= 32 ? get32(region, 8) : 0;
    for (qsizetype at = 32; at < 32 + 16 * count && at + 16 <= region.size(); at += 16) {
        painter.fillRect(QRect(QPoint(int(get32(region, at)), int(get32(region, at + 4))),
                               QPoint(int(get32(region, at + 8)) - 1, int(get32(region, at + 12)) - 1)),
                         Qt::black);
    }
    painter.end();
    int shown = 0, mismatched = 0;
    for (int y = 0; y < inside.height(); ++y) {
        for (int x = 0; x < inside.width(); ++x) {
            shown += qAlpha(composed.pixel(x, y)) != 0;
            mismatched += (qAlpha(composed.pixel(x, y)) != 0) != (qAlpha(inside.pixel(x, y)) != 0);
        }
    }
    EXPECT_EQ(mismatched, 0);
    mostShown = std::max(mostShown, shown);
}

// What every readable file must satisfy, whatever its version; and written again, it reads back the same.
void expectUsable(const AcsFile& f, const Expected& e) {
    const CharacterInfo& ci = f.info();
    EXPECT_EQ(std::tuple(int(ci.majorVersion), int(ci.width), int(ci.height), ci.voice.has_value(),
                         ci.balloon.has_value(), ci.trayIcon.has_value(), ci.palette.size()),
              std::tuple(e.major, e.width, e.height, e.voice, e.balloon, e.tray, qsizetype(256)));
    if (e.name != nullptr) {
        ASSERT_NE(f.localized(), nullptr);
        EXPECT_EQ(f.localized()->name, QLatin1String(e.name));
    }
    EXPECT_TRUE(f.leftOut().isEmpty()) << f.leftOut().join(u'\n').toStdString();
    // Every state names animations that exist, whatever their case.
    for (const State& s : ci.states) {
        for (const QString& a : s.animations) {
            EXPECT_NE(f.animation(a), nullptr) << s.name.toStdString() << " -> " << a.toStdString();
        }
    }
    for (int i = 0; i < f.imageCount(); ++i) {
        const agent::Result<QImage> img = f.image(i);
        ASSERT_TRUE(succeeds(img));
        ASSERT_EQ(img->width(), f.imageInfo(i).valueOr({}).width);
        // An image's outline is a Windows RGNDATA: its header, then its rectangles.
        const QByteArray region = f.region(i).valueOr({});
        if (!region.isEmpty()) {
            ASSERT_GE(region.size(), 32);
            const auto field = [&](int at) { return qsizetype(get32(region, at)); };
            EXPECT_EQ(std::tuple(field(0), field(4), field(8) * 16 + 32), std::tuple(32, 1, region.size()));
        }
    }
    // Every frame composes: the version 1.5 files through the cache, into the outline of their images; and
    // every reference between frames, sounds and animations leads somewhere.
    FrameComposer composer(f, e.major == 1 ? 16 * 1024 : 0);
    int frames = 0, overlays = 0;
    for (int a = 0; a < f.animations().size(); ++a) {
        const Animation& anim = f.animations()[a];
        frames += int(anim.frames.size());
        int mostShown = 0;
        for (int i = 0; i < anim.frames.size(); ++i) {
            SCOPED_TRACE(anim.name.toStdString() + " frame " + std::to_string(i));
            const Frame& fr = anim.frames[i];
            overlays += int(fr.overlays.size());
            for (const Branch& b : fr.branches) {
                EXPECT_LT(b.frame, anim.frames.size());
            }
            EXPECT_TRUE(fr.sound == kNoSound || fr.sound < f.sounds().size());
            const agent::Result<QImage> frame = composer.compose(a, i, -1);
            ASSERT_TRUE(succeeds(frame));
            if (e.major == 1) {
                expectOutline(f, fr, *frame, mostShown);
            }
        }
        // Frames may fade to nothing (the end of Hide), but every animation shows the character somewhere.
        EXPECT_TRUE(e.major != 1 || mostShown > ci.width * ci.height / 50) << anim.name.toStdString();
        EXPECT_TRUE(anim.returnAnimation.isEmpty() || f.animation(anim.returnAnimation))
            << anim.name.toStdString();
    }
    for (int i = 0; i < f.sounds().size(); ++i) {
        EXPECT_TRUE(f.sound(i).startsWith("RIFF")) << "sound " << i;
    }
    // The counts: animations, images, sounds, states, languages, frames, mouth overlays.
    const auto known = [](qsizetype n, int want) { return want == kUnknown ? kUnknown : int(n); };
    EXPECT_EQ((QList<int>{known(f.animations().size(), e.animations), known(f.imageCount(), e.images),
                          known(f.sounds().size(), e.sounds), known(ci.states.size(), e.states),
                          known(ci.localized.size(), e.languages), known(frames, e.frames),
                          known(overlays, e.overlays)}),
              (QList<int>{e.animations, e.images, e.sounds, e.states, e.languages, e.frames, e.overlays}));
    // A version 1.5 character is written as version 2; everything else must come back as it was.
    agent::Result<CharacterData> data = extractCharacter(f);
    ASSERT_TRUE(succeeds(data));
    if (data->info.majorVersion == 1) {
        data->info.majorVersion = 2;
        data->info.minorVersion = 2;
    }
    expectRewriteKeeps(*data);
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
            EXPECT_TRUE(reads(loaded.error(), e.refusal, " at offset "));
        } else {
            ASSERT_TRUE(succeeds(loaded));
            expectUsable(f, e);
        }
    }
    // A file added to the folder gets a row here.
    QStringList present = QDir(acsDir()).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    present.removeAll(QStringLiteral("README.md"));
    listed.sort(Qt::CaseInsensitive);
    EXPECT_EQ(present, listed);
}

TEST_F(AcsFileGenuine, GenieDetailsMouthOverlaysAndHomersOverlaysReplacingTheTopImage) {
    AcsFile genie;
    ASSERT_TRUE(load(genie, "Genie.acs"));
    const CharacterInfo& ci = genie.info();
    ASSERT_TRUE(ci.balloon && ci.voice);
    EXPECT_EQ(std::tuple(ci.guid.toString(), int(ci.transparentIndex), ci.palette[10], ci.balloon->fontName,
                         ci.voice->speed),
              std::tuple(QString("{C3B28D02-B254-11D0-B464-0080C7F5EE85}"), 10, qRgb(255, 0, 255),
                         QString("MS Sans Serif"), 157u));
    EXPECT_TRUE(ci.flags & flags::kStandardAnimationSet);
    EXPECT_TRUE(genie.localized()->description.startsWith(QStringLiteral("I am your humble")));

    // Names are found without regard to case.
    EXPECT_EQ(genie.animationIndex(u"restpose"), 0);
    EXPECT_TRUE(genie.animation(u"gReEt") == genie.animation(u"Greet") &&
                genie.state(u"speaking") != nullptr);
    EXPECT_EQ(genie.animation(u"NoSuchAnimation"), nullptr);
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
    EXPECT_EQ(std::tuple(maxBranches, shapes.size(), sawExit),
              std::tuple(3, qsizetype(kMouthShapeCount), true));

    qint64 pixels = 0;
    for (int i = 0; i < genie.imageCount(); ++i) {
        const agent::Result<ImageInfo> header = genie.imageInfo(i);
        ASSERT_TRUE(succeeds(header));
        pixels += qint64(header->width) * header->height;
    }
    EXPECT_EQ(pixels, 9694116);

    const agent::Result<QImage> frame = FrameComposer(genie).compose(0, 0, -1);
    ASSERT_TRUE(succeeds(frame));
    ASSERT_EQ(frame->size(), QSize(128, 128));
    // The transparent margin, the face in light blue, the folded arms.
    EXPECT_EQ((QList<QRgb>{frame->pixel(0, 0), frame->pixel(64, 40), frame->pixel(64, 64)}),
              (QList<QRgb>{0x00000000u, 0xFF7DD5FFu, 0xFF6DB3FFu}));
    // The first image's stored bottom row is the picture's last row.
    const QImage first = genie.image(0).valueOr({});
    EXPECT_EQ(std::pair(first.pixelIndex(0, 0), first.pixelIndex(64, 64)), std::pair(10, 72));

    // The tray icon, a lamp: clear in the corner, opaque inside the lamp's bowl.
    const agent::Result<QImage> decoded = decodeTrayIcon(*ci.trayIcon);
    ASSERT_TRUE(succeeds(decoded));
    EXPECT_EQ(decoded->size(), QSize(16, 16));
    EXPECT_EQ(std::pair(qAlpha(decoded->pixel(0, 0)), qAlpha(decoded->pixel(5, 8))), std::pair(0, 255));

    AcsFile homer;
    ASSERT_TRUE(load(homer, "Homer_Simpson.acs"));
    int replacing = 0;
    for (const Animation& a : homer.animations()) {
        for (const Frame& f : a.frames) {
            replacing += std::count_if(f.overlays.begin(), f.overlays.end(),
                                       [](auto& o) { return o.replacesTopImage; });
        }
    }
    EXPECT_EQ(replacing, 28);
    EXPECT_EQ(homer.info().balloon->fontName, QStringLiteral("Kristen ITC"));

    ASSERT_TRUE(load(homer, "Happy_Face.acs"));
    const QImage icon = decodeTrayIcon(*homer.info().trayIcon).valueOr({});
    ASSERT_EQ(icon.size(), QSize(18, 18));
    // Clear outside the round face, its black outline on the top row, the face itself opaque and light.
    EXPECT_EQ(std::tuple(qAlpha(icon.pixel(0, 0)), icon.pixel(7, 0), qAlpha(icon.pixel(9, 9))),
              std::tuple(0, qRgb(0, 0, 0), 255));
    EXPECT_GT(qGray(icon.pixel(9, 9)), 128);

    // Each version draws a mouth where its overlay says, inside the frame, and nowhere else unless it
    // replaces the top image; and a mouth changes the picture. Checked on the speaking state's first frame
    // and the first frames with mouths.
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
                const ImageInfo info = f.imageInfo(o.image).valueOr({});
                const QRect area(o.x, o.y, info.width, info.height);
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

// A bitmap header, colour table and rows of zero pixels.
QByteArray bitmap(int width, int height, int bits, int colors) {
    const int stride = ((width * bits + 31) / 32) * 4;
    Bytes b;
    b.u32(40).u32(width).u32(height).u16(1).u16(bits).bytes(QByteArray(16, '\0')).u32(colors);
    return b.out.leftJustified(40 + colors * 4 + stride * height, '\0');
}

TEST(TrayIcon, ColoursAndMaskCombineAndDamagedBitmapsGiveErrors) {
    TrayIcon icon{bitmap(2, 1, 1, 2), bitmap(2, 1, 8, 2)};
    // Mask: first pixel shown, second clear. Colours: index 1 is red (stored blue, green, red).
    icon.monochrome[40 + 8] = char(0x40);
    icon.color[40 + 4 + 2] = char(0xFF);
    icon.color[40 + 8] = 1;
    const QImage img = decodeTrayIcon(icon).valueOr({});
    ASSERT_EQ(img.size(), QSize(2, 1));
    EXPECT_EQ(std::pair(img.pixel(0, 0), qAlpha(img.pixel(1, 0))), std::pair(qRgb(255, 0, 0), 0));

    // A header too short, a size no icon has, an unusual depth, rows cut off, sizes that differ, a mask of
    // more than one bit a pixel.
    const std::pair<TrayIcon, const char*> cases[] = {
        {{QByteArray(39, '\0'), bitmap(16, 16, 4, 16)}, "too short"},
        {{bitmap(16, 16, 1, 2), bitmap(4000, 16, 4, 16)}, "size 4000x16"},
        {{bitmap(16, 16, 1, 2), bitmap(16, 16, 16, 0)}, "16 bits a pixel"},
        {{bitmap(16, 16, 1, 2).left(100), bitmap(16, 16, 4, 16)}, "mask bitmap: needs 112"},
        {{bitmap(16, 16, 1, 2), bitmap(18, 18, 4, 16)}, "does not match"},
        {{bitmap(16, 16, 4, 16), bitmap(16, 16, 4, 16)}, "does not match"},
    };
    for (const auto& [icon, error] : cases) {
        EXPECT_TRUE(has(decodeTrayIcon(icon).error(), error));
    }
}

}  // namespace

// Our own characters as the build makes them (max.acs and plany.acs beside the program), read back with our
// reader: every animation and state the clock plays is there, moves, comes back to rest, keeps its outside
// transparent, and speaks with all seven mouths.
#include "agent/format/acs_file.h"
#include "agent/format/frame_composer.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QSet>

namespace {

using agent::format::AcsFile;
using agent::format::Animation;
using agent::format::FrameComposer;

const QStringList kAnimations = {"Congratulate", "Confused", "Decline", "DoMagic1", "Explain",
                                 "Greet",        "LookDown", "Pleased", "Read"};

const QStringList kStates = {"Showing",        "Hiding",       "Speaking",      "MovingLeft",
                             "MovingRight",    "MovingUp",     "MovingDown",    "GesturingLeft",
                             "GesturingRight", "GesturingUp",  "GesturingDown", "IdlingLevel1",
                             "IdlingLevel2",   "IdlingLevel3", "Listening",     "Hearing"};

QString characterPath(const char* file) {
    return QStringLiteral(HORALIA_BIN_DIR "/") + QString::fromLatin1(file);
}

// The share of pixels whose colour or transparency differs.
double difference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return 1.0;
    }
    qint64 differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            differing += pa[x] != pb[x] ? 1 : 0;
        }
    }
    return double(differing) / (qint64(a.width()) * a.height());
}

qint64 opaquePixels(const QImage& img) {
    qint64 opaque = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            opaque += qAlpha(img.pixel(x, y)) == 255 ? 1 : 0;
        }
    }
    return opaque;
}

class OurCharacter : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        const agent::Status loaded = file_.load(characterPath(GetParam()));
        ASSERT_TRUE(loaded) << loaded.error().toStdString();
        composer_ = std::make_unique<FrameComposer>(file_, 64 * 1024);
    }

    QImage frame(const QString& animation, int index, int mouth = -1) {
        const agent::Result<QImage> img = composer_->compose(file_.animationIndex(animation), index, mouth);
        EXPECT_TRUE(img) << animation.toStdString() << " " << index << ": " << img.error().toStdString();
        return img.valueOr({});
    }

    // Every animation a state names, and every animation the clock plays by name.
    QStringList playedAnimations() const {
        QStringList names = kAnimations;
        for (const QString& s : kStates) {
            if (const auto* state = file_.state(s)) {
                names += state->animations;
            }
        }
        names.removeDuplicates();
        return names;
    }

    AcsFile file_;
    std::unique_ptr<FrameComposer> composer_;
};

TEST_P(OurCharacter, IntroducesItselfAndHasEveryStateThePlayerUses) {
    const auto* names = file_.localized(0x0409);
    ASSERT_NE(names, nullptr);
    EXPECT_FALSE(names->name.isEmpty());
    EXPECT_GT(names->description.size(), 10);
    EXPECT_TRUE(file_.info().voice.has_value());
    ASSERT_TRUE(file_.info().balloon.has_value());
    EXPECT_GE(file_.info().balloon->charsPerLine, 16);
    EXPECT_EQ(file_.info().width, 128);
    for (const QString& name : kStates) {
        const auto* state = file_.state(name);
        ASSERT_NE(state, nullptr) << name.toStdString();
        EXPECT_FALSE(state->animations.isEmpty()) << name.toStdString();
    }
    EXPECT_GE(file_.state(u"IdlingLevel1")->animations.size(), 2);
}

// Every animation played by name or through a state is there, moves frame by frame, keeps its outside
// transparent, comes back to rest, and when it is long can be cut short.
TEST_P(OurCharacter, PlayedAnimationsMoveStayInsideAndComeBackToRest) {
    const QImage rest = frame(QStringLiteral("RestPose"), 0);
    EXPECT_GT(opaquePixels(rest), rest.width() * rest.height() / 6);
    for (const QString& name : playedAnimations()) {
        SCOPED_TRACE(name.toStdString());
        const Animation* a = file_.animation(name);
        ASSERT_NE(a, nullptr);
        EXPECT_GE(a->frames.size(), 8);
        EXPECT_LE(a->frames.size(), 40);
        QImage previous;
        int exits = 0;
        for (int i = 0; i < a->frames.size(); ++i) {
            const QImage img = frame(name, i);
            if (i > 0) {
                EXPECT_GT(difference(previous, img), 0.0) << "repeats frame " << i;
            }
            previous = img;
            for (int y = 0; y < img.height(); ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
                for (int x = 0; x < img.width(); ++x) {
                    const int alpha = qAlpha(line[x]);
                    ASSERT_TRUE(alpha == 0 || alpha == 255) << "a soft edge in frame " << i;
                    if (x == 0 || y == 0 || x == img.width() - 1 || y == img.height() - 1) {
                        ASSERT_EQ(alpha, 0) << "frame " << i << " touches the edge at " << x << "," << y;
                    }
                }
            }
            // The figure fills a good part of the frame but never all of it.
            EXPECT_LT(opaquePixels(img), img.width() * img.height() * 6 / 10) << "frame " << i;
            if (a->frames[i].exitFrame >= 0) {
                ++exits;
                EXPECT_LT(a->frames[i].exitFrame, a->frames.size());
            }
        }
        if (name != QStringLiteral("Hide")) {
            // A whole turn of a wheel or of the plane itself may leave a pixel or two apart.
            EXPECT_LT(difference(previous, rest), 0.002) << "ends away from rest";
        }
        if (a->durationMs() >= 2500 && !file_.state(u"Showing")->animations.contains(name) &&
            !file_.state(u"Hiding")->animations.contains(name)) {
            EXPECT_EQ(a->transition, std::uint8_t(agent::format::Transition::ExitBranches));
            EXPECT_GT(exits, 0) << a->durationMs() << " ms and cannot be cut short";
        }
    }
}

TEST_P(OurCharacter, SpeakingFramesCarryAllSevenMouths) {
    const auto* speaking = file_.state(u"Speaking");
    ASSERT_NE(speaking, nullptr);
    for (const QString& name : speaking->animations + kAnimations) {
        const Animation* a = file_.animation(name);
        for (int i = 0; i < a->frames.size(); ++i) {
            QSet<int> shapes;
            for (const auto& o : a->frames[i].overlays) {
                shapes.insert(o.shape);
            }
            // The plane may turn edge-on inside a gesture; the speaking state itself always shows the mouth.
            if (shapes.isEmpty() && !speaking->animations.contains(name)) {
                continue;
            }
            ASSERT_EQ(shapes, (QSet<int>{0, 1, 2, 3, 4, 5, 6})) << name.toStdString() << " frame " << i;
            QList<QImage> mouths;
            for (int shape = 0; shape < agent::format::kMouthShapeCount; ++shape) {
                mouths.append(frame(name, i, shape));
            }
            for (int s = 0; s < mouths.size(); ++s) {
                for (int t = s + 1; t < mouths.size(); ++t) {
                    EXPECT_GT(difference(mouths[s], mouths[t]), 0.0)
                        << name.toStdString() << " frame " << i << ": mouths " << s << " and " << t
                        << " look alike";
                }
                // A mouth changes only a small part of the face.
                EXPECT_LT(difference(mouths[s], frame(name, i)), 0.03)
                    << name.toStdString() << " mouth " << s;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(MaxAndPlany, OurCharacter, ::testing::Values("max.acs", "plany.acs"),
                         [](const auto& info) {
                             return std::string(info.param).substr(0, info.param[0] == 'm' ? 3 : 5);
                         });

TEST(OurCharacters, AreAPairButNotAlike) {
    AcsFile max;
    AcsFile plany;
    ASSERT_TRUE(max.load(characterPath("max.acs")));
    ASSERT_TRUE(plany.load(characterPath("plany.acs")));
    EXPECT_EQ(max.localized()->name, QStringLiteral("Max"));
    EXPECT_EQ(plany.localized()->name, QStringLiteral("Plany"));
    EXPECT_NE(max.info().guid, plany.info().guid);
    const auto& mv = *max.info().voice;
    const auto& pv = *plany.info().voice;
    // Clearly different voices: a pitch apart by more than half an octave, and a different gender or speed.
    EXPECT_GT(std::max(mv.pitch, pv.pitch), std::min(mv.pitch, pv.pitch) * 3 / 2);
    EXPECT_TRUE(mv.gender != pv.gender || mv.speed != pv.speed);
    FrameComposer a(max);
    FrameComposer b(plany);
    EXPECT_GT(difference(a.compose(max.animationIndex(u"RestPose"), 0).valueOr({}),
                         b.compose(plany.animationIndex(u"RestPose"), 0).valueOr({})),
              0.2);
}

}  // namespace

// Our own characters as the build makes them (max.acs and plany.acs beside the program), read back with our
// reader: their speaking frames carry all seven mouths.
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

}  // namespace

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

// The animations the clock plays by name.
const QStringList kAnimations = {"Congratulate", "Confused", "Decline", "DoMagic1", "Explain",
                                 "Greet",        "LookDown", "Pleased", "Read"};

// The share of pixels whose colour or transparency differs.
double difference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return 1.0;
    }
    qint64 differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            differing += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return double(differing) / (qint64(a.width()) * a.height());
}

class OurCharacter : public ::testing::TestWithParam<const char*> {};

TEST_P(OurCharacter, SpeakingFramesCarryAllSevenMouths) {
    AcsFile file;
    const agent::Status loaded =
        file.load(QStringLiteral(HORALIA_BIN_DIR "/%1.acs").arg(QString::fromLatin1(GetParam())));
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
    FrameComposer composer(file, 64 * 1024);
    const auto* speaking = file.state(u"Speaking");
    ASSERT_NE(speaking, nullptr);
    for (const QString& name : speaking->animations + kAnimations) {
        const Animation* a = file.animation(name);
        const auto frame = [&](int index, int mouth) {
            const agent::Result<QImage> img = composer.compose(file.animationIndex(name), index, mouth);
            EXPECT_TRUE(img) << name.toStdString() << " " << index << ": " << img.error().toStdString();
            return img.valueOr({});
        };
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
                mouths.append(frame(i, shape));
            }
            for (int s = 0; s < mouths.size(); ++s) {
                for (int t = s + 1; t < mouths.size(); ++t) {
                    EXPECT_GT(difference(mouths[s], mouths[t]), 0.0)
                        << name.toStdString() << " frame " << i << ": mouths " << s << " and " << t
                        << " look alike";
                }
                // A mouth changes only a small part of the face.
                EXPECT_LT(difference(mouths[s], frame(i, -1)), 0.03) << name.toStdString() << " mouth " << s;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(MaxAndPlany, OurCharacter, ::testing::Values("max", "plany"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace

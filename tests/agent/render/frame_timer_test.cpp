// How long the engine sleeps between the characters' pictures.
#include "agent/render/frame_timer.h"

#include <gtest/gtest.h>

namespace {

TEST(SharedWait, ClosePicturesShareAWakeUpAndNothingDueNowWaits) {
    struct Case {
        const char* what;
        QList<qint64> waits;
        qint64 expected;
    };
    const Case cases[] = {
        {"nothing to do", {}, -1},
        {"every character still", {-1, -1}, -1},
        {"one character", {120}, 120},
        {"a still character does not count", {-1, 80}, 80},
        {"the other's frame a little later", {100, 120}, 120},
        {"in any order", {120, 100}, 120},
        {"just within reach", {100, 130}, 130},
        {"too far apart", {100, 131}, 100},
        {"the latest within reach of the earliest, not of each other", {100, 125, 150}, 125},
        {"due now is not put off", {0, 20}, 0},
        {"alike", {70, 70}, 70},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(agent::render::sharedWait(c.waits, 30), c.expected) << c.what;
    }
}

}  // namespace

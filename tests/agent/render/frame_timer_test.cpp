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
        {"nothing to do", {}, -1},          {"a still character does not count", {-1, 80}, 80},
        {"in any order", {120, 100}, 120},  {"just within reach", {100, 130}, 130},
        {"too far apart", {100, 131}, 100}, {"due now is not put off", {0, 20}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(agent::render::sharedWait(c.waits, 30), c.expected) << c.what;
    }
}

}  // namespace

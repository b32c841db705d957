#include "agent/service/screen_position.h"

#include <gtest/gtest.h>

#include <climits>

namespace agent::service {
namespace {

TEST(ScreenPosition, ACharacterStaysWholeOnTheScreenItIsMostOn) {
    // a wide screen, and a smaller one to its right whose foot is higher
    const QList<QRect> two{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    const QSize max(128, 128);
    struct Case {
        const char* what;
        QPoint wanted;
        QSize size;
        QPoint expected;
    } cases[] = {
        {"at the far corner of the first", {1792, 952}, max, {1792, 952}},
        {"past the left edge", {-50, 200}, max, {0, 200}},
        {"across both, mostly on the second", {1900, 10}, max, {1920, 10}},
        {"across both, mostly on the first", {1850, 10}, max, {1792, 10}},
        {"in the corner below the second screen", {2000, 1050}, max, {2000, 896}},
        {"at the limits of int", {INT_MAX, INT_MAX}, max, {3072, 896}},
        {"at the other limits", {INT_MIN, INT_MIN}, max, {0, 0}},
        {"larger than any screen", {300, 300}, {4000, 2000}, {0, 0}},
        {"a size below nothing", {3250, 1030}, {-100, -100}, {3200, 1024}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(keepOnScreens(c.wanted, c.size, two), c.expected) << c.what;
    }
    EXPECT_EQ(keepOnScreens({INT_MAX, -7}, max, {}), QPoint(INT_MAX, -7)) << "no screens";
}

}  // namespace
}  // namespace agent::service

// Where the clock starts: where it was left on any monitor, else on the nearest monitor.
#include <gtest/gtest.h>

#include "src/core/clock_layout.h"
#include "tests/support/fakes.h"

using horalia::platform::Monitor;

TEST(StartPosition, KeptOnAnyMonitorElseBroughtOntoTheNearest) {
    const Monitor left{{0, 0, 800, 600}, {0, 0, 800, 600}};
    const Monitor right{{800, 0, 800, 600}, {800, 0, 800, 600}};
    const Monitor lowRight{{800, 0, 800, 300}, {800, 0, 800, 300}};
    const Monitor beforeLeft{{-800, 0, 800, 600}, {-800, 0, 800, 600}};
    struct Case {
        const char* what;
        QList<Monitor> monitors;
        QString x, y;
        double left, top;  // twips
    } cases[] = {
        {"on the second monitor", {left, right}, "15000", "4500", 15000, 4500},
        {"its monitor gone: the left edge", {left}, "15000", "4500", 0, 4500},
        {"at the right edge exactly", {left}, "12000", "9000", 12000, 9000},
        {"below the lower monitor: its top", {left, lowRight}, "15000", "6000", 15000, 0},
        {"right of both: the nearest's left edge", {left, right}, "30000", "100", 12000, 100},
        {"on a monitor left of the primary", {left, beforeLeft}, "-6000", "300", -6000, 300},
        {"wholly off the left edge", {left}, "-1700", "300", 0, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::MemorySettings settings;
        settings.set("FormX", c.x);
        settings.set("FormY", c.y);
        const horalia::core::GeometryTwips g =
            horalia::core::startPosition(settings, horalia::platform::FixedScreenMetrics(c.monitors, 15));
        EXPECT_EQ(g.left, c.left);
        EXPECT_EQ(g.top, c.top);
    }
}

// Starting the program again while a clock runs: the running clock shows itself as the tray's "Show the
// clock" does, and the later start only asks. Here on the fake channel; the real program's two copies over
// the real socket are the desktop suite's second start and the setup test's second copy.
#include <gtest/gtest.h>

#include "src/wiring/later_starts.h"
#include "tests/support/clock_harness.h"

using horalia::wiring::serveLaterStarts;
using namespace testsupport;

TEST(LaterStarts, TheRunningClockShowsItselfOnlyOnceItHasLoadedAndStaysShownWhenAskedAsItStarts) {
    ClockHarness clock(at(10, 0, 30));
    clock.fake.settings.set("minimise", "True");
    FakeInstanceChannel channel;
    serveLaterStarts(channel, clock.controller);
    EXPECT_EQ(channel.listens, 1);
    // While a first run shows its agreement there is no clock to show.
    EXPECT_FALSE(channel.request());
    EXPECT_TRUE(clock.view.visibility.isEmpty());

    clock.controller.load();
    clock.view.setVisible(true);
    // Between the start and the first tick, which hides a clock whose setting says hidden.
    EXPECT_TRUE(channel.request());
    clock.runFor(1);
    EXPECT_TRUE(clock.view.visible);
    EXPECT_EQ(clock.fake.settings.get("minimise"), "False");
}

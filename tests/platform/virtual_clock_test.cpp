// The virtual clock that whole simulated days run on: timers in time order, pauses that let other timers run,
// time that never runs backwards (jumps are the clock's tick tests').
#include <gtest/gtest.h>

#include "tests/support/qt_printers.h"

#include "src/platform/virtual_clock.h"

using horalia::platform::VirtualClock;
using horalia::platform::VirtualPause;

namespace {
const QDateTime kStart(QDate(2026, 12, 6), QTime(10, 0));
}

TEST(VirtualClock, FiresTimersInDueOrderAndAPauseInsideACallbackLetsOthersRun) {
    VirtualClock clock(kStart);
    VirtualPause pause(clock);
    auto a = clock.createTimer();
    auto b = clock.createTimer();
    auto c = clock.createTimer();
    QStringList fired;
    const auto at = [&](const char* name) {
        fired << QString("%1@%2").arg(name, clock.now().toString("ss"));
    };
    a->start(5000, [&] { at("a"); });
    b->start(1000, [&] {
        at("b");
        pause.pause(2);
        at("b ends");
    });
    c->start(1000, [&] { at("c"); });
    clock.advanceBy(1500);
    EXPECT_EQ(fired, (QStringList{"b@01", "c@01", "b ends@03"}));
    // The pause carried the clock past the requested end; it does not go back.
    EXPECT_EQ(clock.now(), kStart.addSecs(3));
    EXPECT_TRUE(a->isActive());
    clock.advanceBy(5000);
    EXPECT_EQ(fired.last(), "a@05");
    EXPECT_FALSE(a->isActive());
    // A pause is clamped to the routine's range: nothing below zero, at most 255 seconds.
    pause.pause(-5);
    EXPECT_EQ(clock.now(), kStart.addSecs(8));
    pause.pause(1000);
    EXPECT_EQ(clock.now(), kStart.addSecs(8 + 255));
}

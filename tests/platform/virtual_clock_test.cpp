// The virtual clock that whole simulated days run on: timers in time order, pauses that let other timers run,
// time that never runs backwards.
#include <gtest/gtest.h>

#include "tests/support/qt_printers.h"

#include "src/platform/virtual_clock.h"

using horalia::platform::Timer;
using horalia::platform::VirtualClock;
using horalia::platform::VirtualPause;

namespace {
const QDateTime kStart(QDate(2026, 12, 6), QTime(10, 0));
}

TEST(VirtualClock, FiresTimersInDueOrderAtTheirDueTime) {
    VirtualClock clock(kStart);
    auto a = clock.createTimer();
    auto b = clock.createTimer();
    auto c = clock.createTimer();
    QStringList fired;
    a->start(3000, [&] { fired << QString("a@%1").arg(clock.now().time().toString("ss.zzz")); });
    b->start(1000, [&] { fired << QString("b@%1").arg(clock.now().time().toString("ss.zzz")); });
    c->start(1000, [&] { fired << QString("c@%1").arg(clock.now().time().toString("ss.zzz")); });
    clock.advanceBy(2000);
    EXPECT_EQ(fired, (QStringList{"b@01.000", "c@01.000"}));
    EXPECT_TRUE(a->isActive());
    EXPECT_EQ(clock.now(), kStart.addSecs(2));
    clock.advanceBy(5000);
    EXPECT_EQ(fired.last(), "a@03.000");
    EXPECT_FALSE(a->isActive());
}

TEST(VirtualClock, APauseInsideACallbackLetsOtherTimersRun) {
    VirtualClock clock(kStart);
    VirtualPause pause(clock);
    auto outer = clock.createTimer();
    auto inner = clock.createTimer();
    QStringList order;
    outer->start(1000, [&] {
        order << "outer begins";
        inner->start(500, [&] { order << "inner"; });
        pause.pause(2);
        order << QString("outer ends at %1").arg(clock.now().time().toString("ss"));
    });
    clock.advanceBy(1500);
    EXPECT_EQ(order, (QStringList{"outer begins", "inner", "outer ends at 03"}));
    // The pause carried the clock past the requested end; it does not go back.
    EXPECT_EQ(clock.now(), kStart.addSecs(3));
}

TEST(VirtualClock, RestartingOrDestroyingATimerFromItsOwnCallbackIsSafe) {
    VirtualClock clock(kStart);
    int ticks = 0;
    std::unique_ptr<Timer> repeating = clock.createTimer();
    std::function<void()> again = [&] {
        if (++ticks < 5) {
            repeating->start(1000, again);
        }
    };
    repeating->start(1000, again);
    std::unique_ptr<Timer> selfDestroying = clock.createTimer();
    selfDestroying->start(1500, [&] { selfDestroying.reset(); });
    clock.advanceBy(60000);
    EXPECT_EQ(ticks, 5);
    EXPECT_EQ(selfDestroying, nullptr);
    EXPECT_EQ(clock.firedCount(), 6u);
}

TEST(VirtualClock, PauseIsClampedToTheRoutinesRange) {
    VirtualClock clock(kStart);
    VirtualPause pause(clock);
    pause.pause(-5);
    EXPECT_EQ(clock.now(), kStart);
    pause.pause(1000);
    EXPECT_EQ(clock.now(), kStart.addSecs(255));
}

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

TEST(VirtualClock, AJumpMovesTheWallClockButNotTheTimersLeftTimeEitherWay) {
    for (qint64 jump : {8LL * 3600 * 1000, -20LL * 60 * 1000}) {
        SCOPED_TRACE(jump);
        VirtualClock clock(kStart);
        auto timer = clock.createTimer();
        qint64 firedAt = 0;
        timer->start(50000, [&] { firedAt = clock.nowMs(); });
        clock.advanceBy(10000);
        clock.jumpBy(jump);  // nothing fires on the way, however far
        EXPECT_EQ(firedAt, 0);
        EXPECT_EQ(clock.now(), kStart.addMSecs(10000 + jump));
        clock.advanceBy(39999);
        EXPECT_EQ(firedAt, 0);
        clock.advanceBy(1);
        EXPECT_EQ(firedAt, kStart.addMSecs(50000 + jump).toMSecsSinceEpoch());
    }
}

TEST(VirtualClock, ATimeZoneChangesTheFaceNotTheInstant) {
    const QTimeZone london("Europe/London");
    const QTimeZone tokyo("Asia/Tokyo");
    if (!london.isValid() || !tokyo.isValid()) {
        GTEST_SKIP() << "no time zone data";
    }
    VirtualClock clock(QDateTime(QDate(2026, 12, 6), QTime(10, 0), london));
    clock.setTimeZone(london);
    EXPECT_EQ(clock.now().time(), QTime(10, 0));
    const qint64 instant = clock.nowMs();
    clock.setTimeZone(tokyo);
    EXPECT_EQ(clock.now().time(), QTime(19, 0));
    EXPECT_EQ(clock.now().toMSecsSinceEpoch(), instant);
}

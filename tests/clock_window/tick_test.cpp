// The clock as a whole on virtual time: alignment to the minute, announcements, both alarms, the hidden
// clock, late timers, sleep and clock changes, each over simulated hours and days.
#include <gtest/gtest.h>

#include "tests/support/clock_harness.h"

using horalia::platform::TimeChange;
using namespace testsupport;

namespace {

// The clock after a normal start, with what the characters said while setting up forgotten.
class Clock : public ClockHarness {
public:
    using ClockHarness::ClockHarness;
    // Started with nothing announced and alarm 1 at alarmTime, then run until runUntil (if given).
    Clock(const QDateTime& start, const QString& alarmTime, const QDateTime& runUntil = {})
        : ClockHarness(start) {
        fake.settings.set("Announce", "0");
        fake.settings.set("AlarmTime1", alarmTime);
        this->start();
        if (runUntil.isValid()) {
            fake.clock.advanceTo(runUntil);
        }
    }
    void start() {
        ClockHarness::start();
        lines().clear();
    }
    // The computer sleeps until the given wall-clock time; logind says it woke unless told not to.
    // Timers count only the time the computer runs, so every armed timer keeps the time it had left.
    void sleepUntil(const QDateTime& wake, bool announced = true) {
        fake.clock.jumpBy(wake.toMSecsSinceEpoch() - fake.clock.nowMs());
        if (announced) {
            fake.timeChanges.notify(TimeChange::Woke);
        }
    }
    void setClock(qint64 jumpMs) {
        fake.clock.jumpBy(jumpMs);
        fake.timeChanges.notify(TimeChange::ClockSet);
    }
    int alarms() const { return spoken().filter("please do it now!").size(); }
    qint64 lastTickMs() const { return view.texts.last().second; }
};

qint64 ms(const QDateTime& time) {
    return time.toMSecsSinceEpoch();
}

}  // namespace

TEST(Tick, AHiddenClockShowsOnlyToAnnounceAndEachTickReadsTheSettingsAfresh) {
    Clock clock(at(10, 14, 40));
    clock.fake.settings.set("minimise", "True");
    clock.fake.settings.set("Announce", "1");
    clock.controller.load();
    clock.view.setVisible(true);
    clock.fake.clock.advanceBy(1000);
    EXPECT_FALSE(clock.view.visible);
    EXPECT_EQ(clock.view.visibility.last().second, ms(at(10, 14, 41)));
    clock.fake.pause.pause(1);
    clock.controller.checkboxes();
    clock.lines().clear();
    clock.view.visibility.clear();
    clock.runFor(1);
    EXPECT_EQ(clock.view.text, "10:15am");
    EXPECT_EQ(clock.view.visibility,
              (QList<QPair<bool, qint64>>{{true, ms(at(10, 15, 2))}, {false, ms(at(10, 15, 6))}}));
    clock.fake.settings.put("data", "format", "0");
    clock.runFor(1);
    // The next minute's tick is not pushed back by the pause.
    EXPECT_EQ(clock.view.texts.last(), qMakePair(QString("10:16"), ms(at(10, 16, 2))));
}

TEST(Tick, AnAlarmSoundsAtItsTimeEveryDayUnlessItDoesNotRepeat) {
    for (const QString& repeat : {QString(), QString("False")}) {
        SCOPED_TRACE(repeat.toStdString());
        Clock clock(at(6, 0, 0), "0730");
        if (!repeat.isNull()) {
            clock.fake.settings.set("Repeat1", repeat);
        }
        clock.runFor(48 * 60);
        const bool once = repeat == "False";
        EXPECT_EQ(clock.alarms(), once ? 1 : 2);  // 07:30 on both days, never 19:30
        EXPECT_EQ(clock.fake.settings.get("AlarmTime1"), once ? "9999" : "0730");
        EXPECT_EQ(clock.lines().filter(R"(Agent1 Play "pleased")").size(), clock.alarms());
    }
}

TEST(Tick, LateTimersNeverSkipOrRepeatAMinute) {
    Clock clock(at(0, 0, 0).addSecs(-17), 500);
    clock.start();
    clock.runFor(24 * 60);
    ASSERT_EQ(clock.view.texts.size(), 1 + 1440);  // the start-up's label, then one a minute
    for (int i = 0; i < 1440; ++i) {
        const QTime t = QDateTime::fromMSecsSinceEpoch(clock.view.texts[i + 1].second).time();
        ASSERT_EQ(t.hour() * 60 + t.minute(), i) << "minute " << i;
        // Every full tick came between 2 and 3 seconds into its minute.
        ASSERT_GE(t.second(), 2);
        ASSERT_LE(t.second(), 3);
    }
}

TEST(TickAcrossSleep, AnAlarmSleptThroughWithoutWordOfTheWakeSoundsAtTheLateTick) {
    Clock clock(at(6, 50, 0), "0730", at(6, 55, 30));
    clock.sleepUntil(at(7, 35, 30), false);
    EXPECT_EQ(clock.alarms(), 0);
    // The timer armed at 06:55:02 had 32 seconds left when the computer slept.
    clock.fake.clock.advanceBy(32000);
    EXPECT_EQ(clock.lastTickMs(), ms(at(7, 36, 2)));
    EXPECT_EQ(clock.alarms(), 1);
}

TEST(TickAcrossSleep, OnlyAnAlarmWithinTheWindowSounds) {
    struct Case {
        QString window;  // null: the default
        QDateTime wake;
        int alarms;
    };
    const Case cases[] = {
        {QString(), at(7, 29, 0), 0},  // the alarm's last time came before the sleep
        {QString(), at(8, 30, 59), 1},
        {QString(), at(8, 31, 0), 0},
        {QString("0"), at(7, 31, 0), 0},
        {QString("soon"), at(7, 31, 0), 0},
        {QString("1440"), at(7, 29, 0).addDays(1), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window.toStdString() + " " + c.wake.toString(Qt::ISODate).toStdString());
        Clock clock(at(6, 50, 0), "0730", at(7, 0, 0));
        if (!c.window.isNull()) {
            clock.fake.settings.set("MissedAlarmWindow", c.window);
        }
        clock.sleepUntil(c.wake);
        EXPECT_EQ(clock.alarms(), c.alarms);
    }
}

// A clock set within the minute only moves the next tick; one set back shows at once, and set forward again
// past an alarm that has sounded does not sound it twice.
TEST(TickAcrossSleep, AClockSetByHandShowsAtOnceAndNeverSoundsAnAlarmTwice) {
    Clock clock(at(10, 14, 30), "1020", at(10, 30, 10));
    ASSERT_EQ(clock.alarms(), 1);
    clock.fake.settings.set("Announce", "1");
    const int texts = clock.view.texts.size();
    const int spoken = clock.spoken().size();
    clock.setClock(40000);
    EXPECT_EQ(clock.view.texts.size(), texts);  // the minute had its tick already
    EXPECT_EQ(clock.spoken().size(), spoken);
    clock.runFor(1);
    EXPECT_EQ(clock.lastTickMs(), ms(at(10, 31, 2)));
    EXPECT_EQ(clock.spoken().size(), spoken + 1);
    clock.setClock(-21 * 60000);
    EXPECT_EQ(clock.view.texts.last(), qMakePair(QString("10:10am"), ms(at(10, 10, 50))));
    clock.runFor(1);
    EXPECT_EQ(clock.lastTickMs(), ms(at(10, 11, 2)));
    clock.setClock(25 * 60000);
    EXPECT_EQ(clock.view.text, "10:36am");
    EXPECT_EQ(clock.alarms(), 1);
}

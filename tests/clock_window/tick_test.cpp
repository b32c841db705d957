// The clock as a whole on virtual time: alignment to the minute, announcements, both alarms, the hidden
// clock, late timers and garbage settings, each over simulated hours and days.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "tests/support/clock_harness.h"

using horalia::platform::WindowStyle;
using namespace testsupport;

namespace {

// The clock after a normal start, with what the characters said while setting up forgotten.
class Clock : public ClockHarness {
public:
    using ClockHarness::ClockHarness;
    void start() {
        ClockHarness::start();
        lines().clear();
    }
    // Minutes of the day at which the time label was set.
    QList<int> tickMinutes() const {
        QList<int> out;
        for (const auto& [text, ms] : view.texts) {
            QTime t = QDateTime::fromMSecsSinceEpoch(ms).time();
            out << t.hour() * 60 + t.minute();
        }
        return out;
    }
};

int countContaining(const QStringList& lines, const QString& part) {
    return lines.filter(part).size();
}

}  // namespace

TEST(Tick, AHiddenClockDisappearsWithinASecondOfStarting) {
    Clock clock(at(8, 0, 10));
    clock.fake.settings.set("minimise", "True");
    clock.controller.load();
    clock.view.setVisible(true);
    clock.fake.clock.advanceBy(1000);
    EXPECT_FALSE(clock.view.visible);
    EXPECT_EQ(clock.view.visibility.last().second, at(8, 0, 11).toMSecsSinceEpoch());
}

TEST(Tick, TheFormatSettingIsReadAfreshEachMinute) {
    Clock clock(at(19, 4, 30));
    clock.start();
    clock.runFor(1);
    EXPECT_EQ(clock.view.text, "7:05pm");
    clock.fake.settings.put("Data", "FORMAT", "0");  // any spelling of the section and key
    clock.runFor(1);
    EXPECT_EQ(clock.view.text, "19:06");
}

TEST(Tick, AnnouncementsAlternateBetweenTheCharactersStartingWithTheSecond) {
    Clock clock(at(9, 59, 30));
    clock.fake.settings.set("Announce", "1");
    clock.start();
    clock.runFor(4);
    QStringList speakers;
    for (const QString& line : clock.spoken()) {
        speakers << line.section(u' ', 0, 0);
    }
    EXPECT_EQ(speakers, (QStringList{"Agent2", "Agent1", "Agent2", "Agent1"}));
}

TEST(Tick, AHiddenClockShowsForTheAnnouncementAndHidesFourSecondsLater) {
    Clock clock(at(10, 14, 40));
    clock.start();
    clock.fake.settings.set("minimise", "True");
    clock.view.setVisible(false);
    clock.view.visibility.clear();
    clock.runFor(1);
    ASSERT_EQ(clock.view.visibility.size(), 2);
    EXPECT_EQ(clock.view.visibility[0], qMakePair(true, at(10, 15, 2).toMSecsSinceEpoch()));
    EXPECT_EQ(clock.view.visibility[1], qMakePair(false, at(10, 15, 6).toMSecsSinceEpoch()));
    // The next minute's tick is not pushed back by the pause.
    clock.runFor(1);
    EXPECT_EQ(clock.view.texts.last().second, at(10, 16, 2).toMSecsSinceEpoch());
}

TEST(Tick, AnAlarmSoundsAtItsTimeEveryDayUnlessItDoesNotRepeat) {
    for (const QString& repeat : {QString(), QString("True"), QString("false"), QString("False")}) {
        SCOPED_TRACE(repeat.toStdString());
        Clock clock(at(6, 0, 0));
        clock.fake.settings.set("Announce", "0");
        clock.fake.settings.set("AlarmTime1", "0730");
        if (!repeat.isNull()) {
            clock.fake.settings.set("Repeat1", repeat);
        }
        clock.start();
        clock.runFor(48 * 60);
        const int sounded = countContaining(clock.spoken(), "please do it now!");
        if (repeat == "False") {
            EXPECT_EQ(sounded, 1);
            EXPECT_EQ(clock.fake.settings.get("AlarmTime1"), "9999");
        } else {
            EXPECT_EQ(sounded, 2);  // 07:30 on both days, never 19:30
            EXPECT_EQ(clock.fake.settings.get("AlarmTime1"), "0730");
        }
        EXPECT_EQ(countContaining(clock.fake.engines.sink.lines, R"(Agent1 Play "pleased")"), sounded);
    }
}

TEST(Tick, TwoAlarmsOfOneMinuteBothSoundOnlyWhenAlarmOneStartsAProgram) {
    for (bool programs : {false, true}) {
        SCOPED_TRACE(programs);
        Clock clock(at(7, 29, 0));
        clock.fake.settings.set("Announce", "0");
        clock.fake.settings.set("AlarmTime1", "0730");
        clock.fake.settings.set("AlarmTime2", "0730");
        clock.fake.settings.set("AlarmMessage", "First!");
        clock.fake.settings.set("AlarmMessage2", "Second!");
        if (programs) {
            clock.fake.settings.set("Launch1", "/usr/bin/alarm-one");
            clock.fake.settings.set("Launch2", "/usr/bin/alarm two");
        }
        clock.start();
        clock.runFor(3);
        if (!programs) {
            EXPECT_EQ(clock.spoken(), QStringList{R"(Agent1 Speak "First!")"});
            EXPECT_TRUE(clock.fake.shell.starts.isEmpty());
            continue;
        }
        EXPECT_EQ(clock.spoken(), (QStringList{R"(Agent1 Speak "First!")", R"(Agent2 Speak "Second!")"}));
        ASSERT_EQ(clock.fake.shell.starts.size(), 2);
        EXPECT_EQ(clock.fake.shell.starts[0].path, "/usr/bin/alarm-one");
        EXPECT_EQ(clock.fake.shell.starts[1].path, "/usr/bin/alarm two");
        EXPECT_EQ(clock.fake.shell.starts[0].style, WindowStyle::NormalNoFocus);
        EXPECT_EQ(clock.fake.shell.starts[0].atMs, at(7, 30, 2).toMSecsSinceEpoch());
    }
}

TEST(Tick, LateTimersNeverSkipOrRepeatAMinute) {
    for (quint32 seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        Clock clock(at(0, 0, 0).addSecs(-17), 500, seed);
        clock.start();
        clock.runFor(24 * 60);
        QList<int> minutes = clock.tickMinutes();
        minutes.removeFirst();  // the start-up's label
        ASSERT_EQ(minutes.size(), 1440);
        for (int i = 0; i < 1440; ++i) {
            ASSERT_EQ(minutes[i], i) << "minute " << i;
        }
        // Every full tick came between 2 and 3 seconds into its minute.
        for (qsizetype i = 1; i < clock.view.texts.size(); ++i) {
            int second = QDateTime::fromMSecsSinceEpoch(clock.view.texts[i].second).time().second();
            ASSERT_GE(second, 2);
            ASSERT_LE(second, 3);
        }
    }
}

TEST(Tick, GarbageInEveryKeyNeverStopsTheClock) {
    const QStringList garbage = {
        "letters", "", "-5", "99999999999", "1e3", QString::fromUtf8("７"), QString(10240, QChar('x')),
        "True",    "0"};
    const QStringList keys = {"minimise",      "format",    "Announce", "AlarmTime1", "AlarmTime2",
                              "Repeat1",       "Repeat2",   "Launch1",  "Launch2",    "AlarmMessage",
                              "AlarmMessage2", "QuietTime", "charhide", "charhide2"};
    for (const QString& value : garbage) {
        SCOPED_TRACE(value.left(20).toStdString());
        Clock clock(at(23, 0, 0));
        for (const QString& key : keys) {
            clock.fake.settings.set(key, value);
        }
        clock.fake.settings.put("data", "format", value);
        clock.start();
        clock.runFor(24 * 60);
        // A full tick every minute, each with a label the format could make.
        EXPECT_EQ(clock.view.texts.size(), 1 + 1440);
        static const QRegularExpression label("^(\\d\\d:\\d\\d|\\d{1,2}:\\d\\d[ap]m)$");
        for (const auto& [text, ms] : clock.view.texts) {
            ASSERT_TRUE(label.match(text).hasMatch()) << text.toStdString();
        }
        // None of these values is an alarm time, so nothing was started and no alarm was cleared.
        EXPECT_TRUE(clock.fake.shell.starts.isEmpty());
        EXPECT_EQ(clock.fake.settings.get("AlarmTime1"), value);
    }
}

// Sleep and wake, and a clock or a time zone set by hand. Timers count only the time the computer runs, so
// in these tests the wall clock jumps (jumpBy) while every armed timer keeps the time it had left.
namespace {

using horalia::platform::TimeChange;

// The clock after a normal start, run until the given time, with nothing announced and alarm 1 at alarmTime.
class SleepingClock : public Clock {
public:
    SleepingClock(const QDateTime& start, const QDateTime& runUntil, const QString& alarmTime)
        : Clock(start) {
        fake.settings.set("Announce", "0");
        fake.settings.set("AlarmTime1", alarmTime);
        Clock::start();
        fake.clock.advanceTo(runUntil);
    }
    // The computer sleeps until the given wall-clock time; logind says it woke unless told not to.
    void sleepUntil(const QDateTime& wake, bool announced = true) {
        fake.clock.jumpBy(wake.toMSecsSinceEpoch() - fake.clock.nowMs());
        if (announced) {
            fake.timeChanges.notify(TimeChange::Woke);
        }
    }
    int alarms() const { return countContaining(spoken(), "please do it now!"); }
    qint64 lastTickMs() const { return view.texts.last().second; }
};

}  // namespace

TEST(TickAcrossSleep, AnAlarmSleptThroughSoundsOnceWhenTheComputerWakes) {
    SleepingClock clock(at(6, 50, 0), at(6, 55, 30), "0730");
    ASSERT_TRUE(clock.fake.timeChanges.listened());
    clock.sleepUntil(at(7, 35, 20));
    // At once, not when the timer armed before the sleep runs out.
    EXPECT_EQ(clock.view.texts.last(), qMakePair(QString("7:35am"), at(7, 35, 20).toMSecsSinceEpoch()));
    EXPECT_EQ(clock.alarms(), 1);
    EXPECT_EQ(countContaining(clock.lines(), R"(Agent1 Play "pleased")"), 1);
    // Re-armed from the new time: the next tick comes 2 seconds into the next minute, and no tick repeats it.
    clock.runFor(1);
    EXPECT_EQ(clock.lastTickMs(), at(7, 36, 2).toMSecsSinceEpoch());
    clock.runFor(60);
    EXPECT_EQ(clock.alarms(), 1);
    EXPECT_EQ(clock.tickMinutes().last(), 8 * 60 + 36);
}

TEST(TickAcrossSleep, WithoutAWordFromTheSystemTheLateTickStillSoundsIt) {
    SleepingClock clock(at(6, 50, 0), at(6, 55, 30), "0730");
    clock.sleepUntil(at(7, 35, 30), false);
    EXPECT_EQ(clock.alarms(), 0);
    // The timer armed at 06:55:02 had 32 seconds left when the computer slept.
    clock.fake.clock.advanceBy(32000);
    EXPECT_EQ(clock.lastTickMs(), at(7, 36, 2).toMSecsSinceEpoch());
    EXPECT_EQ(clock.alarms(), 1);
}

TEST(TickAcrossSleep, OnlyAnAlarmWithinTheWindowSounds) {
    struct Case {
        QString window;  // null: the default
        QDateTime wake;
        int alarms;
    };
    const Case cases[] = {
        {QString(), at(8, 30, 0), 1},
        {QString(), at(8, 30, 59), 1},
        {QString(), at(8, 31, 0), 0},
        {QString("30"), at(8, 0, 0), 1},
        {QString("30"), at(8, 1, 0), 0},
        {QString("0"), at(7, 31, 0), 0},
        {QString("-5"), at(7, 31, 0), 0},
        {QString("soon"), at(7, 31, 0), 0},
        {QString("1440"), at(7, 29, 0).addDays(1), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window.toStdString() + " " + c.wake.toString(Qt::ISODate).toStdString());
        SleepingClock clock(at(6, 50, 0), at(7, 0, 0), "0730");
        if (!c.window.isNull()) {
            clock.fake.settings.set("MissedAlarmWindow", c.window);
        }
        clock.sleepUntil(c.wake);
        EXPECT_EQ(clock.alarms(), c.alarms);
    }
}

TEST(TickAcrossSleep, AnAlarmMissedOnManyDaysSoundsOnceAndADayOnlyAlarmClearsItself) {
    SleepingClock clock(at(6, 50, 0), at(7, 0, 0), "0730");
    clock.fake.settings.set("MissedAlarmWindow", "10080");  // a week
    clock.fake.settings.set("Repeat1", "False");
    clock.sleepUntil(at(8, 0, 0).addDays(3));
    EXPECT_EQ(clock.alarms(), 1);
    EXPECT_EQ(clock.fake.settings.get("AlarmTime1"), "9999");
    clock.runFor(2 * 24 * 60);
    EXPECT_EQ(clock.alarms(), 1);
}

TEST(TickAcrossSleep, SleepAcrossMidnightSoundsTheAlarmsOfBothDaysOnce) {
    SleepingClock clock(at(23, 40, 0), at(23, 50, 30), "0005");
    clock.fake.settings.set("AlarmTime2", "2355");
    clock.fake.settings.set("AlarmMessage2", "Late!");
    clock.fake.settings.set("Launch1", "/usr/bin/wake-up");
    clock.sleepUntil(at(0, 30, 0).addDays(1));
    EXPECT_EQ(clock.view.text, "12:30am");
    EXPECT_EQ(clock.alarms(), 1);
    EXPECT_EQ(countContaining(clock.spoken(), R"(Agent2 Speak "Late!")"), 1);
    ASSERT_EQ(clock.fake.shell.starts.size(), 1);
    EXPECT_EQ(clock.fake.shell.starts[0].path, "/usr/bin/wake-up");
    // The tick after the wake-up is a day's first: the alarms come again the next night at their times.
    clock.runFor(24 * 60);
    EXPECT_EQ(clock.alarms(), 2);
    EXPECT_EQ(countContaining(clock.spoken(), R"(Agent2 Speak "Late!")"), 2);
}

TEST(TickAcrossSleep, AClockSetBackShowsAtOnceAndSetForwardAgainNeverSoundsAnAlarmTwice) {
    SleepingClock clock(at(10, 14, 30), at(10, 30, 10), "1020");
    ASSERT_EQ(clock.alarms(), 1);
    clock.fake.clock.jumpBy(-20 * 60000);
    clock.fake.timeChanges.notify(TimeChange::ClockSet);
    EXPECT_EQ(clock.view.texts.last(), qMakePair(QString("10:10am"), at(10, 10, 10).toMSecsSinceEpoch()));
    clock.runFor(1);
    EXPECT_EQ(clock.lastTickMs(), at(10, 11, 2).toMSecsSinceEpoch());
    // Set forward again past 10:20, which has sounded already.
    clock.fake.clock.jumpBy(25 * 60000);
    clock.fake.timeChanges.notify(TimeChange::ClockSet);
    EXPECT_EQ(clock.view.text, "10:36am");
    EXPECT_EQ(clock.alarms(), 1);
}

TEST(TickAcrossSleep, AClockSetWithinAMinuteOnlyMovesTheNextTick) {
    for (qint64 jump : {-1500, 40000}) {
        SCOPED_TRACE(jump);
        SleepingClock clock(at(10, 14, 30), at(10, 30, 10), "9999");
        clock.fake.settings.set("Announce", "1");
        const int texts = clock.view.texts.size();
        const int spoken = clock.spoken().size();
        clock.fake.clock.jumpBy(jump);
        clock.fake.timeChanges.notify(TimeChange::ClockSet);
        EXPECT_EQ(clock.view.texts.size(), texts);  // the minute had its tick already
        EXPECT_EQ(clock.spoken().size(), spoken);
        clock.runFor(1);
        EXPECT_EQ(clock.lastTickMs(), at(10, 31, 2).toMSecsSinceEpoch());
        EXPECT_EQ(clock.spoken().size(), spoken + 1);
    }
}

TEST(TickAcrossSleep, ANewTimeZoneShowsAtOnceAndAnAlarmItSkippedSounds) {
    const QTimeZone london("Europe/London");
    const QTimeZone berlin("Europe/Berlin");
    if (!london.isValid() || !berlin.isValid()) {
        GTEST_SKIP() << "no time zone data";
    }
    Clock clock(QDateTime(QDate(2026, 12, 6), QTime(7, 50, 0), london));
    clock.fake.clock.setTimeZone(london);
    clock.fake.settings.set("Announce", "0");
    clock.fake.settings.set("AlarmTime1", "0830");
    clock.start();
    clock.runFor(5);
    // Travelling east: the face moves an hour on, past 08:30.
    clock.fake.clock.setTimeZone(berlin);
    clock.fake.timeChanges.notify(TimeChange::TimeZone);
    EXPECT_EQ(clock.view.text, "8:55am");
    EXPECT_EQ(countContaining(clock.spoken(), "please do it now!"), 1);
    clock.runFor(1);
    EXPECT_EQ(clock.view.text, "8:56am");
    EXPECT_EQ(QDateTime::fromMSecsSinceEpoch(clock.view.texts.last().second, berlin).time(), QTime(8, 56, 2));
    // And back west: the face goes back an hour at once, and the ticks follow the new face.
    clock.fake.clock.setTimeZone(london);
    clock.fake.timeChanges.notify(TimeChange::TimeZone);
    EXPECT_EQ(clock.view.text, "7:56am");
    clock.runFor(1);
    EXPECT_EQ(clock.view.text, "7:57am");
    EXPECT_EQ(countContaining(clock.spoken(), "please do it now!"), 1);
}

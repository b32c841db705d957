// The clock as a whole on virtual time: alignment to the minute, announcements, both alarms, the hidden
// clock, late timers, sleep and clock changes, each over simulated hours and days; then every command of the
// clock menu and the tray menu, and the add-on launchers with their dialogues. Last, the clock window driven
// as a user drives it, offscreen: dragging by the time, double-clicking, the right button's menu, and what
// the start-up does to the window.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTest>

#include "src/clock_window/frm_clock.h"
#include "src/platform/paths.h"
#include "tests/support/clock_harness.h"

using horalia::clock_window::frm_clock;
using horalia::platform::Answer;
using horalia::platform::programFile;
using horalia::platform::TimeChange;
using horalia::platform::WindowStyle;
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
    // "text|title|style" of each message box.
    QStringList boxes() const {
        QStringList out;
        for (const auto& box : fake.dialogs.boxes) {
            out << QStringLiteral("%1|%2|%3").arg(box.text, box.title).arg(box.style);
        }
        return out;
    }
};

qint64 ms(const QDateTime& time) {
    return time.toMSecsSinceEpoch();
}

struct ClockWindow : ::testing::Test {
    void load() {
        window = std::make_unique<frm_clock>(fake.platform, windows, tray, 7);
        window->load();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        // The tray waits for the clock's first picture.
        ASSERT_TRUE(QTest::qWaitFor([this] { return window->controller().tray() != nullptr; }));
    }

    FakePlatform fake{at(10, 0, 30)};
    RecordingWindows windows;
    RecordingTrayBackend tray;
    std::unique_ptr<frm_clock> window;
};

}  // namespace

TEST(Tick, AHiddenClockShowsOnlyToAnnounceAndEachTickReadsTheSettingsAfresh) {
    Clock clock(at(10, 14, 40));
    clock.fake.settings.set("minimise", "True");
    clock.fake.settings.set("Announce", "1");
    clock.controller.load();
    clock.view.setVisible(true);
    clock.fake.clock.advanceBy(1000);
    EXPECT_EQ(clock.view.visibility.last(), qMakePair(false, ms(at(10, 14, 41))));
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
        ASSERT_TRUE(t.second() == 2 || t.second() == 3) << t.second();
    }
}

TEST(TickAcrossSleep, AnAlarmSleptThroughWithoutWordOfTheWakeSoundsAtTheLateTick) {
    Clock clock(at(6, 50, 0), "0730", at(6, 55, 30));
    clock.sleepUntil(at(7, 35, 30), false);
    EXPECT_EQ(clock.alarms(), 0);
    // The timer armed at 06:55:02 had 32 seconds left when the computer slept.
    clock.fake.clock.advanceBy(32000);
    EXPECT_EQ(clock.view.texts.last().second, ms(at(7, 36, 2)));
    EXPECT_EQ(clock.alarms(), 1);
}

TEST(TickAcrossSleep, OnlyAnAlarmWithinTheWindowSounds) {
    // In the first row the alarm's last time came before the sleep; a null window is the default.
    for (const auto& [window, wake, alarms] : {std::tuple{QString(), at(7, 29, 0), 0},
                                               {QString(), at(8, 30, 59), 1},
                                               {QString(), at(8, 31, 0), 0},
                                               {QString("0"), at(7, 31, 0), 0},
                                               {QString("soon"), at(7, 31, 0), 0},
                                               {QString("1440"), at(7, 29, 0).addDays(1), 1}}) {
        SCOPED_TRACE(window.toStdString() + " " + wake.toString(Qt::ISODate).toStdString());
        Clock clock(at(6, 50, 0), "0730", at(7, 0, 0));
        if (!window.isNull()) {
            clock.fake.settings.set("MissedAlarmWindow", window);
        }
        clock.sleepUntil(wake);
        EXPECT_EQ(clock.alarms(), alarms);
    }
}

// A clock set within the minute only moves the next tick; one set back shows at once, and set forward again
// past an alarm that has sounded does not sound it twice.
TEST(TickAcrossSleep, AClockSetByHandShowsAtOnceAndNeverSoundsAnAlarmTwice) {
    Clock clock(at(10, 14, 30), "1020", at(10, 30, 10));
    ASSERT_EQ(clock.alarms(), 1);
    clock.fake.settings.set("Announce", "1");
    const auto counts = [&] { return std::pair(clock.view.texts.size(), clock.spoken().size()); };
    const auto before = counts();
    clock.setClock(40000);
    EXPECT_EQ(counts(), before);  // the minute had its tick already
    clock.runFor(1);
    EXPECT_EQ(std::pair(clock.view.texts.last().second, clock.spoken().size()),
              std::pair(ms(at(10, 31, 2)), before.second + 1));
    clock.setClock(-21 * 60000);
    EXPECT_EQ(clock.view.texts.last(), qMakePair(QString("10:10am"), ms(at(10, 10, 50))));
    clock.runFor(1);
    EXPECT_EQ(clock.view.texts.last().second, ms(at(10, 11, 2)));
    clock.setClock(25 * 60000);
    EXPECT_EQ(clock.view.text, "10:36am");
    EXPECT_EQ(clock.alarms(), 1);
}

TEST(Menus, EveryCommandOfTheClockAndTrayMenus) {
    Clock clock(at(10, 0, 30));
    clock.start();
    auto& menus = clock.controller.menus();
    for (const char* item :
         {"mnu_chcharacters", "mnu_tands", "mnu_format", "mnu_colours", "mnu_settings1", "mnu_about"}) {
        menus.choose(item);
    }
    EXPECT_EQ(clock.windows.calls, (QStringList{"showSettings 2", "showSettings 5", "showSettings 6",
                                                "showSettings 3", "showSettings 0 focus", "showAbout"}));
    // The tray menu goes by the key alone.
    clock.windows.calls.clear();
    menus.trayMenuClick(6, "about");
    menus.trayMenuClick(99, "mainoptions");  // the index is not looked at
    menus.trayMenuClick(4, "MAINOPTIONS");   // keys are compared exactly
    EXPECT_EQ(clock.windows.calls, (QStringList{"showAbout", "showSettings 0"}));
    // A staying add-on asks every time whether it should start with the clock.
    clock.fake.dialogs.answers = {Answer::Yes, Answer::No};
    menus.choose("mnu_showcalendar");
    menus.choose("mnu_countdown");
    ASSERT_EQ(clock.fake.shell.starts.size(), 2);
    EXPECT_EQ(clock.fake.shell.starts[0].path + ' ' + clock.fake.shell.starts[1].path,
              programFile("calendar") + ' ' + programFile("countdown"));
    EXPECT_EQ(clock.boxes(),
              (QStringList{
                  "Do you want the calendar to start everytime you start Horalia Deluxe?|Attention!|4",
                  "Do you want Countdown add on to start everytime you start Horalia Deluxe?|Attention!|4"}));
    EXPECT_EQ(clock.fake.settings.get("CalendarStart") + '|' + clock.fake.settings.get("CountdownStart"),
              "1|");
    // Summoned home, and only then the end.
    menus.choose("mnu_movehome");
    EXPECT_TRUE(clock.lines().contains(R"(Agent1 Speak "Okay I`m home !")"));
    EXPECT_EQ(clock.fake.program.ends, 0);
    menus.trayMenuClick(8, "exit");
    EXPECT_EQ(clock.fake.program.ends, 1);
    // An ending add-on takes over from the clock.
    menus.choose("mnu_partypack");
    EXPECT_EQ(std::pair(clock.fake.shell.starts.last().path, clock.fake.shell.starts.last().style),
              std::pair(programFile("partypack"), WindowStyle::NormalFocus));
    EXPECT_EQ(clock.fake.program.ends, 2);
    EXPECT_EQ(clock.fake.dialogs.boxes.size(), 2);  // the two questions above only
}

TEST(Menus, AMissingAddOnOffersTheWebSite) {
    for (const auto& [item, file, spoken, box, answer] :
         {std::tuple{"mnu_mathdrill", "mathdrill", "Math Drill", "Math Drill", Answer::No},
          {"mnu_partypack", "partypack", "Party Pack", "PARTY PACK", Answer::Yes},
          {"mnu_showcalendar", "calendar", "Calendar", "Calendar", Answer::Yes},
          {"mnu_countdown", "countdown", "Countdown", "Countdown", Answer::No}}) {
        SCOPED_TRACE(item);
        Clock fresh(at(10, 0, 30));
        fresh.start();
        fresh.fake.shell.failing = {programFile(file)};
        fresh.fake.dialogs.answers = {answer};
        const qint64 before = fresh.fake.clock.nowMs();
        fresh.controller.menus().choose(item);
        const QString site = "%1 add on. Do you want to go to the Horalia web site?";
        EXPECT_EQ(fresh.spoken(), QStringList{R"(Agent2 Speak "You need the )" + site.arg(spoken) + '"'});
        EXPECT_EQ(fresh.boxes(),
                  QStringList{QString("You don`t have the `%1` add on. You can download this for "
                                      "free, from the Horalia web site. Do you want to go to the "
                                      "web site now?|Attention!|4")
                                  .arg(box)});
        const bool yes = answer == Answer::Yes;
        EXPECT_EQ(fresh.windows.calls.size(), yes ? 1 : 0);
        EXPECT_TRUE(!yes || fresh.windows.calls[0].startsWith("sisterapplink https://"));
        EXPECT_EQ(fresh.fake.program.ends, yes ? 1 : 0);
        EXPECT_EQ(fresh.fake.clock.nowMs() - before, yes ? 1000 : 0);  // a second for the browser
    }
}

TEST(ClockStartUp, PlacesColoursAndStartsTheAddOnsAskedFor) {
    ClockHarness clock(at(10, 0, 30));
    for (const auto& [key, value] : {std::pair{"ForeColour", "255"},
                                     {"BackColour", "green"},
                                     {"mode", "advanced"},
                                     {"CalendarStart", "1"},
                                     {"CountdownStart", "yes"}}) {
        clock.fake.settings.set(key, value);
    }
    clock.fake.settings.put("data", "format", "0");
    clock.controller.load();
    EXPECT_EQ(std::tuple(clock.view.foreColour, clock.view.backColour, clock.view.simpleMenus,
                         clock.view.twentyFourHour, clock.view.text),
              std::tuple(std::optional<qint32>(255), std::optional<qint32>(), false, true, QString("10:00")));
    ASSERT_EQ(clock.fake.shell.starts.size(), 1);
    EXPECT_EQ(std::pair(clock.fake.shell.starts[0].path, clock.fake.shell.starts[0].style),
              std::pair(programFile("calendar"), WindowStyle::NormalNoFocus));
}

TEST_F(ClockWindow, StartsWhereItWasLeftSizedForTheFormatInItsColours) {
    // red on blue
    for (const auto& entry : QString("FormX=3000;FormY=1500;ForeColour=255;BackColour=16711680").split(';')) {
        fake.settings.set(entry.section('=', 0, 0), entry.section('=', 1));
    }
    load();
    const QLabel* time = window->lab_time();
    // 1680 x 525 twips
    EXPECT_EQ(
        std::tuple(window->pos(), window->size(), time->text(), time->font().pointSize(),
                   time->palette().color(QPalette::WindowText), time->palette().color(QPalette::Window)),
        std::tuple(QPoint(200, 100), QSize(112, 35), QString("10:00am"), 18, QColor(255, 0, 0),
                   QColor(0, 0, 255)));
    // A colour number that means nothing leaves the colour as it was.
    window->setColours(-5, std::nullopt);
    window->setColours(0x01000000, std::nullopt);
    EXPECT_EQ(time->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    // As every change of format does: the format, then the time in it.
    window->setTimeFormat(true);
    window->setTimeText("10:00");
    // 1680 x 750 twips
    EXPECT_EQ(std::tuple(window->size(), time->font().pointSize(), time->font().bold()),
              std::tuple(QSize(112, 50), 28, true));
}

// What the start-up leaves till the clock has been drawn: nothing of it before, all of it once, in the order
// asked; a clock that is never drawn (a desktop that keeps it covered) gets it a second later.
TEST_F(ClockWindow, WhatWaitsForTheFirstPictureRunsOnceAfterIt) {
    for (const bool shown : {true, false}) {
        SCOPED_TRACE(shown ? "shown" : "never drawn");
        RecordingTrayBackend trayHere;
        frm_clock clock(fake.platform, windows, trayHere, 7);
        QStringList ran;
        clock.whenDrawn([&] { ran << "first"; });
        clock.load();
        clock.whenDrawn([&] { ran << "second"; });
        EXPECT_TRUE(ran.isEmpty());
        EXPECT_EQ(clock.controller().tray(), nullptr);
        if (shown) {
            clock.show();
            ASSERT_TRUE(QTest::qWaitFor([&] { return !ran.isEmpty(); }));
        } else {
            QCoreApplication::processEvents();
            EXPECT_TRUE(ran.isEmpty());
            fake.clock.advanceBy(1000);
        }
        EXPECT_EQ(ran, (QStringList{"first", "second"}));
        EXPECT_NE(clock.controller().tray(), nullptr);
        EXPECT_EQ(trayHere.count(horalia::tray::NotifyMessage::Add), 1);
        // Later askers are answered at once; the fallback does not run anything twice.
        clock.whenDrawn([&] { ran << "later"; });
        fake.clock.advanceBy(2000);
        EXPECT_EQ(ran, (QStringList{"first", "second", "later"}));
        clock.hide();
    }
}

TEST_F(ClockWindow, DrivenByMouseTrayAndMenu) {
    load();
    const QPoint start = window->pos();
    // The right button does not drag but opens the menu.
    QTest::mousePress(window->lab_time(), Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseMove(window->lab_time(), QPoint(40, 30));
    EXPECT_EQ(window->pos(), start);
    EXPECT_FALSE(window->mnu_settings()->isVisible());
    QTest::mouseRelease(window->lab_time(), Qt::RightButton, {}, QPoint(40, 30));
    EXPECT_TRUE(window->mnu_settings()->isVisible());
    window->mnu_settings()->hide();
    EXPECT_TRUE(fake.settings.writes.isEmpty());
    // Dragging by the time moves the window and stores every move. Positions are the label's own, which
    // moves with the window: the pointer goes to (30, 20) and then to (35, 25) of where the label began.
    QTest::mousePress(window->lab_time(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(window->lab_time(), QPoint(30, 20));
    QTest::mouseMove(window->lab_time(), QPoint(15, 15));
    QTest::mouseRelease(window->lab_time(), Qt::LeftButton, {}, QPoint(15, 15));
    EXPECT_EQ(window->pos(), start + QPoint(25, 15));
    EXPECT_EQ(fake.settings.get("FormX") + ' ' + fake.settings.get("FormY"),
              QString("%1 %2").arg((start.x() + 25) * 15).arg((start.y() + 15) * 15));
    // once for each move, not only at the end
    EXPECT_EQ(fake.settings.writes.filter("Data/FormX=").size(), 2);

    // The tray, filled at start-up (its tip and icon are in the console test's lines).
    QStringList keys;
    for (const auto& entry : window->controller().tray()->menu().items) {
        keys << entry.caption + "|" + entry.key;
    }
    EXPECT_EQ(keys,
              (QStringList{"&Hide the clock|hide", "-|", "&Show the clock|show", "-|",
                           "&Main Options|mainoptions", "-|", "&About Horalia|about", "-|", "&Exit|exit"}));
    // A click on the tray icon or a double-click on the clock speaks the time (the right button's menu, and
    // hiding and showing the clock from it, are the console test's script).
    window->checkboxes();
    const QString time = R"(Speak "The time is 10 O clock ")";
    tray.mouse(horalia::tray::wm::kLButtonDown);
    EXPECT_EQ(fake.engines.sink.lines.filter(time), QStringList{"Agent2 " + time});
    QTest::mouseDClick(window->lab_time(), Qt::LeftButton);
    EXPECT_EQ(fake.engines.sink.lines.filter(time).size(), 2);
    window->hide();
    tray.choose(2);  // show
    EXPECT_EQ(std::pair(window->isVisible(), fake.settings.get("minimise")),
              std::pair(true, QString("False")));

    // The clock's own menu (what each command does is the menu test's).
    window->mnu_settings()->findChild<QAction*>("mnu_settings1")->trigger();
    EXPECT_EQ(windows.calls, QStringList{"showSettings 0 focus"});
    window->mnu_settings()->findChild<QAction*>("mnu_hideshow")->trigger();
    EXPECT_EQ(std::pair(window->isVisible(), fake.settings.get("minimise")),
              std::pair(false, QString("True")));
    window->mnu_settings()->findChild<QAction*>("mnu_exit")->trigger();
    EXPECT_EQ(fake.program.ends, 1);
    EXPECT_EQ(tray.count(horalia::tray::NotifyMessage::Delete), 1);
}

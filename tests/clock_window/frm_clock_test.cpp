// The clock window driven as a user drives it, offscreen: dragging by the time, double-clicking, the right
// button's menu, and what the start-up does to the window.
#include <gtest/gtest.h>

#include <QAction>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include "src/clock_window/frm_clock.h"
#include "src/core/clock_layout.h"
#include "src/core/time_texts.h"
#include "tests/support/fakes.h"
#include "tests/support/recording_tray_backend.h"

using horalia::clock_window::frm_clock;
using namespace testsupport;

namespace {

class ClockWindow : public ::testing::Test {
protected:
    ClockWindow() : fake(at(10, 0, 30)) {}
    void load() {
        window = std::make_unique<frm_clock>(fake.platform, windows, tray, 7);
        window->load();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        // The tray waits for the clock's first picture.
        ASSERT_TRUE(QTest::qWaitFor([this] { return window->controller().tray() != nullptr; }));
    }
    QAction* item(const char* name) const { return window->mnu_settings()->findChild<QAction*>(name); }

    FakePlatform fake;
    RecordingWindows windows;
    RecordingTrayBackend tray;
    std::unique_ptr<frm_clock> window;
};

}  // namespace

TEST_F(ClockWindow, StartsWhereItWasLeftSizedForTheFormat) {
    fake.settings.set("FormX", "3000");
    fake.settings.set("FormY", "1500");
    load();
    EXPECT_EQ(window->pos(), QPoint(200, 100));
    EXPECT_EQ(window->size(), QSize(112, 35));  // 1680 x 525 twips
    EXPECT_EQ(window->lab_time()->text(), "10:00am");
    EXPECT_EQ(window->lab_time()->font().pointSize(), 18);
    // As every change of format does: the format, then the time in it.
    window->setTimeFormat(true);
    window->setTimeText("10:00");
    EXPECT_EQ(window->size(), QSize(112, 50));  // 1680 x 750 twips
    EXPECT_EQ(window->lab_time()->font().pointSize(), 28);
    EXPECT_TRUE(window->lab_time()->font().bold());
}

// Whatever font fontconfig gives for the layout's Arial: every text of the day fits lab_time, at the asked
// size whenever it fits at that size, and the widest of each format found by measuring is among them.
TEST_F(ClockWindow, EveryTimeOfTheDayFitsItsLabelInTheFontTheDesktopGives) {
    load();
    for (const bool twentyFour : {false, true}) {
        SCOPED_TRACE(twentyFour ? "24-hour" : "12-hour");
        window->setTimeFormat(twentyFour);
        const int askedPoints = horalia::core::layoutFor(twentyFour).fontPoints;
        QFont asked(QStringLiteral("Arial"));
        asked.setBold(true);
        asked.setPointSize(askedPoints);
        const QLabel* label = window->lab_time();
        const int available = label->contentsRect().width();
        QString widest;
        int widestAtAskedSize = 0;
        for (int minute = 0; minute < 24 * 60; ++minute) {
            const QTime time(minute / 60, minute % 60);
            const QString text =
                twentyFour ? horalia::core::displayText24(time) : horalia::core::displayText12(time);
            const int atAskedSize = QFontMetrics(asked, label).horizontalAdvance(text);
            if (atAskedSize > widestAtAskedSize) {
                widest = text;
                widestAtAskedSize = atAskedSize;
            }
            window->setTimeText(text);
            ASSERT_EQ(label->text(), text);
            const QFont shown = label->font();
            ASSERT_LE(QFontMetrics(shown, label).horizontalAdvance(text), available)
                << text.toStdString() << " in " << QFontInfo(shown).family().toStdString() << " "
                << shown.pointSize() << " points";
            ASSERT_TRUE(shown.bold());
            if (atAskedSize <= available) {
                ASSERT_EQ(shown.pointSize(), askedPoints) << text.toStdString() << " fits as asked";
            }
        }
        // Checked once more on its own, so that a failure names the text that matters.
        window->setTimeText(widest);
        EXPECT_LE(QFontMetrics(label->font(), label).horizontalAdvance(widest), available)
            << widest.toStdString() << " in " << QFontInfo(label->font()).family().toStdString();
    }
}

TEST_F(ClockWindow, ColoursFromTheSettings) {
    fake.settings.set("ForeColour", "255");       // red
    fake.settings.set("BackColour", "16711680");  // blue
    load();
    EXPECT_EQ(window->lab_time()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(window->lab_time()->palette().color(QPalette::Window), QColor(0, 0, 255));
    // A colour number that means nothing leaves the colour as it was.
    window->setColours(-5, std::nullopt);
    window->setColours(0x01000000, std::nullopt);
    EXPECT_EQ(window->lab_time()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

TEST_F(ClockWindow, DraggingByTheTimeMovesTheWindowAndStoresEveryMove) {
    load();
    const QPoint start = window->pos();
    // Positions are the label's own, which moves with the window: the pointer goes to (30, 20) and then to
    // (35, 25) of where the label began.
    QTest::mousePress(window->lab_time(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(window->lab_time(), QPoint(30, 20));
    QTest::mouseMove(window->lab_time(), QPoint(15, 15));
    QTest::mouseRelease(window->lab_time(), Qt::LeftButton, {}, QPoint(15, 15));
    EXPECT_EQ(window->pos(), start + QPoint(25, 15));
    EXPECT_EQ(fake.settings.get("FormX"), QString::number((start.x() + 25) * 15));
    EXPECT_EQ(fake.settings.get("FormY"), QString::number((start.y() + 15) * 15));
    EXPECT_EQ(fake.settings.writes.filter("Data/FormX=").size(),
              2);  // once for each move, not only at the end
}

TEST_F(ClockWindow, TheRightButtonDoesNotDragButOpensTheMenu) {
    load();
    const QPoint start = window->pos();
    QTest::mousePress(window->lab_time(), Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseMove(window->lab_time(), QPoint(40, 30));
    EXPECT_EQ(window->pos(), start);
    EXPECT_FALSE(window->mnu_settings()->isVisible());
    QTest::mouseRelease(window->lab_time(), Qt::RightButton, {}, QPoint(40, 30));
    EXPECT_TRUE(window->mnu_settings()->isVisible());
    window->mnu_settings()->hide();
    EXPECT_TRUE(fake.settings.writes.isEmpty());
}

TEST_F(ClockWindow, DoubleClickSpeaksTheTime) {
    load();
    window->checkboxes();
    fake.engines.sink.lines.clear();
    QTest::mouseDClick(window->lab_time(), Qt::LeftButton);
    EXPECT_TRUE(fake.engines.sink.lines.contains(R"(Agent2 Speak "The time is 10 O clock ")"));
}

TEST_F(ClockWindow, SimpleModeHidesThreeItemsThatAdvancedModeShows) {
    for (const char* mode : {"advanced", "simple"}) {
        fake.settings.set("mode", mode);
        load();
        for (const char* name : {"mnu_chcharacters", "mnu_partypack", "mnu_colours"}) {
            ASSERT_NE(item(name), nullptr) << name;
            EXPECT_EQ(item(name)->isVisible(), *mode == 'a') << name << " " << mode;
        }
        EXPECT_TRUE(item("mnu_movehome")->isVisible());
    }
}

TEST_F(ClockWindow, EveryItemWorks) {
    load();
    item("mnu_settings1")->trigger();
    item("mnu_about")->trigger();
    item("mnu_tands")->trigger();
    EXPECT_EQ(windows.calls, (QStringList{"showSettings 0 focus", "showAbout", "showSettings 5"}));
    item("mnu_hideshow")->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(fake.settings.get("minimise"), "True");
    item("mnu_exit")->trigger();
    EXPECT_EQ(fake.program.ends, 1);
    EXPECT_EQ(tray.count(horalia::tray::NotifyMessage::Delete), 1);
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

TEST_F(ClockWindow, TheTrayIsFilledAtStartUpAndAnswersItsClicks) {
    load();
    ASSERT_GE(tray.calls.size(), 1);
    EXPECT_EQ(tray.calls[0].message, horalia::tray::NotifyMessage::Add);
    EXPECT_EQ(tray.last().data.tipText(), "Click me for options. Horalia Deluxe 3.6.1");
    EXPECT_EQ(tray.last().data.hIcon, 7u);
    horalia::tray::frmSysTray* sysTray = window->controller().tray();
    ASSERT_NE(sysTray, nullptr);
    const horalia::tray::TrayMenu menu = sysTray->menu();
    QStringList keys;
    for (const auto& entry : menu.items) {
        keys << entry.caption + "|" + entry.key;
    }
    EXPECT_EQ(keys,
              (QStringList{"&Hide the clock|hide", "-|", "&Show the clock|show", "-|",
                           "&Main Options|mainoptions", "-|", "&About Horalia|about", "-|", "&Exit|exit"}));
    EXPECT_EQ(sysTray->DefaultMenuIndex(), 8);

    window->checkboxes();
    fake.engines.sink.lines.clear();
    tray.mouse(horalia::tray::wm::kRButtonDown);
    EXPECT_EQ(tray.menus.size(), 1);
    EXPECT_TRUE(fake.engines.sink.lines.isEmpty());
    tray.mouse(horalia::tray::wm::kLButtonDown);
    EXPECT_TRUE(fake.engines.sink.lines.contains(R"(Agent2 Speak "The time is 10 O clock ")"));
    tray.choose(0);  // hide
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(fake.settings.get("minimise"), "True");
    tray.choose(2);  // show
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(fake.settings.get("minimise"), "False");
}

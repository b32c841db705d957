// The clock window driven as a user drives it, offscreen: dragging by the time, double-clicking, the right
// button's menu, and what the start-up does to the window.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTest>

#include "src/clock_window/frm_clock.h"
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

TEST_F(ClockWindow, StartsWhereItWasLeftSizedForTheFormatInItsColours) {
    fake.settings.set("FormX", "3000");
    fake.settings.set("FormY", "1500");
    fake.settings.set("ForeColour", "255");       // red
    fake.settings.set("BackColour", "16711680");  // blue
    load();
    EXPECT_EQ(window->pos(), QPoint(200, 100));
    EXPECT_EQ(window->size(), QSize(112, 35));  // 1680 x 525 twips
    EXPECT_EQ(window->lab_time()->text(), "10:00am");
    EXPECT_EQ(window->lab_time()->font().pointSize(), 18);
    EXPECT_EQ(window->lab_time()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(window->lab_time()->palette().color(QPalette::Window), QColor(0, 0, 255));
    // A colour number that means nothing leaves the colour as it was.
    window->setColours(-5, std::nullopt);
    window->setColours(0x01000000, std::nullopt);
    EXPECT_EQ(window->lab_time()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    // As every change of format does: the format, then the time in it.
    window->setTimeFormat(true);
    window->setTimeText("10:00");
    EXPECT_EQ(window->size(), QSize(112, 50));  // 1680 x 750 twips
    EXPECT_EQ(window->lab_time()->font().pointSize(), 28);
    EXPECT_TRUE(window->lab_time()->font().bold());
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
    EXPECT_EQ(fake.settings.get("FormX"), QString::number((start.x() + 25) * 15));
    EXPECT_EQ(fake.settings.get("FormY"), QString::number((start.y() + 15) * 15));
    EXPECT_EQ(fake.settings.writes.filter("Data/FormX=").size(),
              2);  // once for each move, not only at the end

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
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(fake.settings.get("minimise"), "False");

    // The clock's own menu (what each command does is the menu test's).
    item("mnu_settings1")->trigger();
    EXPECT_EQ(windows.calls, QStringList{"showSettings 0 focus"});
    item("mnu_hideshow")->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(fake.settings.get("minimise"), "True");
    item("mnu_exit")->trigger();
    EXPECT_EQ(fake.program.ends, 1);
    EXPECT_EQ(tray.count(horalia::tray::NotifyMessage::Delete), 1);
}

// Every command of the clock menu and the tray menu, and the add-on launchers with their dialogues.
#include <gtest/gtest.h>

#include "src/platform/paths.h"
#include "tests/support/clock_harness.h"

using horalia::platform::Answer;
using horalia::platform::WindowStyle;
using namespace testsupport;

namespace {

class Menus : public ::testing::Test {
protected:
    Menus() : clock(at(10, 0, 30)) {
        clock.start();
        clock.lines().clear();
    }
    void choose(const QString& item) { clock.controller.menus().choose(item); }
    QString addOn(const QString& name) const { return horalia::platform::programFile(name); }

    ClockHarness clock;
};

}  // namespace

TEST_F(Menus, PagesOfTheSettingsDialogAndTheAboutBox) {
    for (const char* item :
         {"mnu_chcharacters", "mnu_tands", "mnu_format", "mnu_colours", "mnu_settings1", "mnu_about"}) {
        choose(item);
    }
    EXPECT_EQ(clock.windows.calls, (QStringList{"showSettings 2", "showSettings 5", "showSettings 6",
                                                "showSettings 3", "showSettings 0 focus", "showAbout"}));
}

TEST_F(Menus, TrayMenuByKeyAlone) {
    auto& menus = clock.controller.menus();
    menus.trayMenuClick(6, "about");
    menus.trayMenuClick(99, "mainoptions");  // the index is not looked at
    menus.trayMenuClick(1, "");              // a separator
    menus.trayMenuClick(4, "MAINOPTIONS");   // keys are compared exactly
    EXPECT_EQ(clock.windows.calls, (QStringList{"showAbout", "showSettings 0"}));
    EXPECT_EQ(clock.fake.program.ends, 0);
    menus.trayMenuClick(8, "exit");
    EXPECT_EQ(clock.fake.program.ends, 1);
}

TEST_F(Menus, SummonAndExit) {
    choose("mnu_movehome");
    EXPECT_TRUE(clock.lines().contains(R"(Agent1 Speak "Okay I`m home !")"));
    EXPECT_EQ(clock.fake.program.ends, 0);
    choose("mnu_exit");
    EXPECT_EQ(clock.fake.program.ends, 1);
}

TEST_F(Menus, AnEndingAddOnTakesOverFromTheClock) {
    for (const char* item : {"mnu_mathdrill", "mnu_partypack"}) {
        ClockHarness fresh(at(10, 0, 30));
        fresh.controller.menus().choose(item);
        ASSERT_EQ(fresh.fake.shell.starts.size(), 1);
        EXPECT_EQ(fresh.fake.shell.starts[0].style, WindowStyle::NormalFocus);
        EXPECT_EQ(fresh.fake.program.ends, 1) << item;
        EXPECT_TRUE(fresh.fake.dialogs.boxes.isEmpty());
    }
}

TEST_F(Menus, AStayingAddOnAsksToStartEveryTime) {
    clock.fake.dialogs.answers = {Answer::Yes, Answer::No};
    choose("mnu_showcalendar");
    choose("mnu_countdown");
    ASSERT_EQ(clock.fake.shell.starts.size(), 2);
    EXPECT_EQ(clock.fake.shell.starts[0].path, addOn("calendar"));
    EXPECT_EQ(clock.fake.shell.starts[1].path, addOn("countdown"));
    ASSERT_EQ(clock.fake.dialogs.boxes.size(), 2);
    EXPECT_EQ(clock.fake.dialogs.boxes[0].text,
              "Do you want the calendar to start everytime you start Horalia Deluxe?");
    EXPECT_EQ(clock.fake.dialogs.boxes[0].title, "Attention!");
    EXPECT_EQ(clock.fake.dialogs.boxes[0].style, 4);
    EXPECT_EQ(clock.fake.dialogs.boxes[1].text,
              "Do you want Countdown add on to start everytime you start Horalia Deluxe?");
    EXPECT_EQ(clock.fake.settings.get("CalendarStart"), "1");
    EXPECT_EQ(clock.fake.settings.get("CountdownStart"), "");
    EXPECT_EQ(clock.fake.program.ends, 0);
}

TEST_F(Menus, AMissingAddOnOffersTheWebSite) {
    struct Case {
        const char* item;
        const char* file;
        const char* spoken;
        const char* box;
    };
    const Case cases[] = {
        {"mnu_mathdrill", "mathdrill", "Math Drill", "Math Drill"},
        {"mnu_partypack", "partypack", "Party Pack", "PARTY PACK"},
        {"mnu_showcalendar", "calendar", "Calendar", "Calendar"},
        {"mnu_countdown", "countdown", "Countdown", "Countdown"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        for (Answer answer : {Answer::No, Answer::Yes}) {
            ClockHarness fresh(at(10, 0, 30));
            fresh.start();
            fresh.lines().clear();
            fresh.fake.shell.failing = {addOn(c.file)};
            fresh.fake.dialogs.answers = {answer};
            const qint64 before = fresh.fake.clock.nowMs();
            fresh.controller.menus().choose(c.item);
            EXPECT_EQ(fresh.spoken(),
                      QStringList{QString(R"(Agent2 Speak "You need the %1 add on. Do you want to go )"
                                          R"(to the Horalia web site?")")
                                      .arg(c.spoken)});
            ASSERT_EQ(fresh.fake.dialogs.boxes.size(), 1);
            EXPECT_EQ(
                fresh.fake.dialogs.boxes[0].text,
                QString(
                    "You don`t have the `%1` add on. You can download this for free, from the Horalia web "
                    "site. Do you want to go to the web site now?")
                    .arg(c.box));
            EXPECT_EQ(fresh.fake.dialogs.boxes[0].title, "Attention!");
            if (answer == Answer::Yes) {
                ASSERT_EQ(fresh.windows.calls.size(), 1);
                EXPECT_TRUE(fresh.windows.calls[0].startsWith("sisterapplink https://"));
                EXPECT_EQ(fresh.fake.program.ends, 1);
                EXPECT_EQ(fresh.fake.clock.nowMs() - before, 1000);  // a second for the browser to come up
            } else {
                EXPECT_TRUE(fresh.windows.calls.isEmpty());
                EXPECT_EQ(fresh.fake.program.ends, 0);
            }
        }
    }
}

TEST(ClockStartUp, PlacesColoursAndStartsTheAddOnsAskedFor) {
    ClockHarness clock(at(10, 0, 30));
    clock.fake.settings.set("FormX", "999999");  // beyond a 1024-pixel screen: starts at the left edge
    clock.fake.settings.set("FormY", "450.5");
    clock.fake.settings.set("ForeColour", "255");
    clock.fake.settings.set("BackColour", "green");
    clock.fake.settings.set("mode", "advanced");
    clock.fake.settings.set("CalendarStart", "1");
    clock.fake.settings.set("CountdownStart", "yes");
    clock.fake.settings.put("data", "format", "0");
    clock.controller.load();
    EXPECT_EQ(clock.view.geometry.left, 0);
    EXPECT_EQ(clock.view.geometry.top, 450.5);
    EXPECT_EQ(clock.view.foreColour, 255);
    EXPECT_FALSE(clock.view.backColour.has_value());
    EXPECT_FALSE(clock.view.simpleMenus);
    EXPECT_TRUE(clock.view.twentyFourHour);
    EXPECT_EQ(clock.view.text, "10:00");
    ASSERT_EQ(clock.fake.shell.starts.size(), 1);
    EXPECT_EQ(clock.fake.shell.starts[0].path, horalia::platform::programFile("calendar"));
    EXPECT_EQ(clock.fake.shell.starts[0].style, WindowStyle::NormalNoFocus);
}

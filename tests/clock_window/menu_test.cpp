// Every command of the clock menu and the tray menu, and the add-on launchers with their dialogues.
#include <gtest/gtest.h>

#include "src/platform/paths.h"
#include "tests/support/clock_harness.h"

using horalia::platform::Answer;
using horalia::platform::programFile;
using horalia::platform::WindowStyle;
using namespace testsupport;

namespace {

// A clock started at ten, with what was said while setting up forgotten.
struct Started : ClockHarness {
    Started() : ClockHarness(at(10, 0, 30)) {
        start();
        lines().clear();
    }
    // "text|title|style" of each message box.
    QStringList boxes() const {
        QStringList out;
        for (const auto& box : fake.dialogs.boxes) {
            out << QStringLiteral("%1|%2|%3").arg(box.text, box.title).arg(box.style);
        }
        return out;
    }
};

}  // namespace

TEST(Menus, EveryCommandOfTheClockAndTrayMenus) {
    Started clock;
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
    EXPECT_EQ(clock.fake.shell.starts[0].path, programFile("calendar"));
    EXPECT_EQ(clock.fake.shell.starts[1].path, programFile("countdown"));
    EXPECT_EQ(clock.boxes(),
              (QStringList{
                  "Do you want the calendar to start everytime you start Horalia Deluxe?|Attention!|4",
                  "Do you want Countdown add on to start everytime you start Horalia Deluxe?|Attention!|4"}));
    EXPECT_EQ(clock.fake.settings.get("CalendarStart"), "1");
    EXPECT_EQ(clock.fake.settings.get("CountdownStart"), "");
    // Summoned home, and only then the end.
    menus.choose("mnu_movehome");
    EXPECT_TRUE(clock.lines().contains(R"(Agent1 Speak "Okay I`m home !")"));
    EXPECT_EQ(clock.fake.program.ends, 0);
    menus.trayMenuClick(8, "exit");
    EXPECT_EQ(clock.fake.program.ends, 1);
    // An ending add-on takes over from the clock.
    menus.choose("mnu_partypack");
    EXPECT_EQ(clock.fake.shell.starts.last().path, programFile("partypack"));
    EXPECT_EQ(clock.fake.shell.starts.last().style, WindowStyle::NormalFocus);
    EXPECT_EQ(clock.fake.program.ends, 2);
    EXPECT_EQ(clock.fake.dialogs.boxes.size(), 2);  // the two questions above only
}

TEST(Menus, AMissingAddOnOffersTheWebSite) {
    struct Case {
        const char* item;
        const char* file;
        const char* spoken;
        const char* box;
        Answer answer;
    };
    const Case cases[] = {
        {"mnu_mathdrill", "mathdrill", "Math Drill", "Math Drill", Answer::No},
        {"mnu_partypack", "partypack", "Party Pack", "PARTY PACK", Answer::Yes},
        {"mnu_showcalendar", "calendar", "Calendar", "Calendar", Answer::Yes},
        {"mnu_countdown", "countdown", "Countdown", "Countdown", Answer::No},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        Started fresh;
        fresh.fake.shell.failing = {programFile(c.file)};
        fresh.fake.dialogs.answers = {c.answer};
        const qint64 before = fresh.fake.clock.nowMs();
        fresh.controller.menus().choose(c.item);
        EXPECT_EQ(fresh.spoken(), QStringList{QString(R"(Agent2 Speak "You need the %1 add on. Do you want )"
                                                      R"(to go to the Horalia web site?")")
                                                  .arg(c.spoken)});
        EXPECT_EQ(fresh.boxes(), QStringList{QString("You don`t have the `%1` add on. You can download this "
                                                     "for free, from the Horalia web site. Do you want to go "
                                                     "to the web site now?|Attention!|4")
                                                 .arg(c.box)});
        const bool yes = c.answer == Answer::Yes;
        EXPECT_EQ(fresh.windows.calls.size(), yes ? 1 : 0);
        EXPECT_TRUE(!yes || fresh.windows.calls[0].startsWith("sisterapplink https://"));
        EXPECT_EQ(fresh.fake.program.ends, yes ? 1 : 0);
        EXPECT_EQ(fresh.fake.clock.nowMs() - before, yes ? 1000 : 0);  // a second for the browser
    }
}

TEST(ClockStartUp, PlacesColoursAndStartsTheAddOnsAskedFor) {
    ClockHarness clock(at(10, 0, 30));
    clock.fake.settings.set("ForeColour", "255");
    clock.fake.settings.set("BackColour", "green");
    clock.fake.settings.set("mode", "advanced");
    clock.fake.settings.set("CalendarStart", "1");
    clock.fake.settings.set("CountdownStart", "yes");
    clock.fake.settings.put("data", "format", "0");
    clock.controller.load();
    EXPECT_EQ(clock.view.foreColour, 255);
    EXPECT_FALSE(clock.view.backColour.has_value());
    EXPECT_FALSE(clock.view.simpleMenus);
    EXPECT_TRUE(clock.view.twentyFourHour);
    EXPECT_EQ(clock.view.text, "10:00");
    ASSERT_EQ(clock.fake.shell.starts.size(), 1);
    EXPECT_EQ(clock.fake.shell.starts[0].path, programFile("calendar"));
    EXPECT_EQ(clock.fake.shell.starts[0].style, WindowStyle::NormalNoFocus);
}

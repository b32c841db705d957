// Setting the characters up, their commands and reactions, walking home and changing characters, on the
// whole clock with recording engines. say and alarmclock: the order of requests a character gets, the gesture
// cycle shared by both characters, and hiding after speaking (whispering in quiet hours is in the console
// test's day).
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "src/characters/alarm_voice.h"
#include "src/characters/character_setup.h"
#include "src/characters/home_position.h"
#include "src/characters/speaker.h"
#include "tests/support/clock_harness.h"

using horalia::characters::Cast;
using horalia::characters::CharacterSetup;
using horalia::characters::Speaker;
using horalia::core::Who;
using namespace testsupport;

// The usual homes beside the clock are in the set-up test below.
TEST(HomePosition, OnTheClocksMonitorClearOfTheClockAndOfEachOtherHalvesToTheEvenNeighbour) {
    // (1500 - 800) / 14 - 0 = 50.
    horalia::platform::FixedScreenMetrics fourteen(1024, 768, 14);
    EXPECT_EQ(horalia::characters::homePosition(Who::Second, {1500, 0, 0, 921}, fourteen, 1, 1),
              QPoint(50, 1));
    // A clock dragged absurdly far gives a home that fits no coordinate: the character stays put.
    EXPECT_FALSE(
        horalia::characters::homePosition(Who::First, {1e9, 0, 1680, 525}, fourteen, 128, 128).has_value());

    // Both homes on the clock's monitor (available part), 128x128 characters, a 112x35 clock, 15 twips a
    // pixel.
    using horalia::platform::Monitor;
    const Monitor plain{{0, 0, 800, 600}, {0, 0, 800, 600}};
    const Monitor panelled{{0, 0, 800, 600}, {0, 24, 800, 576}};
    const Monitor second{{800, 0, 800, 600}, {800, 0, 800, 600}};
    const Monitor small{{800, 0, 200, 300}, {800, 0, 200, 300}};
    using Homes = std::array<std::optional<QPoint>, 2>;
    // What, the monitors, where the clock is (pixels), and the homes of characters 1 and 2.
    const std::tuple<const char*, QList<Monitor>, QPoint, QPoint, QPoint> cases[] = {
        {"room on both sides", {plain}, {200, 133}, {301, 44}, {83, 44}},
        {"right edge: character 1 beyond character 2", {plain}, {688, 200}, {443, 111}, {571, 111}},
        {"left edge: character 2 beyond character 1", {plain}, {40, 200}, {141, 111}, {269, 111}},
        {"top, below a panel", {panelled}, {300, 24}, {401, 24}, {183, 24}},
        {"bottom", {plain}, {300, 565}, {401, 472}, {183, 472}},
        {"seam: both on the clock's monitor", {plain, second}, {830, 200}, {931, 111}, {1059, 111}},
        {"a monitor too small for both beside it", {plain, small}, {844, 132}, {872, 4}, {800, 167}},
    };
    for (const auto& [what, monitors, place, home1, home2] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(horalia::characters::homesBeside({place.x() * 15.0, place.y() * 15.0, 1680, 525},
                                                   horalia::platform::FixedScreenMetrics(monitors, 15),
                                                   {QSize(128, 128), QSize(128, 128)}),
                  (Homes{home1, home2}));
    }
    // A character that is not there has no home, and the other keeps its own.
    EXPECT_EQ(horalia::characters::homesBeside({3000, 1995, 1680, 525},
                                               horalia::platform::FixedScreenMetrics({plain}, 15),
                                               {QSize(), QSize(128, 128)}),
              (Homes{std::nullopt, QPoint(83, 44)}));
}

TEST(CharacterSetup, LoadsCommandsShowsGreetsAndWalksHomeInOrder) {
    ClockHarness clock(at(19, 0, 0));
    clock.fake.settings.set("LastCharacter", "merlin");
    clock.fake.settings.set("effects1", "False");
    clock.fake.settings.set("charhide2", "True");
    clock.controller.load();
    clock.view.geometry = {3000, 2000, 2400, 900};
    clock.controller.checkboxes();

    // Hidden, character 1 is moved home at once, so that it comes into view there.
    EXPECT_EQ(
        clock.lines().filter(QRegularExpression("^Agent1")),
        (QStringList{
            R"(Agent1 Load "merlin" "merlin.acs")",
            R"(Agent1 Commands.Add "Properties" "Alter Character Properties" "[Character] Properties" true true)",
            R"x(Agent1 Commands.Add "Introduce" "Introduce merlin" "(Introduction | Introduce)" true true)x",
            R"(Agent1 Commands.Add "default" "Move me home" "[Move Me]Home " true true)",
            R"(Agent1 Commands.Add "Date" "What is the date" "What is the [date]?" true true)",
            R"(Agent1 Commands.Add "Shut" "Tell plany to be quiet" "tell [Shut Up]" true true)",
            R"(Agent1 Commands.Add "Future" "What does the future hold" "[Future]" true true)",
            R"(Agent1 Commands.Add "exit" "Exit Horalia" "[Exit] horalia" true true)",
            R"(Agent1 SoundEffectsOn true)", R"(Agent1 MoveTo 349 69)", R"(Agent1 Show)",
            R"(Agent1 Commands.Caption "Horalia DELUXE Character 1")", R"(Agent1 Commands.Visible true)",
            R"(Agent1 Stop)", R"(Agent1 Speak " ")", R"(Agent1 Show)",
            R"(Agent1 Speak "good evening, Nobody")", R"(Agent1 Play "Congratulate")",
            R"(Agent1 MoveTo 349 69)"}));
    const QStringList agent2 = clock.lines().filter(QRegularExpression("^Agent2"));
    for (const QString want :
         {R"x(Agent2 Commands.Add "Introduce" "Info about plany" "(Introduction | Introduce)" true true)x",
          R"(Agent2 Commands.Add "Shut" "Tell merlin to be quiet" "[Tell] to be quiet" true true)",
          R"(Agent2 SoundEffectsOn false)", R"(Agent2 Speak "Welcome to Horalia Deluxe")"}) {
        EXPECT_TRUE(agent2.contains(want)) << want.toStdString();
    }
    EXPECT_FALSE(agent2.join('\n').contains("Future"));
    // say hides it after its gesture; the walk home comes after that, and the set-up's own hide after the
    // walk.
    EXPECT_EQ(agent2.mid(agent2.size() - 4), (QStringList{R"(Agent2 Play "Confused")", "Agent2 Hide",
                                                          "Agent2 MoveTo 83 69", "Agent2 Hide"}));
    // Character 2 begins 8 seconds after character 1.
    EXPECT_EQ(clock.fake.clock.now(), at(19, 0, 8));
}

// On a clock started at ten, with what was said while setting up forgotten.
TEST(CharacterSetup, BothWalkHomeButNotToAMinimisedClockAndCancellingAChangeChangesNothing) {
    ClockHarness clock{at(10, 0)};
    clock.start();
    clock.lines().clear();
    clock.view.minimized = true;
    clock.controller.GenieMove();
    EXPECT_EQ(clock.spoken(),
              (QStringList{R"(Agent2 Speak "How can we move to an invisible window?")",
                           R"(Agent1 Speak "yeah, you need to show the clock before I will move")"}));
    EXPECT_TRUE(clock.lines().filter("Agent1 MoveTo").isEmpty());
    clock.view.minimized = false;
    clock.lines().clear();
    const qint64 begin = clock.fake.clock.nowMs();
    clock.controller.GenieMove();
    EXPECT_EQ(clock.lines(),
              (QStringList{"Agent1 Stop", "Agent1 MoveTo 235 44", R"(Agent1 Speak "Okay I`m home !")",
                           R"(Agent1 Play "pleased")", "Agent2 Stop", "Agent2 MoveTo 16 44",
                           R"(Agent2 Speak "I`m home too!")", R"(Agent2 Play "pleased")"}));
    EXPECT_EQ(clock.fake.clock.nowMs() - begin, 4000);

    // Cancelling changes nothing, and a picked file replaces character 1.
    clock.lines().clear();
    EXPECT_FALSE(clock.controller.newcharacter());
    EXPECT_FALSE(clock.controller.newcharacter2());
    EXPECT_TRUE(clock.lines().isEmpty());
    EXPECT_TRUE(clock.fake.settings.writes.isEmpty());
    EXPECT_EQ(clock.windows.calls,
              (QStringList{"hideSettings", "showSettings 2", "hideSettings", "showSettings 2"}));
    clock.windows.calls.clear();
    clock.fake.dialogs.files = {"/somewhere/else/Merlin.acs"};
    EXPECT_TRUE(clock.controller.newcharacter());
    EXPECT_EQ(clock.fake.settings.get("LastCharacter"), "Merlin");
    EXPECT_TRUE(clock.fake.dialogs.fileDialogs.last().startsWith("Agent Characters (*.acs)|*.acs|"));
    EXPECT_TRUE(clock.fake.dialogs.fileDialogs.last().endsWith("/msagent/chars"));
    EXPECT_EQ(clock.windows.calls, (QStringList{"hideSettings", "closeSettings"}));
    for (const QString want :
         {R"(Agent1 Unload "max")", R"(Agent1 Load "Merlin" "Merlin.acs")", R"(Agent2 Unload "plany")",
          R"x(Agent1 Commands.Add "Introduce" "Introduce Merlin" "(Introduction | Introduce)" true true)x",
          R"(Agent2 Commands.Add "Shut" "Tell Merlin to be quiet" "[Tell] to be quiet" true true)"}) {
        EXPECT_TRUE(clock.lines().contains(want)) << want.toStdString();
    }
}

TEST(CharacterSetup, GreetingsByTheHour) {
    EXPECT_EQ((QStringList{CharacterSetup::greeting(11), CharacterSetup::greeting(12),
                           CharacterSetup::greeting(16), CharacterSetup::greeting(17)}),
              (QStringList{"good morning, ", "good afternoon, ", "good afternoon, ", "good evening, "}));
}

TEST(Speaker, WhileAnotherProgramIsFullScreenOnlyAnAlarmShows) {
    FakePlatform fake(at(10, 0));
    const std::unique_ptr<agent::Control> agent1 = fake.engines.create("Agent1");
    const std::unique_ptr<agent::Control> agent2 = fake.engines.create("Agent2");
    EXPECT_TRUE(agent1->load("max", "max.acs"));
    EXPECT_TRUE(agent2->load("plany", "plany.acs"));
    Cast cast;
    cast[Who::First] = {agent1.get(), agent1->item("max"), "max"};
    cast[Who::Second] = {agent2.get(), agent2->item("plany"), "plany"};
    Speaker speaker{fake.settings, fake.clock, fake.fullScreen, cast};
    fake.engines.sink.lines.clear();

    fake.fullScreen.on = true;
    speaker.fullScreenChanged();
    speaker.say("heard", "genie");
    horalia::characters::alarmclock(horalia::core::alarm(1), cast, fake.settings, speaker);
    fake.fullScreen.on = false;
    speaker.fullScreenChanged();
    speaker.say("seen", "peedy");
    // Both keep off the screen and are heard; an alarm shows all the same; once the full-screen window has
    // gone, all is as before.
    const QString alarm =
        R"(Agent1 Speak "This is the alarm, you have not altered the alarm yet, please do it now!")";
    EXPECT_EQ(fake.engines.sink.lines,
              ((QStringList{"Agent1 Withdrawn true", "Agent2 Withdrawn true", "Agent1 Stop",
                            R"(Agent1 Speak " ")", "Agent1 Show", R"(Agent1 Speak "heard")",
                            R"(Agent1 Play "Congratulate")", "Agent1 Stop", "Agent1 Stop",
                            R"(Agent1 Speak " ")", "Agent1 Withdrawn false", "Agent1 Show"}
                << alarm) +
               QStringList{R"(Agent1 Play "Confused")", R"(Agent1 Play "pleased")", "Agent2 Withdrawn false",
                           "Agent2 Stop", R"(Agent2 Speak " ")", "Agent2 Show", R"(Agent2 Speak "seen")",
                           R"(Agent2 Play "Decline")"}));
}

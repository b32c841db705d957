// Setting the characters up, their commands and reactions, walking home and changing characters, on the
// whole clock with recording engines.
#include <gtest/gtest.h>

#include <QLocale>

#include "src/characters/character_setup.h"
#include "src/characters/home_position.h"
#include "src/characters/reactions.h"
#include "tests/support/clock_harness.h"

using horalia::characters::CharacterSetup;
using horalia::core::Who;
using namespace testsupport;

namespace {

QStringList withoutTime(const QStringList& lines, const QString& prefix) {
    QStringList out;
    for (const QString& line : lines) {
        if (line.startsWith(prefix)) {
            out << line;
        }
    }
    return out;
}

// A clock started at ten, with what was said while setting up forgotten.
class Started : public ::testing::Test {
protected:
    Started() {
        clock.start();
        clock.lines().clear();
    }
    ClockHarness clock{at(10, 0)};
};
using Homing = Started;
using PickingCharacters = Started;

}  // namespace

// The usual homes beside the clock are in the set-up test below.
TEST(HomePosition, HalvesGoToTheEvenNeighbourAndAnAbsurdClockGivesNone) {
    // (1500 - 800) / 14 - 0 = 50.
    horalia::platform::FixedScreenMetrics fourteen(1024, 768, 14);
    EXPECT_EQ(horalia::characters::homePosition(Who::Second, {1500, 0, 0, 921}, fourteen, 1, 1),
              QPoint(50, 1));
    // A clock dragged absurdly far gives a home that fits no coordinate: the character stays put.
    EXPECT_FALSE(
        horalia::characters::homePosition(Who::First, {1e9, 0, 1680, 525}, fourteen, 128, 128).has_value());
}

// Both homes on the clock's monitor (available part), 128x128 characters, a 112x35 clock, 15 twips a pixel.
TEST(HomePosition, OnTheClocksMonitorClearOfTheClockAndOfEachOther) {
    using horalia::platform::Monitor;
    const Monitor plain{{0, 0, 800, 600}, {0, 0, 800, 600}};
    const Monitor panelled{{0, 0, 800, 600}, {0, 24, 800, 576}};
    const Monitor second{{800, 0, 800, 600}, {800, 0, 800, 600}};
    const Monitor small{{800, 0, 200, 300}, {800, 0, 200, 300}};
    struct Case {
        const char* what;
        QList<Monitor> monitors;
        QPoint clock;  // pixels
        QPoint first, second;
    } cases[] = {
        {"room on both sides", {plain}, {200, 133}, {301, 44}, {83, 44}},
        {"right edge: character 1 beyond character 2", {plain}, {688, 200}, {443, 111}, {571, 111}},
        {"left edge: character 2 beyond character 1", {plain}, {40, 200}, {141, 111}, {269, 111}},
        {"top, below a panel", {panelled}, {300, 24}, {401, 24}, {183, 24}},
        {"bottom", {plain}, {300, 565}, {401, 472}, {183, 472}},
        {"seam: both on the clock's monitor", {plain, second}, {830, 200}, {931, 111}, {1059, 111}},
        {"a monitor too small for both beside it", {plain, small}, {844, 132}, {872, 4}, {800, 167}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        horalia::platform::FixedScreenMetrics screen(c.monitors, 15);
        const horalia::core::GeometryTwips clock{c.clock.x() * 15.0, c.clock.y() * 15.0, 1680, 525};
        const auto homes =
            horalia::characters::homesBeside(clock, screen, {QSize(128, 128), QSize(128, 128)});
        EXPECT_EQ(homes[0], c.first);
        EXPECT_EQ(homes[1], c.second);
    }
    // A character that is not there has no home, and the other keeps its own.
    horalia::platform::FixedScreenMetrics screen({plain}, 15);
    const auto homes =
        horalia::characters::homesBeside({3000, 1995, 1680, 525}, screen, {QSize(), QSize(128, 128)});
    EXPECT_FALSE(homes[0]);
    EXPECT_EQ(homes[1], QPoint(83, 44));
}

TEST(CharacterSetup, LoadsCommandsShowsGreetsAndWalksHomeInOrder) {
    ClockHarness clock(at(19, 0, 0));
    clock.fake.settings.set("LastCharacter", "merlin");
    clock.fake.settings.set("effects1", "False");
    clock.fake.settings.set("charhide2", "True");
    clock.controller.load();
    clock.view.moveTo(3000, 2000);
    clock.view.geometry = {3000, 2000, 2400, 900};
    clock.controller.checkboxes();

    const QStringList agent1 = withoutTime(clock.lines(), "Agent1");
    EXPECT_EQ(
        agent1,
        (QStringList{
            R"(Agent1 Load "merlin" "merlin.acs")",
            R"(Agent1 Commands.Add "Properties" "Alter Character Properties" "[Character] Properties" true true)",
            R"x(Agent1 Commands.Add "Introduce" "Introduce merlin" "(Introduction | Introduce)" true true)x",
            R"(Agent1 Commands.Add "default" "Move me home" "[Move Me]Home " true true)",
            R"(Agent1 Commands.Add "Date" "What is the date" "What is the [date]?" true true)",
            R"(Agent1 Commands.Add "Shut" "Tell plany to be quiet" "tell [Shut Up]" true true)",
            R"(Agent1 Commands.Add "Future" "What does the future hold" "[Future]" true true)",
            R"(Agent1 Commands.Add "exit" "Exit Horalia" "[Exit] horalia" true true)",
            R"(Agent1 SoundEffectsOn true)",
            R"(Agent1 MoveTo 349 69)",  // hidden: there at once, so that it comes into view at home
            R"(Agent1 Show)",
            R"(Agent1 Commands.Caption "Horalia DELUXE Character 1")",
            R"(Agent1 Commands.Visible true)",
            R"(Agent1 Stop)",
            R"(Agent1 Speak " ")",
            R"(Agent1 Show)",
            R"(Agent1 Speak "good evening, Nobody")",
            R"(Agent1 Play "Congratulate")",
            R"(Agent1 MoveTo 349 69)",
        }));
    const QStringList agent2 = withoutTime(clock.lines(), "Agent2");
    EXPECT_TRUE(agent2.contains(
        R"x(Agent2 Commands.Add "Introduce" "Info about plany" "(Introduction | Introduce)" true true)x"));
    EXPECT_TRUE(agent2.contains(
        R"(Agent2 Commands.Add "Shut" "Tell merlin to be quiet" "[Tell] to be quiet" true true)"));
    EXPECT_FALSE(agent2.join('\n').contains("Future"));
    EXPECT_TRUE(agent2.contains("Agent2 SoundEffectsOn false"));
    EXPECT_TRUE(agent2.contains(R"(Agent2 Speak "Welcome to Horalia Deluxe")"));
    // say hides it after its gesture; the walk home comes after that, and the set-up's own hide after the
    // walk.
    EXPECT_EQ(agent2.mid(agent2.size() - 4), (QStringList{R"(Agent2 Play "Confused")", "Agent2 Hide",
                                                          "Agent2 MoveTo 83 69", "Agent2 Hide"}));
    // Character 2 begins 8 seconds after character 1.
    EXPECT_EQ(clock.fake.clock.now(), at(19, 0, 8));
}

TEST_F(Homing, BothWalkHomeCharacterTwoFourSecondsLaterButAMinimisedClockHasNoHome) {
    clock.view.minimized = true;
    clock.controller.GenieMove();
    EXPECT_EQ(clock.spoken(),
              (QStringList{R"(Agent2 Speak "How can we move to an invisible window?")",
                           R"(Agent1 Speak "yeah, you need to show the clock before I will move")"}));
    EXPECT_TRUE(withoutTime(clock.lines(), "Agent1 MoveTo").isEmpty());
    clock.view.minimized = false;
    clock.lines().clear();
    const qint64 begin = clock.fake.clock.nowMs();
    clock.controller.GenieMove();
    EXPECT_EQ(clock.lines(),
              (QStringList{"Agent1 Stop", "Agent1 MoveTo 235 44", R"(Agent1 Speak "Okay I`m home !")",
                           R"(Agent1 Play "pleased")", "Agent2 Stop", "Agent2 MoveTo 16 44",
                           R"(Agent2 Speak "I`m home too!")", R"(Agent2 Play "pleased")"}));
    EXPECT_EQ(clock.fake.clock.nowMs() - begin, 4000);
}

TEST_F(PickingCharacters, CancellingChangesNothingAndAPickedFileReplacesCharacterOne) {
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
    EXPECT_TRUE(clock.lines().contains(R"(Agent1 Unload "max")"));
    EXPECT_TRUE(clock.lines().contains(R"(Agent1 Load "Merlin" "Merlin.acs")"));
    EXPECT_TRUE(clock.lines().contains(R"(Agent2 Unload "plany")"));
    EXPECT_TRUE(clock.lines().contains(
        R"x(Agent1 Commands.Add "Introduce" "Introduce Merlin" "(Introduction | Introduce)" true true)x"));
    EXPECT_TRUE(clock.lines().contains(
        R"(Agent2 Commands.Add "Shut" "Tell Merlin to be quiet" "[Tell] to be quiet" true true)"));
}

TEST(CharacterSetup, GreetingsByTheHour) {
    EXPECT_EQ(CharacterSetup::greeting(11), "good morning, ");
    EXPECT_EQ(CharacterSetup::greeting(12), "good afternoon, ");
    EXPECT_EQ(CharacterSetup::greeting(16), "good afternoon, ");
    EXPECT_EQ(CharacterSetup::greeting(17), "good evening, ");
}

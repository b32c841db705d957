// say and alarmclock: the order of requests a character gets, the gesture cycle shared by both characters,
// and hiding after speaking (whispering in quiet hours is in the console test's day).
#include <gtest/gtest.h>

#include "src/characters/alarm_voice.h"
#include "src/characters/speaker.h"
#include "tests/support/fakes.h"

using horalia::characters::Cast;
using horalia::characters::Speaker;
using horalia::core::Who;
using namespace testsupport;

namespace {

class SpeakerTest : public ::testing::Test {
protected:
    SpeakerTest() : fake(at(10, 0)) {
        agent1 = fake.engines.create("Agent1");
        agent2 = fake.engines.create("Agent2");
        EXPECT_TRUE(agent1->load("max", "max.acs"));
        EXPECT_TRUE(agent2->load("plany", "plany.acs"));
        cast[Who::First] = {agent1.get(), agent1->item("max"), "max"};
        cast[Who::Second] = {agent2.get(), agent2->item("plany"), "plany"};
        fake.engines.sink.lines.clear();
    }
    QStringList lines() const { return fake.engines.sink.lines; }

    FakePlatform fake;
    std::unique_ptr<agent::Control> agent1;
    std::unique_ptr<agent::Control> agent2;
    Cast cast;
    Speaker speaker{fake.settings, fake.clock, fake.fullScreen, cast};
};

}  // namespace

TEST_F(SpeakerTest, TenCallsPlayTheNineGesturesAndStartAgain) {
    QStringList played;
    for (int i = 0; i < 10; ++i) {
        fake.engines.sink.lines.clear();
        speaker.say("x", i % 2 == 0 ? "genie" : "peedy");
        played << lines().last();
    }
    EXPECT_EQ(played, (QStringList{R"(Agent1 Play "Congratulate")", R"(Agent2 Play "Confused")",
                                   R"(Agent1 Play "Decline")", R"(Agent2 Play "DoMagic1")",
                                   R"(Agent1 Play "Explain")", R"(Agent2 Play "Greet")",
                                   R"(Agent1 Play "LookDown")", R"(Agent2 Play "Pleased")",
                                   R"(Agent1 Play "Read")", R"(Agent2 Play "Congratulate")"}));
}

TEST_F(SpeakerTest, ACharacterThatFailedToLoadStaysSilentButTheCycleMovesOn) {
    cast[Who::Second].character = nullptr;
    speaker.say("x", "peedy");
    EXPECT_TRUE(lines().isEmpty());
    speaker.say("x", "genie");
    EXPECT_EQ(lines().last(), R"(Agent1 Play "Confused")");
}

TEST_F(SpeakerTest, HidesAfterSpeakingOnlyTheCharacterWhoseKeyIsExactlyTrue) {
    fake.settings.set("charhide", "True");
    fake.settings.set("charhide2", "true");
    speaker.say("one", "genie");
    speaker.say("two", "peedy");
    EXPECT_EQ(fake.engines.sink.linesOf("Agent1").last(), "Agent1 Hide");
    EXPECT_FALSE(fake.engines.sink.linesOf("Agent2").contains("Agent2 Hide"));
}

TEST_F(SpeakerTest, AlarmOneIsCharacterOnesAndEndsPleasedAlarmTwoIsCharacterTwosWithItsOwnMessage) {
    // Alarm 1's own lines, with its default message, are in the full-screen test below.
    fake.settings.set("AlarmMessage", "one");
    fake.settings.set("AlarmMessage2", "Wake up, this is alarm 2!");
    horalia::characters::alarmclock(horalia::core::alarm(2), cast, fake.settings, speaker);
    EXPECT_TRUE(fake.engines.sink.linesOf("Agent1").isEmpty());
    EXPECT_TRUE(lines().contains(R"(Agent2 Speak "Wake up, this is alarm 2!")"));
    EXPECT_FALSE(lines().last().contains("pleased"));
}

TEST_F(SpeakerTest, WhileAnotherProgramIsFullScreenOnlyAnAlarmShows) {
    fake.fullScreen.on = true;
    speaker.fullScreenChanged();
    speaker.say("heard", "genie");
    horalia::characters::alarmclock(horalia::core::alarm(1), cast, fake.settings, speaker);
    fake.fullScreen.on = false;
    speaker.fullScreenChanged();
    speaker.say("seen", "peedy");
    const QString alarm = "This is the alarm, you have not altered the alarm yet, please do it now!";
    EXPECT_EQ(lines(), (QStringList{
                           // both keep off the screen, and are heard
                           "Agent1 Withdrawn true",
                           "Agent2 Withdrawn true",
                           "Agent1 Stop",
                           R"(Agent1 Speak " ")",
                           "Agent1 Show",
                           R"(Agent1 Speak "heard")",
                           R"(Agent1 Play "Congratulate")",
                           // an alarm shows all the same
                           "Agent1 Stop",
                           "Agent1 Stop",
                           R"(Agent1 Speak " ")",
                           "Agent1 Withdrawn false",
                           "Agent1 Show",
                           QString(R"(Agent1 Speak "%1")").arg(alarm),
                           R"(Agent1 Play "Confused")",
                           R"(Agent1 Play "pleased")",
                           // and once the full-screen window has gone, all is as before
                           "Agent2 Withdrawn false",
                           "Agent2 Stop",
                           R"(Agent2 Speak " ")",
                           "Agent2 Show",
                           R"(Agent2 Speak "seen")",
                           R"(Agent2 Play "Decline")",
                       }));
}

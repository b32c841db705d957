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

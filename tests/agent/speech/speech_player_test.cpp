// Playback pacing: events follow the sound while there is one, the clock when there is none or it breaks off,
// and Stop cuts everything at once.
#include <gtest/gtest.h>

#include "agent/speech/speech_player.h"
#include "tests/support/speech_fakes.h"

namespace agent::speech {
namespace {

using fakes::ManualClock;
using fakes::ManualOutput;

// One second of sound at 1000 samples a second, so sample counts read as milliseconds.
std::shared_ptr<const Utterance> oneSecond() {
    auto u = std::make_shared<Utterance>();
    u->sampleRate = 1000;
    u->samples.assign(1000, 0);
    u->shownText = "The time is";
    u->words = {{0, 0, 3, 3}, {400, 4, 4, 8}, {700, 9, 2, 11}};
    u->mouths = {{0, MouthShape::Closed},   {10, MouthShape::Wide1},   {400, MouthShape::Wide4},
                 {600, MouthShape::Closed}, {650, MouthShape::Narrow}, {990, MouthShape::Closed}};
    u->bookmarks = {{500, 7}};
    return u;
}

class PlayerTest : public ::testing::Test {
protected:
    ManualClock clock;
    ManualOutput output;
    QObject context;
    SpeechPlayer player{output, clock};
    QStringList* log = fakes::record(&player, &context);

    void advanceClock(qint64 ms) {
        clock.now += ms;
        player.update();
    }
};

TEST_F(PlayerTest, WithoutSoundTheClockPacesEveryEvent) {
    output.available = false;
    player.play(oneSecond());
    EXPECT_TRUE(player.isSilent());
    EXPECT_EQ(*log, QStringList({"w0:3"}));

    advanceClock(399);
    EXPECT_EQ(*log, QStringList({"w0:3", "m:wide1"}));
    advanceClock(1);
    EXPECT_EQ(*log, QStringList({"w0:3", "m:wide1", "w1:8", "m:wide4"}));
    advanceClock(599);
    EXPECT_EQ(*log, QStringList({"w0:3", "m:wide1", "w1:8", "m:wide4", "b:7", "m:closed", "m:narrow", "w2:11",
                                 "m:closed"}));
    EXPECT_TRUE(player.isPlaying()) << "the last millisecond of sound is still to come";
    advanceClock(1);
    EXPECT_EQ(log->last(), "end");
    EXPECT_FALSE(player.isPlaying());
    advanceClock(1000);
    EXPECT_EQ(log->size(), 10) << "nothing after the end";
}

TEST_F(PlayerTest, WithSoundThePlayedPositionPacesTheEvents) {
    player.play(oneSecond());
    EXPECT_FALSE(player.isSilent());
    EXPECT_EQ(output.starts, 1);
    EXPECT_EQ(output.lastSampleCount, 1000u);

    advanceClock(5000);
    EXPECT_EQ(*log, QStringList({"w0:3"})) << "the device has not played anything yet";
    output.played = 450;
    player.update();
    EXPECT_EQ(*log, QStringList({"w0:3", "m:wide1", "w1:8", "m:wide4"}));
    output.isDrained = true;
    player.update();
    EXPECT_EQ(log->mid(4), QStringList({"b:7", "m:closed", "m:narrow", "w2:11", "m:closed", "end"}));
}

// Sound that breaks off underway goes on silently from there; Stop cuts it off at once and closes the mouth.
TEST_F(PlayerTest, SoundBreakingOffContinuesSilentlyAndStopCutsOffAtOnce) {
    player.play(oneSecond());
    output.played = 450;
    player.update();
    output.played.reset();  // the sound server went away
    advanceClock(0);
    EXPECT_TRUE(player.isSilent());
    advanceClock(100);
    EXPECT_EQ(log->last(), "b:7");
    const int stopsBefore = output.stops;
    player.stop();
    EXPECT_EQ(output.stops, stopsBefore + 1);
    EXPECT_EQ(log->mid(5), QStringList({"m:closed", "stopped"}));
    EXPECT_FALSE(player.isPlaying());
    advanceClock(2000);
    player.stop();
    EXPECT_EQ(log->size(), 7) << "nothing after the stop, and stopping twice reports once";
}

// Playing again cuts off what plays; so may a handler of one of its events. Nothing to say ends at once.
TEST_F(PlayerTest, PlayingAgainOrStoppingInAHandlerCutsOffTheCurrentUtterance) {
    output.available = false;
    player.play(oneSecond());
    advanceClock(450);
    log->clear();
    player.play(oneSecond());
    EXPECT_EQ(*log, QStringList({"m:closed", "stopped", "w0:3"}));
    QObject::connect(&player, &SpeechPlayer::wordReached, &context, [this](int index, int) {
        if (index == 1) {
            player.stop();
        }
    });
    advanceClock(999);
    EXPECT_EQ(log->mid(3), QStringList({"m:wide1", "w1:8", "m:closed", "stopped"}));

    log->clear();
    auto empty = std::make_shared<Utterance>();
    empty->mouths = {{0, MouthShape::Closed}};
    player.play(empty);
    EXPECT_EQ(*log, QStringList({"end"}));
    player.play(nullptr);
    EXPECT_EQ(*log, QStringList({"end"}));
}

}  // namespace
}  // namespace agent::speech

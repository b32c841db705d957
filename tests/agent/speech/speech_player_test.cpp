// Playback pacing: a sound that breaks off goes on silently on the clock, and Stop cuts everything at once.
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

}  // namespace
}  // namespace agent::speech

// Playback pacing: a sound that breaks off goes on silently on the clock, and Stop cuts everything at once.
// Then a character's voice end to end on the real synthesizer: statements in order, \Lst\ and Stop.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTest>

#include "agent/speech/speaker.h"
#include "agent/speech/speech_player.h"
#include "tests/support/speech_fakes.h"

namespace agent::speech {
namespace {

// Sound that breaks off underway goes on silently from there; Stop cuts it off at once and closes the mouth.
TEST(PlayerTest, SoundBreakingOffContinuesSilentlyAndStopCutsOffAtOnce) {
    fakes::ManualClock clock;
    fakes::ManualOutput output;
    QObject context;
    SpeechPlayer player{output, clock};
    QStringList* log = fakes::record(&player, &context);
    // One second of sound at 1000 samples a second, so sample counts read as milliseconds.
    auto u = std::make_shared<Utterance>();
    u->sampleRate = 1000;
    u->samples.assign(1000, 0);
    u->shownText = "The time is";
    u->words = {{0, 0, 3, 3}, {400, 4, 4, 8}, {700, 9, 2, 11}};
    u->mouths = {{0, MouthShape::Closed},   {10, MouthShape::Wide1},   {400, MouthShape::Wide4},
                 {600, MouthShape::Closed}, {650, MouthShape::Narrow}, {990, MouthShape::Closed}};
    u->bookmarks = {{500, 7}};
    const auto advanceClock = [&](qint64 ms) {
        clock.now += ms;
        player.update();
    };

    player.play(u);
    output.played = 450;
    player.update();
    output.played.reset();  // the sound server went away
    advanceClock(0);
    EXPECT_TRUE(player.isSilent());
    advanceClock(100);
    EXPECT_EQ(log->last(), "b:7");
    const int stopsBefore = output.stops;
    player.stop();
    EXPECT_EQ(std::tuple(output.stops, log->mid(5), player.isPlaying()),
              std::tuple(stopsBefore + 1, QStringList({"m:closed", "stopped"}), false));
    advanceClock(2000);
    player.stop();
    EXPECT_EQ(log->size(), 7) << "nothing after the stop, and stopping twice reports once";
}

// Statements play one after another in order; \Lst\ repeats this character's last statement; Stop drops what
// is queued and cuts what plays.
TEST(SpeakerTest, StatementsPlayInOrderLstRepeatsAndStopDropsTheQueue) {
    fakes::ManualClock clock;
    fakes::ManualOutput output;
    SpeechThread thread;
    Speaker speaker{thread, output, clock};
    output.available = false;
    QStringList started;
    QObject::connect(&speaker, &Speaker::started, &speaker, [&](const QString& text) { started << text; });
    // Synthesis runs on its own thread; its result arrives through the event loop.
    const auto waitForStart = [&](qsizetype count) {
        return QTest::qWaitFor([&] { return started.size() >= count; }, 10000);
    };
    const auto runOut = [&] {
        clock.now += 60000;
        speaker.player().update();
    };

    QStringList* log = fakes::record(&speaker, &speaker);
    speaker.speak(R"(\Chr="Whisper"\It is \Map="ten"="10:00"\)");
    speaker.speak(R"(\Lst\)");
    ASSERT_TRUE(waitForStart(1));
    EXPECT_EQ(started, QStringList({"It is 10:00"}));
    EXPECT_FALSE(speaker.isIdle());
    runOut();
    ASSERT_TRUE(waitForStart(2));
    EXPECT_EQ(started.last(), "It is 10:00");
    runOut();
    EXPECT_TRUE(speaker.isIdle());
    EXPECT_EQ(std::tuple(log->count("end"), log->filter(QRegularExpression("^w\\d")).size(), log->last()),
              std::tuple(2, 3 + 3, QString("end")));

    speaker.speak("one two three four five six");
    speaker.speak("never heard");
    ASSERT_TRUE(waitForStart(3));
    speaker.stop();
    EXPECT_EQ(std::pair(speaker.isIdle(), log->last()), std::pair(true, QString("stopped")));
    // Give a late result every chance to arrive: it must be dropped.
    speaker.speak("after the stop");
    ASSERT_TRUE(waitForStart(4));
    EXPECT_EQ(started.mid(2), QStringList({"one two three four five six", "after the stop"}));
}

}  // namespace
}  // namespace agent::speech

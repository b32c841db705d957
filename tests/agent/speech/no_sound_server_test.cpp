// With no sound server the output refuses to start and speech runs silently on the clock. A program of its
// own: Qt Multimedia looks for the server once, when first used.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "agent/speech/audio_output.h"
#include "agent/speech/speech_player.h"
#include "tests/support/speech_fakes.h"

namespace agent::speech {
namespace {

TEST(NoSoundServer, OutputRefusesAndThePlayerRunsSilently) {
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    qputenv("PULSE_SERVER", ("unix:" + runtime.filePath("no-such-socket")).toUtf8());

    auto utterance = std::make_shared<Utterance>();
    utterance->samples.assign(22050, 0);
    utterance->words = {{0, 0, 2, 2}, {500, 3, 2, 5}};
    utterance->mouths = {{0, MouthShape::Closed}};

    SinkOutput output;
    EXPECT_FALSE(output.start(std::make_shared<std::vector<std::int16_t>>(utterance->samples), 22050));
    EXPECT_FALSE(output.playedMs().has_value());

    fakes::ManualClock clock;
    SpeechPlayer player(output, clock);
    QObject context;
    QStringList* log = fakes::record(&player, &context);
    player.play(utterance);
    EXPECT_TRUE(player.isSilent());
    clock.now += 500;
    player.update();
    EXPECT_EQ(*log, QStringList({"w0:2", "w1:5"}));
    clock.now += 500;
    player.update();
    EXPECT_EQ(log->last(), "end");
}

}  // namespace
}  // namespace agent::speech

#include "agent/render/sound_effects.h"
#include "agent/format/acs_writer.h"
#include "tests/agent/format/sample_character.h"
#include "tests/agent/render/wave_test_bytes.h"
#include "tests/support/speech_fakes.h"

#include <gtest/gtest.h>

using agent::format::AcsFile;
using agent::render::SoundEffects;
using agent::speech::fakes::ManualOutput;

namespace {

class SoundEffectsTest : public ::testing::Test {
protected:
    void SetUp() override {
        using namespace soundtest;
        agent::format::CharacterData c = formattest::sampleCharacter();
        c.sounds = {{wave(1, 11025, 8, QByteArray(110, '\x80')), 1},
                    {wave(2, 22050, 16, u16({100, 300, -100, -300})), 2},
                    {QByteArray("RIFF\x04\0\0\0WAVE", 12), 3}};
        const agent::Result<QByteArray> written = agent::format::writeCharacter(c, {});
        ASSERT_TRUE(written) << written.error().toStdString();
        bytes = *written;
        const agent::Status loaded = file.loadData(bytes);
        ASSERT_TRUE(loaded) << loaded.error().toStdString();
    }

    QByteArray bytes;
    AcsFile file;
    ManualOutput output;
    SoundEffects effects{output};
};

TEST_F(SoundEffectsTest, BadSoundsDisabledEffectsOrNoOutputStaySilent) {
    ASSERT_TRUE(effects.play(file, 0));
    // Bad sounds are refused and the current one goes on.
    for (int index : {-1, 3, 0xFFFF}) {
        EXPECT_TRUE(effects.play(file, index).error().contains(QStringLiteral("does not exist"))) << index;
    }
    EXPECT_TRUE(effects.play(file, 2).error().startsWith(QStringLiteral("sound 2:")));
    EXPECT_EQ(output.starts, 1);
    EXPECT_EQ(output.stops, 0);
    effects.setEnabled(false);
    EXPECT_EQ(output.stops, 1);
    EXPECT_FALSE(effects.play(file, 1));
    EXPECT_EQ(output.starts, 1);
    effects.setEnabled(true);
    EXPECT_TRUE(effects.play(file, 1));

    // No output is a failure, not a crash.
    effects.stop();
    output.stops = 0;
    output.available = false;
    EXPECT_EQ(effects.play(file, 0).error(), QStringLiteral("no sound output"));
    effects.stop();
    EXPECT_EQ(output.stops, 0);

    agent::speech::SilentOutput silent;
    EXPECT_FALSE(SoundEffects(silent).play(file, 0));
}

}  // namespace

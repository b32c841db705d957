#include "agent/render/wave_sound.h"
#include "agent/format/acs_file.h"
#include "tests/agent/render/wave_test_bytes.h"
#include "tests/support/test_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using agent::render::decodeWave;
using namespace soundtest;
using Samples = std::vector<std::int16_t>;

namespace {

Samples decoded(const QByteArray& bytes) {
    const auto sound = decodeWave(bytes);
    EXPECT_TRUE(sound) << sound.error().toStdString();
    return sound ? sound->samples : Samples{};
}

// WAVE_FORMAT_EXTENSIBLE: the real format is the first two bytes of the sub-format GUID.
QByteArray extensible(int subFormat) {
    return formatBody(0xFFFE, 1, 8000, 16) + u16({22, 16}) + u32(4) + u16({subFormat}) +
           QByteArray(14, '\x11');
}

TEST(WaveSound, WalksPastOtherChunksAndTheirPadding) {
    // An odd-sized chunk is followed by a pad byte that belongs to no chunk.
    const QByteArray list = chunk("LIST", QByteArray("INFOabc", 7));
    ASSERT_EQ(list.size(), 16);
    EXPECT_EQ(decoded(riff(chunk("fmt ", formatBody(1, 1, 8000, 16)) + list + chunk("fact", u32(1)) +
                           chunk("data", u16({7, -7})))),
              (Samples{7, -7}));
    // An 18-byte format chunk (with its extension size) and a data chunk of odd length, its last byte dropped
    // with the partial frame; the file ends without the pad byte.
    const QByteArray format = formatBody(1, 1, 8000, 16) + u16({0});
    EXPECT_EQ(decoded(riff(chunk("fmt ", format) + chunk("data", u16({300}) + "\x01", false))),
              (Samples{300}));
    EXPECT_EQ(decoded(riff(chunk("fmt ", extensible(1)) + chunk("data", u16({9})))), (Samples{9}));
}

TEST(WaveSound, DecodesMicrosoftAdpcmBlockByBlock) {
    // Hand-worked from the format's description. Predictor 0 repeats the last sample; predictor 1 extends
    // the line through the last two. Each block starts with its two stored samples, the earlier one first.
    const QByteArray mono = adpcmBlock({{0, 16, 100, 50}}, QByteArray("\x01\xF0", 2)) +
                            adpcmBlock({{1, 16, 100, 50}}, QByteArray(2, 0));
    EXPECT_EQ(decoded(riff(chunk("fmt ", adpcmFormatBody(1, 9)) + chunk("data", mono))),
              (Samples{50, 100, 100, 116, 100, 100, 50, 100, 150, 200, 250, 300}));

    // Large steps grow the step size (614/256 after a 7); a short last block gives what it holds. Without
    // coefficients in the format chunk the standard ones apply.
    const QByteArray growing = adpcmBlock({{0, 100, 0, 0}}, "\x77");
    EXPECT_EQ(decoded(riff(chunk("fmt ", adpcmFormatBody(1, 9, {})) + chunk("data", growing))),
              (Samples{0, 0, 700, 2373}));

    // Stereo: nibbles alternate left and right; the channels are averaged.
    const QByteArray stereo = adpcmBlock({{0, 16, 100, 50}, {1, 16, 300, 100}}, QByteArray(1, 0));
    EXPECT_EQ(decoded(riff(chunk("fmt ", adpcmFormatBody(2, 15)) + chunk("data", stereo))),
              (Samples{75, 200, 300}));
}

TEST(WaveSound, RefusesWhatItCannotPlayWithAReason) {
    const QByteArray pcm = u16({1, 2, 3, 4});
    const QByteArray good = wave(1, 8000, 16, pcm);
    const QByteArray fmt = chunk("fmt ", formatBody(1, 1, 8000, 16));
    const auto adpcm = [](int channels, int blockAlign, const QByteArray& data) {
        return riff(chunk("fmt ", adpcmFormatBody(channels, blockAlign)) + chunk("data", data));
    };
    const struct {
        const char* name;
        QByteArray bytes;
        const char* reason;  // a word the error must contain
    } cases[] = {
        {"not RIFF", "RIFX" + good.mid(4), "RIFF"},
        {"not WAVE", good.left(8) + "AVI " + good.mid(12), "RIFF"},
        {"chunk size past the end", riff(fmt) + "data" + u32(0xFFFFFFF0u) + pcm, "remain"},
        {"format chunk too short",
         riff(chunk("fmt ", formatBody(1, 1, 8000, 16).left(14)) + chunk("data", pcm)), "short"},
        {"no data chunk", riff(fmt), "data"},
        {"data before format", riff(chunk("data", pcm) + fmt), "format"},
        {"IEEE float", riff(chunk("fmt ", formatBody(3, 1, 8000, 32)) + chunk("data", pcm)), "PCM"},
        {"ADPCM predictor past the table", adpcm(1, 9, adpcmBlock({{7, 16, 0, 0}}, u16({0}))), "predictor"},
        {"ADPCM block smaller than its header", adpcm(1, 7, adpcmBlock({{0, 16, 0, 0}}, {})), "blocks"},
        {"ADPCM with three channels", adpcm(3, 30, QByteArray(30, 0)), "blocks"},
        {"ADPCM coefficients past the chunk",
         riff(chunk("fmt ", adpcmFormatBody(1, 9).left(24)) + chunk("data", QByteArray(9, 0))),
         "coefficients"},
        {"ADPCM without a whole header", adpcm(1, 9, QByteArray(6, 0)), "no samples"},
        {"zero channels", wave(0, 8000, 16, pcm), "channels"},
        {"nine channels", wave(9, 8000, 16, pcm), "channels"},
        {"zero rate", wave(1, 0, 16, pcm), "rate"},
        {"rate too high", wave(1, 1000000, 16, pcm), "rate"},
        {"24-bit", wave(1, 8000, 24, QByteArray(6, '\1')), "bits"},
        {"less than a frame", wave(2, 8000, 16, QByteArray(3, '\1')), "no samples"},
    };
    for (const auto& c : cases) {
        const QString error = decodeWave(c.bytes).error();
        EXPECT_TRUE(error.contains(QLatin1String(c.reason), Qt::CaseInsensitive))
            << c.name << ": " << error.toStdString();
    }
}

TEST(WaveSound, GenuineCharactersSoundsDecode) {
    const QString dir = testsupport::acsTestDataDir();
    if (dir.isEmpty()) {
        GTEST_SKIP() << "no genuine character files";
    }
    int checked = 0;
    for (const char* name : {"Genie.acs", "Merlin.acs", "spaceman.acs"}) {
        agent::format::AcsFile file;
        const agent::Status loaded = file.load(dir + u'/' + QLatin1String(name));
        ASSERT_TRUE(loaded) << loaded.error().toStdString();
        ASSERT_FALSE(file.sounds().isEmpty()) << name;
        for (int i = 0; i < file.sounds().size(); ++i, ++checked) {
            SCOPED_TRACE(testing::Message() << name << " sound " << i);
            const auto sound = decodeWave(file.sound(i));
            ASSERT_TRUE(sound) << sound.error().toStdString();
            EXPECT_GE(sound->sampleRate, 8000);
            // Frame sounds are short effects, and none is silent.
            EXPECT_GT(sound->durationMs(), 0);
            EXPECT_LT(sound->durationMs(), 60000);
            EXPECT_TRUE(
                std::any_of(sound->samples.begin(), sound->samples.end(), [](auto v) { return v != 0; }));
        }
    }
    EXPECT_GT(checked, 2);
}

}  // namespace

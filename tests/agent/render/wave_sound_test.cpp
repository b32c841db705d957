#include "agent/render/wave_sound.h"
#include "agent/format/acs_file.h"
#include "tests/agent/render/wave_test_bytes.h"
#include "tests/support/test_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using agent::render::decodeWave;
using namespace soundtest;

namespace {

std::vector<std::int16_t> decoded(const QByteArray& bytes) {
    QString error;
    const auto sound = decodeWave(bytes, &error);
    EXPECT_TRUE(sound.has_value()) << error.toStdString();
    return sound ? sound->samples : std::vector<std::int16_t>{};
}

TEST(WaveSound, DecodesPcmOfEachWidthAndChannelCountToMono) {
    const QByteArray unsigned8("\x00\x80\xFF\x40", 4);
    EXPECT_EQ(decoded(wave(1, 11025, 8, unsigned8)), (std::vector<std::int16_t>{-32768, 0, 32512, -16384}));
    EXPECT_EQ(decoded(wave(1, 22050, 16, samples16({-32768, 32767, 5, -5}))),
              (std::vector<std::int16_t>{-32768, 32767, 5, -5}));
    // Stereo frames are averaged: left and right of each frame.
    EXPECT_EQ(decoded(wave(2, 44100, 16, samples16({1000, 3000, -32768, -32768, 32767, -32767}))),
              (std::vector<std::int16_t>{2000, -32768, 0}));
    const QByteArray stereo8("\xFF\x00\x90\x90", 4);
    EXPECT_EQ(decoded(wave(2, 8000, 8, stereo8)), (std::vector<std::int16_t>{-128, 4096}));

    const auto sound = decodeWave(wave(1, 11025, 8, QByteArray(11025, '\x80')));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->sampleRate, 11025);
    EXPECT_EQ(sound->durationMs(), 1000);
}

TEST(WaveSound, WalksPastOtherChunksAndTheirPadding) {
    // An odd-sized chunk is followed by a pad byte that belongs to no chunk.
    const QByteArray list = chunk("LIST", QByteArray("INFOabc", 7));
    ASSERT_EQ(list.size(), 16);
    const QByteArray bytes = riff(chunk("fmt ", formatBody(1, 1, 8000, 16)) + list +
                                  chunk("fact", "\1\0\0\0") + chunk("data", samples16({7, -7})));
    EXPECT_EQ(decoded(bytes), (std::vector<std::int16_t>{7, -7}));

    // An 18-byte format chunk (with its extension size) and a data chunk of odd length, its last byte dropped
    // with the partial frame; the file ends without the pad byte.
    QByteArray format = formatBody(1, 1, 8000, 16);
    putU16(format, 0);
    const QByteArray ragged = riff(chunk("fmt ", format) + chunk("data", samples16({300}) + "\x01", false));
    EXPECT_EQ(decoded(ragged), (std::vector<std::int16_t>{300}));

    // WAVE_FORMAT_EXTENSIBLE with PCM as its sub-format.
    QByteArray extensible = formatBody(0xFFFE, 1, 8000, 16);
    putU16(extensible, 22);
    putU16(extensible, 16);
    putU32(extensible, 4);
    putU16(extensible, 1);
    extensible += QByteArray(14, '\x11');
    EXPECT_EQ(decoded(riff(chunk("fmt ", extensible) + chunk("data", samples16({9})))),
              (std::vector<std::int16_t>{9}));
}

TEST(WaveSound, DecodesMicrosoftAdpcmBlockByBlock) {
    // Hand-worked from the format's description. Predictor 0 repeats the last sample; predictor 1 extends
    // the line through the last two. Each block starts with its two stored samples, the earlier one first.
    const QByteArray mono = adpcmBlock({{0, 16, 100, 50}}, QByteArray("\x01\xF0", 2)) +
                            adpcmBlock({{1, 16, 100, 50}}, QByteArray(2, 0));
    EXPECT_EQ(decoded(riff(chunk("fmt ", adpcmFormatBody(1, 9)) + chunk("data", mono))),
              (std::vector<std::int16_t>{50, 100, 100, 116, 100, 100, 50, 100, 150, 200, 250, 300}));

    // Large steps grow the step size (614/256 after a 7); a short last block gives what it holds. Without
    // coefficients in the format chunk the standard ones apply.
    QByteArray plain = adpcmFormatBody(1, 9, {});
    const QByteArray growing = adpcmBlock({{0, 100, 0, 0}}, "\x77");
    EXPECT_EQ(decoded(riff(chunk("fmt ", plain) + chunk("data", growing))),
              (std::vector<std::int16_t>{0, 0, 700, 2373}));

    // Stereo: nibbles alternate left and right; the channels are averaged.
    const QByteArray stereo = adpcmBlock({{0, 16, 100, 50}, {1, 16, 300, 100}}, QByteArray(1, 0));
    EXPECT_EQ(decoded(riff(chunk("fmt ", adpcmFormatBody(2, 15)) + chunk("data", stereo))),
              (std::vector<std::int16_t>{75, 200, 300}));
}

TEST(WaveSound, RefusesWhatItCannotPlayWithAReason) {
    const QByteArray pcm = samples16({1, 2, 3, 4});
    const QByteArray good = wave(1, 8000, 16, pcm);
    QByteArray truncatedData = good;
    truncatedData.chop(3);
    QByteArray shortFormatBody = formatBody(1, 1, 8000, 16);
    shortFormatBody.chop(2);
    QByteArray extensibleFloat = formatBody(0xFFFE, 1, 8000, 16);
    putU16(extensibleFloat, 22);
    putU16(extensibleFloat, 16);
    putU32(extensibleFloat, 4);
    putU16(extensibleFloat, 3);
    extensibleFloat += QByteArray(14, '\x11');
    QByteArray hugeChunk = riff(chunk("fmt ", formatBody(1, 1, 8000, 16)));
    hugeChunk += "data";
    putU32(hugeChunk, 0xFFFFFFF0u);
    hugeChunk += pcm;

    const struct {
        const char* name;
        QByteArray bytes;
        const char* reason;  // a word the error must contain
    } cases[] = {
        {"empty", QByteArray(), "RIFF"},
        {"not RIFF", QByteArray("RIFX") + good.mid(4), "RIFF"},
        {"not WAVE", good.left(8) + "AVI " + good.mid(12), "RIFF"},
        {"header only", good.left(12), "format"},
        {"truncated data chunk", truncatedData, "remain"},
        {"chunk size past the end", hugeChunk, "remain"},
        {"truncated format chunk", good.left(30), "remain"},
        {"format chunk too short", riff(chunk("fmt ", shortFormatBody) + chunk("data", pcm)), "short"},
        {"no data chunk", riff(chunk("fmt ", formatBody(1, 1, 8000, 16))), "data"},
        {"data before format", riff(chunk("data", pcm) + chunk("fmt ", formatBody(1, 1, 8000, 16))),
         "format"},
        {"IMA ADPCM", riff(chunk("fmt ", formatBody(0x11, 1, 8000, 4)) + chunk("data", pcm)), "PCM"},
        {"ADPCM predictor past the table",
         riff(chunk("fmt ", adpcmFormatBody(1, 9)) + chunk("data", adpcmBlock({{7, 16, 0, 0}}, "\0\0"))),
         "predictor"},
        {"ADPCM block smaller than its header",
         riff(chunk("fmt ", adpcmFormatBody(1, 7)) + chunk("data", adpcmBlock({{0, 16, 0, 0}}, {}))),
         "blocks"},
        {"ADPCM with three channels",
         riff(chunk("fmt ", adpcmFormatBody(3, 30)) + chunk("data", QByteArray(30, 0))), "blocks"},
        {"ADPCM coefficients past the chunk",
         riff(chunk("fmt ", adpcmFormatBody(1, 9).left(24)) + chunk("data", QByteArray(9, 0))),
         "coefficients"},
        {"ADPCM without a whole header",
         riff(chunk("fmt ", adpcmFormatBody(1, 9)) + chunk("data", QByteArray(6, 0))), "no samples"},
        {"IEEE float", riff(chunk("fmt ", formatBody(3, 1, 8000, 32)) + chunk("data", pcm)), "PCM"},
        {"extensible float", riff(chunk("fmt ", extensibleFloat) + chunk("data", pcm)), "PCM"},
        {"zero channels", wave(0, 8000, 16, pcm), "channels"},
        {"nine channels", wave(9, 8000, 16, pcm), "channels"},
        {"zero rate", wave(1, 0, 16, pcm), "rate"},
        {"rate too high", wave(1, 1000000, 16, pcm), "rate"},
        {"24-bit", wave(1, 8000, 24, QByteArray(6, '\1')), "bits"},
        {"zero bits", wave(1, 8000, 0, pcm), "bits"},
        {"no samples", wave(1, 8000, 16, QByteArray()), "no samples"},
        {"less than a frame", wave(2, 8000, 16, QByteArray(3, '\1')), "no samples"},
    };
    for (const auto& c : cases) {
        QString error;
        EXPECT_FALSE(decodeWave(c.bytes, &error).has_value()) << c.name;
        EXPECT_TRUE(error.contains(QLatin1String(c.reason), Qt::CaseInsensitive))
            << c.name << ": " << error.toStdString();
    }
}

TEST(WaveSound, EveryCutOfAFileFailsCleanlyOrDecodesAPrefix) {
    const QByteArray full = wave(2, 8000, 16, samples16({1, 2, 3, 4, 5, 6, 7, 8}));
    for (qsizetype n = 0; n < full.size(); ++n) {
        QString error;
        const auto sound = decodeWave(full.left(n), &error);
        EXPECT_FALSE(sound.has_value()) << n;
        EXPECT_FALSE(error.isEmpty()) << n;
    }
}

TEST(WaveSound, GenuineCharactersSoundsDecode) {
    const QString dir = testsupport::acsTestDataDir();
    if (dir.isEmpty()) {
        GTEST_SKIP() << "no genuine character files";
    }
    int checked = 0;
    for (const char* name : {"Genie.acs", "Merlin.acs"}) {
        agent::format::AcsFile file;
        ASSERT_TRUE(file.load(dir + u'/' + QLatin1String(name))) << file.errorString().toStdString();
        ASSERT_FALSE(file.sounds().isEmpty()) << name;
        for (int i = 0; i < file.sounds().size(); ++i) {
            QString error;
            const auto sound = decodeWave(file.sound(i), &error);
            ASSERT_TRUE(sound.has_value()) << name << " sound " << i << ": " << error.toStdString();
            EXPECT_GE(sound->sampleRate, 8000) << name << " sound " << i;
            // Frame sounds are short effects.
            EXPECT_GT(sound->durationMs(), 0) << name << " sound " << i;
            EXPECT_LT(sound->durationMs(), 60000) << name << " sound " << i;
            EXPECT_TRUE(std::any_of(sound->samples.begin(), sound->samples.end(),
                                    [](std::int16_t v) { return v != 0; }))
                << name << " sound " << i << " is silent";
            ++checked;
        }
    }
    EXPECT_GT(checked, 2);
}

}  // namespace

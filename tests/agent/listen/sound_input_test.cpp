// Sound for the recognizer from elsewhere than the microphone: a tone resampled to the recognizer's rate, WAV
// files of every shape the reader meets or must refuse, and raw ones.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "agent/listen/sample_rate.h"
#include "agent/listen/sound_input.h"
#include "tests/agent/render/wave_test_bytes.h"
#include "tests/agent/speech/signal_measures.h"

namespace agent::listen {
namespace {

using speech::measure::rms;
using Samples = std::vector<std::int16_t>;

constexpr int kRecognizerRate = 16000;

Samples sine(int rate, double hz, double amplitude, std::size_t count, double phase = 0.0) {
    Samples out(count);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = static_cast<std::int16_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * double(i) / rate + phase)));
    }
    return out;
}

// The middle of a signal, away from the ends where a filter has less to work with.
std::span<const std::int16_t> middle(const Samples& s) {
    return std::span(s).subspan(s.size() / 5, s.size() * 3 / 5);
}

// The frequency of a tone from the upward zero crossings it makes.
double frequency(std::span<const std::int16_t> s, int rate) {
    int first = -1;
    int last = -1;
    int crossings = 0;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i - 1] < 0 && s[i] >= 0) {
            if (first < 0) {
                first = int(i);
            } else {
                ++crossings;
            }
            last = int(i);
        }
    }
    return crossings == 0 ? 0.0 : crossings * double(rate) / (last - first);
}

// A tone that reaches both ends of the sample range.
const Samples kShortTone = [] {
    Samples tone = sine(kRecognizerRate, 500, 7000, 1601);
    tone.insert(tone.end(), {32767, -32768});
    return tone;
}();
// A tone keeps its pitch, loudness and duration; one above the new half rate is filtered out rather than
// folded back. Any count of samples becomes as many at the new rate; equal rates change nothing.
TEST(Resample, AToneKeepsItsPitchLoudnessAndDurationOrIsFilteredOut) {
    const struct {
        int from;
        int to;
        double hz;
        bool kept;
    } cases[] = {{22050, 16000, 3000, true}, {8000, 16000, 440, true}, {48000, 16000, 9500, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.hz << " Hz, " << c.from << " to " << c.to);
        const Samples in = sine(c.from, c.hz, 10000, std::size_t(c.from));  // one second
        const Samples out = resample(in, c.from, c.to);
        EXPECT_NEAR(double(out.size()), double(c.to), 1.0) << "one second is no longer one second";
        if (c.kept) {
            EXPECT_NEAR(frequency(middle(out), c.to), c.hz, c.hz * 0.005);
            EXPECT_NEAR(rms(middle(out)) / rms(middle(in)), 1.0, 0.03);
        } else {
            EXPECT_LT(rms(middle(out)) / rms(middle(in)), 0.1) << "the tone folds back";
        }
        for (const std::size_t count : {std::size_t(1), std::size_t(12345)}) {
            EXPECT_NEAR(double(resample(Samples(count, 100), c.from, c.to).size()),
                        double(count) * c.to / c.from, 1.0);
        }
    }
    EXPECT_EQ(resample(kShortTone, 44100, 44100), kShortTone);
    EXPECT_TRUE(resample(Samples{}, 22050, 16000).empty());
}

// WAV files written in the test, chunk by chunk.
using soundtest::chunk;
using soundtest::riff;

QByteArray fmt(int channels = 1, int rate = kRecognizerRate, int format = 1, int bits = 16) {
    return chunk("fmt ", soundtest::formatBody(format, channels, std::uint32_t(rate), bits));
}

QByteArray pcm(const Samples& interleaved) {
    QByteArray b;
    for (const std::int16_t s : interleaved) {
        b += soundtest::u16({s});
    }
    return b;
}

class WavFiles : public ::testing::Test {
protected:
    QString write(const QByteArray& bytes, const char* extension = "wav") {
        const QString path = dir_.filePath(QStringLiteral("sound%1.%2").arg(++count_).arg(extension));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    Result<Samples> read(const QByteArray& bytes) {
        Result<Samples> samples = readSoundForRecognizer(write(bytes));
        EXPECT_TRUE(samples || !samples.error().isEmpty()) << "refused without a reason";
        return samples;
    }

    QTemporaryDir dir_;
    int count_ = 0;
};

const QByteArray kToneData = chunk("data", pcm(kShortTone));

// Chunks before and after the sound are skipped. Channels are averaged, not one of them taken, and two at
// full scale do not overflow. A data size larger than the file gives only the samples in the file. Other
// sample formats and rates are read too, at the recognizer's rate.
TEST_F(WavFiles, GiveTheSamplesAtTheRecognizersRate) {
    const struct {
        const char* name;
        QByteArray bytes;
        Samples expected;
    } cases[] = {
        {"ChunksAroundTheData",
         riff(fmt() + chunk("junk", "abc") + kToneData + chunk("LIST", "INFOxyz") + chunk("id3 ", "123")),
         kShortTone},
        {"OneSilentChannelHalvesTheOther",
         riff(fmt(2) + chunk("data", pcm({0, 2000, 0, -4000}))),
         {1000, -2000}},
        {"FullScaleChannels",
         riff(fmt(2) + chunk("data", pcm({32767, 32767, -32768, -32768}))),
         {32767, -32768}},
        {"DataSizeAllOnes", riff(fmt() + "data" + soundtest::u32(0xFFFFFFFF) + pcm(kShortTone)), kShortTone},
        {"EightBit", riff(fmt(1, kRecognizerRate, 1, 8) + chunk("data", QByteArray(1600, '\x80'))),
         Samples(1600, 0)},
        {"At8kHz", riff(fmt(1, 8000) + kToneData), resample(kShortTone, 8000, kRecognizerRate)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Result<Samples> samples = read(c.bytes);
        EXPECT_EQ(samples.valueOr({}), c.expected) << samples.error().toStdString();
    }
}

// PocketSphinx's own recordings are headerless: 16 kHz, 16-bit, one channel.
TEST_F(WavFiles, ARawFileIsTheRecognizersOwnFormat) {
    const Result<Samples> samples = readSoundForRecognizer(write(pcm(kShortTone), "raw"));
    ASSERT_TRUE(samples) << samples.error().toStdString();
    EXPECT_EQ(*samples, kShortTone);
}

TEST_F(WavFiles, BadFilesAreRefusedWithAReason) {
    EXPECT_TRUE(
        readSoundForRecognizer(dir_.filePath("nothing-here.wav")).error().contains("nothing-here.wav"));
    for (const QByteArray& bytes :
         {QByteArray("This is no sound at all.\n"), riff(fmt(1, kRecognizerRate, 1, 8) + chunk("data", "")),
          riff(fmt(0) + kToneData), riff(fmt(1, 0) + kToneData), riff(fmt() + chunk("LIST", "INFO"))}) {
        const Result<Samples> samples = read(bytes);
        EXPECT_FALSE(samples) << samples->size() << " samples read from " << bytes.toHex().left(80).data();
    }
}

}  // namespace
}  // namespace agent::listen

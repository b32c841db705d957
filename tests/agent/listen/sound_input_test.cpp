// Sound for the recognizer from files: WAV files of every shape the reader meets or must refuse, and raw
// ones.
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

namespace agent::listen {
namespace {

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

// A tone that reaches both ends of the sample range.
const Samples kShortTone = [] {
    Samples tone = sine(kRecognizerRate, 500, 7000, 1601);
    tone.insert(tone.end(), {32767, -32768});
    return tone;
}();
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

// Sound for the recognizer from elsewhere than the microphone: a tone resampled to the recognizer's rate, WAV
// files of every shape the reader meets or must refuse, and raw ones. Then the lists of recordings with what
// is said in each, and the tally of how they were heard.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "agent/listen/measurement.h"
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
    std::vector<std::size_t> ups;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i - 1] < 0 && s[i] >= 0) {
            ups.push_back(i);
        }
    }
    return ups.size() < 2 ? 0.0 : double(ups.size() - 1) * rate / double(ups.back() - ups.front());
}

// A tone that reaches both ends of the sample range.
const Samples kShortTone = [] {
    Samples tone = sine(kRecognizerRate, 500, 7000, 1601);
    tone.insert(tone.end(), {32767, -32768});
    return tone;
}();

// WAV files written in the test, chunk by chunk.
using namespace soundtest;

QByteArray fmt(int channels = 1, int rate = kRecognizerRate, int format = 1, int bits = 16) {
    return chunk("fmt ", soundtest::formatBody(format, channels, std::uint32_t(rate), bits));
}

QByteArray pcm(const Samples& interleaved) {
    QByteArray b(qsizetype(interleaved.size() * 2), '\0');
    qToLittleEndian<std::int16_t>(interleaved.data(), qsizetype(interleaved.size()), b.data());
    return b;
}

class WavFiles : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        QFile file(dir_.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return file.fileName();
    }
    Result<Samples> read(const QByteArray& bytes, const char* extension = "wav") {
        Result<Samples> samples = readSoundForRecognizer(write(QStringLiteral("sound.") + extension, bytes));
        EXPECT_TRUE(samples || !samples.error().isEmpty()) << "refused without a reason";
        return samples;
    }

    QTemporaryDir dir_;
};

const QByteArray kToneData = chunk("data", pcm(kShortTone));

TEST_F(WavFiles, ResampleAndGiveTheSamplesAtTheRecognizersRateOrAreRefusedAndReadExpectations) {
    // A tone keeps its pitch, loudness and duration; one above the new half rate is filtered out rather than
    // folded back. Any count of samples becomes as many at the new rate; equal rates change nothing.
    // from and to rates, the tone, and whether it is kept
    for (const auto& [from, to, hz, kept] : {std::tuple{22050, 16000, 3000.0, true},
                                             {8000, 16000, 440.0, true},
                                             {48000, 16000, 9500.0, false}}) {
        SCOPED_TRACE(testing::Message() << hz << " Hz, " << from << " to " << to);
        const Samples in = sine(from, hz, 10000, std::size_t(from));  // one second
        const Samples out = resample(in, from, to);
        EXPECT_NEAR(double(out.size()), double(to), 1.0) << "one second is no longer one second";
        if (kept) {
            EXPECT_NEAR(frequency(middle(out), to), hz, hz * 0.005);
            EXPECT_NEAR(rms(middle(out)) / rms(middle(in)), 1.0, 0.03);
        } else {
            EXPECT_LT(rms(middle(out)) / rms(middle(in)), 0.1) << "the tone folds back";
        }
        for (const std::size_t count : {std::size_t(1), std::size_t(12345)}) {
            EXPECT_NEAR(double(resample(Samples(count, 100), from, to).size()), double(count) * to / from,
                        1.0);
        }
    }
    EXPECT_EQ(resample(kShortTone, 44100, 44100), kShortTone);
    EXPECT_TRUE(resample(Samples{}, 22050, 16000).empty());

    // Chunks before and after the sound are skipped. Channels are averaged, not one of them taken, and two at
    // full scale do not overflow. A data size larger than the file gives only the samples in the file. Other
    // sample formats and rates are read too, at the recognizer's rate.
    const std::tuple<const char*, QByteArray, Samples> cases[] = {
        {"ChunksAroundTheData",
         riff(fmt() + chunk("junk", "abc") + kToneData + chunk("LIST", "INFOxyz") + chunk("id3 ", "123")),
         kShortTone},
        {"SilentChannel", riff(fmt(2) + chunk("data", pcm({0, 2000, 0, -4000}))), Samples{1000, -2000}},
        {"Full", riff(fmt(2) + chunk("data", pcm({32767, 32767, -32768, -32768}))), Samples{32767, -32768}},
        {"DataSizeAllOnes", riff(fmt() + "data" + soundtest::u32(0xFFFFFFFF) + pcm(kShortTone)), kShortTone},
        {"EightBit", riff(fmt(1, 16000, 1, 8) + chunk("data", QByteArray(1600, '\x80'))), Samples(1600, 0)},
        {"At8kHz", riff(fmt(1, 8000) + kToneData), resample(kShortTone, 8000, kRecognizerRate)}};
    for (const auto& [name, bytes, expected] : cases) {
        SCOPED_TRACE(name);
        const Result<Samples> samples = read(bytes);
        EXPECT_EQ(samples.valueOr({}), expected) << samples.error().toStdString();
    }
    // PocketSphinx's own recordings are headerless: 16 kHz, 16-bit, one channel.
    EXPECT_EQ(read(pcm(kShortTone), "raw").valueOr({}), kShortTone);

    // Bad files are refused with a reason.
    EXPECT_TRUE(
        readSoundForRecognizer(dir_.filePath("nothing-here.wav")).error().contains("nothing-here.wav"));
    for (const QByteArray& bytes :
         {QByteArray("This is no sound at all.\n"), riff(fmt(1, kRecognizerRate, 1, 8) + chunk("data", "")),
          riff(fmt(0) + kToneData), riff(fmt(1, 0) + kToneData), riff(fmt() + chunk("LIST", "INFO"))}) {
        const Result<Samples> samples = read(bytes);
        EXPECT_FALSE(samples) << samples->size() << " samples read from " << bytes.toHex().left(80).data();
    }

    // The expectations beside a list of recordings, a line each.
    const Result<QList<Expectation>> expectations = readExpectations(write(
        "set.list", "# a comment\n\nsub/one.wav\thome\n/abs/two.ogg\t-\nthree.wav\n four.wav \t Move Me \n"));
    ASSERT_TRUE(expectations) << expectations.error().toStdString();
    EXPECT_EQ(*expectations, (QList<Expectation>{{dir_.filePath("sub/one.wav"), "home"},
                                                 {"/abs/two.ogg", ""},
                                                 {dir_.filePath("three.wav"), ""},
                                                 {dir_.filePath("four.wav"), "Move Me"}}));
    EXPECT_EQ(readExpectations(write("set.list", "one.wav\thome\n\tdate\n")).error(),
              dir_.filePath("set.list") + ":2: no recording before the tab");
    EXPECT_TRUE(readExpectations(dir_.filePath("none.list")).error().startsWith(dir_.filePath("none.list")));
}

TEST(Tally, CountsEachRecordingByWhatWasExpectedAndWhatCameOfIt) {
    const std::tuple<const char*, const char*, const char*> cases[] = {{"home", "home", "understood"},
                                                                       {"home", "", "refused"},
                                                                       {"home", "date", "mistaken"},
                                                                       {"date", "date", "understood"},
                                                                       {"", "", "refused"},
                                                                       {"", "home", "accepted"},
                                                                       {"", "", "refused"},
                                                                       {"", "", "refused"}};
    Tally tally;
    for (const auto& [expected, command, verdict] : cases) {
        Recognition heard;
        heard.command = command;
        EXPECT_EQ(tally.add(expected, heard), verdict) << expected << " heard as " << command;
    }
    EXPECT_EQ(
        tally.summary(),
        "commands understood 2 of 4 (50.0 %), refused 1 of 4 (25.0 %), mistaken for another 1 of 4 (25.0 %)\n"
        "no command refused 3 of 4 (75.0 %), accepted 1 of 4 (25.0 %)");
    EXPECT_EQ(Tally().summary(), "");
}

}  // namespace
}  // namespace agent::listen

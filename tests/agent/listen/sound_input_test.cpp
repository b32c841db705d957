// Sound for the recognizer from elsewhere than the microphone: changing the sample rate, WAV files of every
// shape the reader meets or must refuse, and a phrase in our own voice.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "agent/listen/sample_rate.h"
#include "agent/listen/sound_input.h"
#include "agent/listen/speech_detector.h"
#include "agent/speech/espeak_synthesizer.h"
#include "agent/speech/speech_tag_parser.h"
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

struct ToneCase {
    int from;
    int to;
    double hz;
};

std::string describe(const ToneCase& c) {
    return std::to_string(c.hz) + " Hz, " + std::to_string(c.from) + " to " + std::to_string(c.to);
}

TEST(Resample, AToneKeepsItsPitchLoudnessAndDuration) {
    for (const ToneCase& c :
         {ToneCase{22050, 16000, 440}, ToneCase{22050, 16000, 3000}, ToneCase{44100, 16000, 440},
          ToneCase{48000, 16000, 1000}, ToneCase{11025, 16000, 440}, ToneCase{8000, 16000, 440},
          ToneCase{16000, 22050, 440}}) {
        SCOPED_TRACE(describe(c));
        const Samples in = sine(c.from, c.hz, 10000, std::size_t(c.from));  // one second
        const Samples out = resample(in, c.from, c.to);
        EXPECT_NEAR(double(out.size()), double(c.to), 1.0) << "one second is no longer one second";
        EXPECT_NEAR(frequency(middle(out), c.to), c.hz, c.hz * 0.005);
        EXPECT_NEAR(rms(middle(out)) / rms(middle(in)), 1.0, 0.03);
    }
}

TEST(Resample, TheLengthFollowsTheRatioOfTheRates) {
    const struct {
        int from;
        int to;
        std::size_t count;
    } cases[] = {{22050, 16000, 22050 * 3}, {22050, 16000, 12345}, {44100, 16000, 441},
                 {48000, 16000, 96001},     {8000, 16000, 999},    {22050, 16000, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " samples, " << c.from << " to " << c.to);
        const double expected = double(c.count) * c.to / c.from;
        EXPECT_NEAR(double(resample(Samples(c.count, 100), c.from, c.to).size()), expected, 1.0);
    }
}

TEST(Resample, AToneAboveTheNewHalfRateIsFilteredOutRatherThanFoldedBack) {
    for (const ToneCase& c : {ToneCase{22050, 16000, 10000}, ToneCase{22050, 16000, 9500},
                              ToneCase{44100, 16000, 12000}, ToneCase{48000, 16000, 15000}}) {
        SCOPED_TRACE(describe(c));
        const Samples in = sine(c.from, c.hz, 10000, std::size_t(c.from));
        const Samples out = resample(in, c.from, c.to);
        EXPECT_LT(rms(middle(out)) / rms(middle(in)), 0.1)
            << "the tone folds back as " << c.to - c.hz << " Hz";
    }
}

TEST(Resample, EqualRatesGiveTheSamplesUnchanged) {
    Samples in = sine(16000, 440, 12000, 1600);
    in.push_back(32767);
    in.push_back(-32768);
    EXPECT_EQ(resample(in, 16000, 16000), in);
    EXPECT_EQ(resample(in, 44100, 44100), in);
    EXPECT_TRUE(resample(Samples{}, 22050, 16000).empty());
}

// The filter overshoots at a full-scale edge; the overshoot is clipped, not wrapped round to the other sign.
TEST(Resample, AFullScaleSquareWaveKeepsItsSignsAtTheEdges) {
    Samples in(4000);
    for (std::size_t i = 0; i < in.size(); ++i) {
        in[i] = (i / 40) % 2 ? 32767 : -32768;
    }
    const Samples out = resample(in, 22050, 16000);
    ASSERT_FALSE(out.empty());
    for (std::size_t n = 0; n < out.size(); ++n) {
        const std::size_t k = n * 22050 / 16000;
        if (k + 1 >= in.size() || in[k] != in[k + 1]) {
            continue;  // on an edge
        }
        if (in[k] > 0) {
            ASSERT_GT(out[n], 20000) << "output sample " << n;
        } else {
            ASSERT_LT(out[n], -20000) << "output sample " << n;
        }
    }
}

// WAV files written in the test, chunk by chunk.
using soundtest::chunk;

QByteArray riff(std::initializer_list<QByteArray> chunks) {
    QByteArray all;
    for (const QByteArray& c : chunks) {
        all += c;
    }
    return soundtest::riff(all);
}

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

// A data chunk that claims another size than it has.
QByteArray dataClaiming(std::uint32_t size, const QByteArray& body) {
    return "data" + soundtest::u32(size) + body;
}

Samples interleave(const Samples& left, const Samples& right) {
    Samples out;
    for (std::size_t i = 0; i < left.size(); ++i) {
        out.push_back(left[i]);
        out.push_back(right[i]);
    }
    return out;
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

// A tone that reaches both ends of the sample range.
const Samples kShortTone = [] {
    Samples tone = sine(kRecognizerRate, 500, 7000, 1601);
    tone.insert(tone.end(), {32767, -32768});
    return tone;
}();
const QByteArray kToneData = chunk("data", pcm(kShortTone));

Samples each(const Samples& in, int (*f)(int)) {
    Samples out;
    for (const std::int16_t v : in) {
        out.push_back(std::int16_t(f(v)));
    }
    return out;
}

Samples repeated(const Samples& frame, int times) {
    Samples out;
    for (int i = 0; i < times; ++i) {
        out.insert(out.end(), frame.begin(), frame.end());
    }
    return out;
}

// WAVE_FORMAT_EXTENSIBLE with the PCM sub-format is 16-bit PCM too, as some recorders write it: 22 extra
// bytes of valid bits, the front centre speaker and the PCM GUID.
QByteArray extensiblePcmFormat() {
    return soundtest::formatBody(0xFFFE, 1, kRecognizerRate, 16) + soundtest::u16({22, 16}) +
           soundtest::u32(4) +
           QByteArray("\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71", 16);
}

// Whatever chunks come first, the sound is found. Channels are averaged, not one of them taken, and two at
// full scale do not overflow. A data size larger than the file gives only the samples in the file; an odd
// byte at the end is no sample.
TEST_F(WavFiles, GiveTheSamplesAtTheRecognizersRate) {
    const Samples kTone = sine(kRecognizerRate, 440, 8000, 1600);
    const struct {
        const char* name;
        QByteArray bytes;
        Samples expected;
    } cases[] = {
        {"FormatThenData", riff({fmt(), kToneData}), kShortTone},
        {"OddChunkBeforeData", riff({fmt(), chunk("junk", "abc"), kToneData}), kShortTone},
        {"OddChunkBeforeFormat", riff({chunk("bext", "x"), fmt(), kToneData}), kShortTone},
        {"ListChunk",
         riff({fmt(), chunk("LIST", QByteArray("INFOISFT") + QByteArray("\x0e\0\0\0", 4) + "Horalia tests\0"),
               kToneData}),
         kShortTone},
        {"ChunksAfterData", riff({fmt(), kToneData, chunk("LIST", "INFOxyz"), chunk("id3 ", "123")}),
         kShortTone},
        {"FormatWithExtraBytes",
         riff({chunk("fmt ", soundtest::formatBody(1, 1, kRecognizerRate, 16) + soundtest::u16({2, 0})),
               kToneData}),
         kShortTone},
        {"ExtensibleWithPcmInside", riff({chunk("fmt ", extensiblePcmFormat()), kToneData}), kShortTone},

        {"OppositeChannelsCancel",
         riff({fmt(2), chunk("data", pcm(interleave(kTone, each(kTone, [](int v) { return -v; }))))}),
         Samples(kTone.size(), 0)},
        {"OneSilentChannelHalvesTheOther",
         riff({fmt(2), chunk("data", pcm(interleave(Samples(kTone.size(), 0),
                                                    each(kTone, [](int v) { return v / 2 * 2; }))))}),
         each(kTone, [](int v) { return v / 2; })},
        {"FullScaleChannels",
         riff({fmt(2), chunk("data", pcm(interleave(Samples(100, 32767), Samples(100, 32767))))}),
         Samples(100, 32767)},
        {"ThreeChannels", riff({fmt(3), chunk("data", pcm(repeated({300, -600, 900}, 300)))}),
         Samples(300, 200)},

        {"DataSizeTwoBytesPastTheFile",
         riff({fmt(), dataClaiming(quint32(pcm(kShortTone).size() + 2), pcm(kShortTone))}), kShortTone},
        {"DataSizeAMillion", riff({fmt(), dataClaiming(1000000, pcm(kShortTone))}), kShortTone},
        {"DataSizeAllOnes", riff({fmt(), dataClaiming(0xFFFFFFFF, pcm(kShortTone))}), kShortTone},
        {"OddByteAtTheEnd", riff({fmt(), chunk("data", pcm({1000, -2000, 3000}) + QByteArray("\x7f"))}),
         Samples{1000, -2000, 3000}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        [&] {  // a case that fails ends itself, not the others
            const Result<Samples> samples = read(c.bytes);
            ASSERT_TRUE(samples) << samples.error().toStdString();
            EXPECT_EQ(*samples, c.expected);
        }();
    }
}

TEST_F(WavFiles, StereoAt44100IsMixedAndBroughtToTheRecognizersRate) {
    const Samples left = sine(44100, 440, 8000, 44100);
    const Result<Samples> samples = read(riff({fmt(2, 44100), chunk("data", pcm(interleave(left, left)))}));
    ASSERT_TRUE(samples) << samples.error().toStdString();
    EXPECT_NEAR(double(samples->size()), double(kRecognizerRate), 1.0);
    EXPECT_NEAR(frequency(middle(*samples), kRecognizerRate), 440.0, 2.0);
    EXPECT_NEAR(rms(middle(*samples)), 8000 / std::numbers::sqrt2, 150.0) << "the channels are not averaged";
}

// Recorders write other sample formats too; each is read as the quiet it holds, at the recognizer's rate.
TEST_F(WavFiles, OtherSampleFormatsAreRead) {
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"EightBit", riff({fmt(1, kRecognizerRate, 1, 8), chunk("data", QByteArray(1600, '\x80'))})},
        {"TwentyFourBit", riff({fmt(1, kRecognizerRate, 1, 24), chunk("data", QByteArray(4800, '\0'))})},
        {"Float", riff({fmt(1, kRecognizerRate, 3, 32), chunk("data", QByteArray(6400, '\0'))})},
        {"ALawAt8kHz", riff({fmt(1, 8000, 6, 8), chunk("data", QByteArray(800, '\xd5'))})}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Result<Samples> samples = read(c.bytes);
        ASSERT_TRUE(samples) << samples.error().toStdString();
        EXPECT_NEAR(double(samples->size()), 1600.0, 1.0);
        EXPECT_LT(rms(*samples), 64.0);
    }
}

// PocketSphinx's own recordings are headerless: 16 kHz, 16-bit, one channel.
TEST_F(WavFiles, ARawFileIsTheRecognizersOwnFormat) {
    const Result<Samples> samples = readSoundForRecognizer(write(pcm(kShortTone), "raw"));
    ASSERT_TRUE(samples) << samples.error().toStdString();
    EXPECT_EQ(*samples, kShortTone);
}

TEST_F(WavFiles, AFileThatIsNotThereIsRefused) {
    EXPECT_TRUE(
        readSoundForRecognizer(dir_.filePath("nothing-here.wav")).error().contains("nothing-here.wav"));
}

TEST_F(WavFiles, BadFilesAreRefusedWithAReason) {
    const QByteArray wholeFile = riff({fmt(), kToneData});
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"Empty", ""},
        {"Text", "This is no sound at all, only some words in a file.\n"},
        {"BigEndianRiff", QByteArray("RIFX") + wholeFile.mid(4)},
        {"RiffButNoWave", riff({fmt(), kToneData}).replace(8, 4, "AVI ")},
        {"SoundlessEightBit", riff({fmt(1, kRecognizerRate, 1, 8), chunk("data", "")})},
        {"NoChannels", riff({fmt(0, kRecognizerRate), kToneData})},
        {"NoRate", riff({fmt(1, 0), kToneData})},
        {"NoFormat", riff({kToneData})},
        {"NoData", riff({fmt(), chunk("LIST", "INFO")})},
        {"HeaderOnly", wholeFile.left(12)},
        {"CutInTheRiffHeader", wholeFile.left(10)},
        {"CutInTheFormatChunk", wholeFile.left(24)},
        {"FormatChunkTooShort",
         riff({chunk("fmt ", soundtest::formatBody(1, 1, kRecognizerRate, 16).left(12)), kToneData})},
        {"FormatSizeBeyondTheFile", wholeFile.left(20).replace(16, 4, QByteArray("\xff\xff\xff\x7f", 4))}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Result<Samples> samples = read(c.bytes);
        EXPECT_FALSE(samples) << samples->size() << " samples read";
    }
}

class OurVoice : public ::testing::Test {
protected:
    void SetUp() override {
        if (const Status has = synthesizer_.hasVoice("en-us"); !has) {
            GTEST_SKIP() << "espeak-ng data missing: " << has.error().toStdString();
        }
    }
    speech::EspeakSynthesizer synthesizer_;
};

TEST_F(OurVoice, SaysAPhraseAt16kHzWithQuietAtBothEnds) {
    const Result<Samples> samples = speakForRecognizer(synthesizer_, "what is the date", {});
    ASSERT_TRUE(samples) << samples.error().toStdString();
    ASSERT_GT(samples->size(), std::size_t(kRecognizerRate / 2)) << "shorter than half a second";

    // As long as the voice's own sound at 16 kHz, with the quiet added around it.
    const Result<speech::Utterance> spoken =
        synthesizer_.synthesize(speech::SpeechTagParser().parse("what is the date"), {});
    ASSERT_TRUE(spoken) << spoken.error().toStdString();
    const double speechSamples = double(spoken->samples.size()) * kRecognizerRate / spoken->sampleRate;
    EXPECT_GT(double(samples->size()), speechSamples);
    EXPECT_LT(double(samples->size()), speechSamples + kRecognizerRate)
        << "more than a second of quiet added";

    const std::size_t edge = kRecognizerRate / 5;
    const std::span<const std::int16_t> all(*samples);
    const double start = rms(all.first(edge));
    const double end = rms(all.last(edge));
    const double inside = rms(all.subspan(edge, all.size() - 2 * edge));
    EXPECT_GT(inside, 300.0) << "hardly any sound";
    EXPECT_LT(start, inside / 30) << "no quiet before the phrase";
    EXPECT_LT(end, inside / 30) << "no quiet after the phrase";
}

TEST_F(OurVoice, IsHeardAsOneUtteranceByTheSpeechDetector) {
    Result<Samples> samples = speakForRecognizer(synthesizer_, "what is the date", "en-us");
    ASSERT_TRUE(samples) << samples.error().toStdString();
    samples->resize(samples->size() + kRecognizerRate, 0);  // the room stays quiet a while after
    SpeechDetector detector(kRecognizerRate);
    std::vector<std::int64_t> started;
    std::vector<std::int64_t> ended;
    for (std::size_t i = 0; i < samples->size(); i += 160) {
        const auto e =
            detector.feed(std::span(*samples).subspan(i, std::min<std::size_t>(160, samples->size() - i)));
        if (e == SpeechDetector::Event::SpeechStarted) {
            started.push_back(detector.elapsedMs());
        } else if (e == SpeechDetector::Event::SpeechEnded) {
            ended.push_back(detector.elapsedMs());
        }
    }
    ASSERT_EQ(started.size(), 1u);
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_GT(started.front(), 250) << "speech heard in the quiet before the phrase";
    EXPECT_LT(started.front(), 600);
}

TEST_F(OurVoice, AnUnknownVoiceIsRefusedWithAReason) {
    EXPECT_TRUE(speakForRecognizer(synthesizer_, "what is the date", "xx-nope").error().contains("xx-nope"));
}

}  // namespace
}  // namespace agent::listen

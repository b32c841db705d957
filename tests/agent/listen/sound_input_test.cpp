// Sound for the recognizer from elsewhere than the microphone: changing the sample rate, WAV files of every
// shape the reader meets or must refuse, and a phrase in our own voice.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <optional>
#include <vector>

#include "agent/listen/sample_rate.h"
#include "agent/listen/sound_input.h"
#include "agent/listen/speech_detector.h"
#include "agent/speech/espeak_synthesizer.h"
#include "agent/speech/speech_tag_parser.h"

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

// The middle of a signal, away from the ends where a filter has less to work with.
std::span<const std::int16_t> middle(const Samples& s) {
    return std::span(s).subspan(s.size() / 5, s.size() * 3 / 5);
}

double rms(std::span<const std::int16_t> s) {
    double sum = 0;
    for (const std::int16_t v : s) {
        sum += double(v) * v;
    }
    return s.empty() ? 0.0 : std::sqrt(sum / double(s.size()));
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

void PrintTo(const ToneCase& c, std::ostream* os) {
    *os << c.hz << " Hz, " << c.from << " to " << c.to;
}

class ResampledTone : public ::testing::TestWithParam<ToneCase> {};

TEST_P(ResampledTone, KeepsItsPitchLoudnessAndDuration) {
    const ToneCase& c = GetParam();
    const Samples in = sine(c.from, c.hz, 10000, std::size_t(c.from));  // one second
    const Samples out = resample(in, c.from, c.to);
    EXPECT_NEAR(double(out.size()), double(c.to), 1.0) << "one second is no longer one second";
    EXPECT_NEAR(frequency(middle(out), c.to), c.hz, c.hz * 0.005);
    EXPECT_NEAR(rms(middle(out)) / rms(middle(in)), 1.0, 0.03);
}

INSTANTIATE_TEST_SUITE_P(Rates, ResampledTone,
                         ::testing::Values(ToneCase{22050, 16000, 440}, ToneCase{22050, 16000, 3000},
                                           ToneCase{44100, 16000, 440}, ToneCase{48000, 16000, 1000},
                                           ToneCase{11025, 16000, 440}, ToneCase{8000, 16000, 440},
                                           ToneCase{16000, 22050, 440}));

struct LengthCase {
    int from;
    int to;
    std::size_t count;
};

void PrintTo(const LengthCase& c, std::ostream* os) {
    *os << c.count << " samples, " << c.from << " to " << c.to;
}

class ResampledLength : public ::testing::TestWithParam<LengthCase> {};

TEST_P(ResampledLength, FollowsTheRatioOfTheRates) {
    const LengthCase& c = GetParam();
    const Samples in(c.count, 100);
    const double expected = double(c.count) * c.to / c.from;
    EXPECT_NEAR(double(resample(in, c.from, c.to).size()), expected, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Counts, ResampledLength,
                         ::testing::Values(LengthCase{22050, 16000, 22050 * 3},
                                           LengthCase{22050, 16000, 12345}, LengthCase{44100, 16000, 441},
                                           LengthCase{48000, 16000, 96001}, LengthCase{8000, 16000, 999},
                                           LengthCase{22050, 16000, 1}));

class ToneAboveTheNewHalfRate : public ::testing::TestWithParam<ToneCase> {};

TEST_P(ToneAboveTheNewHalfRate, IsFilteredOutRatherThanFoldedBack) {
    const ToneCase& c = GetParam();
    const Samples in = sine(c.from, c.hz, 10000, std::size_t(c.from));
    const Samples out = resample(in, c.from, c.to);
    EXPECT_LT(rms(middle(out)) / rms(middle(in)), 0.1) << "the tone folds back as " << c.to - c.hz << " Hz";
}

INSTANTIATE_TEST_SUITE_P(Rates, ToneAboveTheNewHalfRate,
                         ::testing::Values(ToneCase{22050, 16000, 10000}, ToneCase{22050, 16000, 9500},
                                           ToneCase{44100, 16000, 12000}, ToneCase{48000, 16000, 15000}));

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
struct Chunk {
    QByteArray id;
    QByteArray body;
    std::optional<quint32> declaredSize = std::nullopt;  // a size other than the body's
};

void putU16(QByteArray& out, quint16 v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void putU32(QByteArray& out, quint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

QByteArray formatBody(int format, int channels, int rate, int bits, int extra = 0) {
    QByteArray b;
    putU16(b, quint16(format));
    putU16(b, quint16(channels));
    putU32(b, quint32(rate));
    putU32(b, quint32(rate * channels * bits / 8));
    putU16(b, quint16(channels * bits / 8));
    putU16(b, quint16(bits));
    if (extra > 0) {
        putU16(b, quint16(extra));
        b.append(QByteArray(extra, '\0'));
    }
    return b;
}

Chunk fmt(int channels = 1, int rate = kRecognizerRate, int format = 1, int bits = 16) {
    return {"fmt ", formatBody(format, channels, rate, bits)};
}

QByteArray pcm(const Samples& interleaved) {
    QByteArray b;
    for (const std::int16_t s : interleaved) {
        putU16(b, quint16(s));
    }
    return b;
}

Samples interleave(const Samples& left, const Samples& right) {
    Samples out;
    for (std::size_t i = 0; i < left.size(); ++i) {
        out.push_back(left[i]);
        out.push_back(right[i]);
    }
    return out;
}

QByteArray riff(const std::vector<Chunk>& chunks, const char* form = "WAVE") {
    QByteArray body(form);
    for (const Chunk& c : chunks) {
        body.append(c.id);
        putU32(body, c.declaredSize.value_or(quint32(c.body.size())));
        body.append(c.body);
        if (c.body.size() % 2 == 1 && !c.declaredSize) {
            body.append('\0');
        }
    }
    QByteArray file("RIFF");
    putU32(file, quint32(body.size()));
    return file + body;
}

class WavFiles : public ::testing::Test {
protected:
    QString write(const QByteArray& bytes) {
        const QString path = dir_.filePath(QStringLiteral("sound%1.wav").arg(++count_));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    Result<Samples> read(const QByteArray& bytes) {
        Result<Samples> samples = readWavForRecognizer(write(bytes));
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
const Chunk kToneData{"data", pcm(kShortTone)};

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

// WAVE_FORMAT_EXTENSIBLE with the PCM sub-format is 16-bit PCM too, as some recorders write it.
QByteArray extensiblePcmFormat() {
    QByteArray body = formatBody(0xFFFE, 1, kRecognizerRate, 16, 22);
    char* extra = body.data() + 18;
    qToLittleEndian<quint16>(16, extra);     // valid bits
    qToLittleEndian<quint32>(4, extra + 2);  // front centre
    static const unsigned char kPcmGuid[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                               0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71};
    std::memcpy(extra + 6, kPcmGuid, sizeof kPcmGuid);
    return body;
}

struct ReadCase {
    const char* name;
    QByteArray bytes;
    Samples expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class WavRead : public WavFiles, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(WavRead, GivesTheSamplesAtTheRecognizersRate) {
    const Result<Samples> samples = read(GetParam().bytes);
    ASSERT_TRUE(samples) << samples.error().toStdString();
    EXPECT_EQ(*samples, GetParam().expected);
}

const Samples kTone = sine(kRecognizerRate, 440, 8000, 1600);

// Whatever chunks come first, the sound is found.
INSTANTIATE_TEST_SUITE_P(
    Chunks, WavRead,
    ::testing::Values(
        ReadCase{"FormatThenData", riff({fmt(), kToneData}), kShortTone},
        ReadCase{"OddChunkBeforeData", riff({fmt(), {"junk", "abc"}, kToneData}), kShortTone},
        ReadCase{"OddChunkBeforeFormat", riff({{"bext", "x"}, fmt(), kToneData}), kShortTone},
        ReadCase{"ListChunk",
                 riff({fmt(),
                       {"LIST", QByteArray("INFOISFT") + QByteArray("\x0e\0\0\0", 4) + "Horalia tests\0"},
                       kToneData}),
                 kShortTone},
        ReadCase{"ChunksAfterData", riff({fmt(), kToneData, {"LIST", "INFOxyz"}, {"id3 ", "123"}}),
                 kShortTone},
        ReadCase{"FormatWithExtraBytes",
                 riff({{"fmt ", formatBody(1, 1, kRecognizerRate, 16, 2)}, kToneData}), kShortTone},
        ReadCase{"EmptyChunkBeforeData", riff({fmt(), {"fact", ""}, kToneData}), kShortTone},
        ReadCase{"ExtensibleWithPcmInside", riff({{"fmt ", extensiblePcmFormat()}, kToneData}), kShortTone}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

// Channels are averaged, not one of them taken, and two at full scale do not overflow.
INSTANTIATE_TEST_SUITE_P(
    Channels, WavRead,
    ::testing::Values(
        ReadCase{"OppositeChannelsCancel",
                 riff({fmt(2), {"data", pcm(interleave(kTone, each(kTone, [](int v) { return -v; })))}}),
                 Samples(kTone.size(), 0)},
        ReadCase{"OneSilentChannelHalvesTheOther",
                 riff({fmt(2),
                       {"data", pcm(interleave(Samples(kTone.size(), 0),
                                               each(kTone, [](int v) { return v / 2 * 2; })))}}),
                 each(kTone, [](int v) { return v / 2; })},
        ReadCase{"FullScaleChannels",
                 riff({fmt(2), {"data", pcm(interleave(Samples(100, 32767), Samples(100, 32767)))}}),
                 Samples(100, 32767)},
        ReadCase{"ThreeChannels", riff({fmt(3), {"data", pcm(repeated({300, -600, 900}, 300))}}),
                 Samples(300, 200)}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

// A data size larger than the file gives only the samples in the file; an odd byte at the end is no sample.
INSTANTIATE_TEST_SUITE_P(
    Sizes, WavRead,
    ::testing::Values(
        ReadCase{"DataSizeTwoBytesPastTheFile",
                 riff({fmt(), {"data", pcm(kShortTone), quint32(pcm(kShortTone).size() + 2)}}), kShortTone},
        ReadCase{"DataSizeAMillion", riff({fmt(), {"data", pcm(kShortTone), 1000000}}), kShortTone},
        ReadCase{"DataSizeAllOnes", riff({fmt(), {"data", pcm(kShortTone), 0xFFFFFFFF}}), kShortTone},
        ReadCase{"OddByteAtTheEnd", riff({fmt(), {"data", pcm({1000, -2000, 3000}) + QByteArray("\x7f")}}),
                 Samples{1000, -2000, 3000}}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST_F(WavFiles, StereoAt44100IsMixedAndBroughtToTheRecognizersRate) {
    const Samples left = sine(44100, 440, 8000, 44100);
    const Result<Samples> samples = read(riff({fmt(2, 44100), {"data", pcm(interleave(left, left))}}));
    ASSERT_TRUE(samples) << samples.error().toStdString();
    EXPECT_NEAR(double(samples->size()), double(kRecognizerRate), 1.0);
    EXPECT_NEAR(frequency(middle(*samples), kRecognizerRate), 440.0, 2.0);
    EXPECT_NEAR(rms(middle(*samples)), 8000 / std::numbers::sqrt2, 150.0) << "the channels are not averaged";
}

TEST_F(WavFiles, AFileThatIsNotThereIsRefused) {
    EXPECT_TRUE(readWavForRecognizer(dir_.filePath("nothing-here.wav")).error().contains("nothing-here.wav"));
}

struct BadCase {
    const char* name;
    QByteArray bytes;
};

void PrintTo(const BadCase& c, std::ostream* os) {
    *os << c.name;
}

class BadWav : public WavFiles, public ::testing::WithParamInterface<BadCase> {};

TEST_P(BadWav, IsRefusedWithAReason) {
    const Result<Samples> samples = read(GetParam().bytes);
    EXPECT_FALSE(samples) << samples->size() << " samples read";
}

QByteArray wholeFile() {
    return riff({fmt(), kToneData});
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadWav,
    ::testing::Values(
        BadCase{"Empty", ""}, BadCase{"Text", "This is no sound at all, only some words in a file.\n"},
        BadCase{"BigEndianRiff", QByteArray("RIFX") + wholeFile().mid(4)},
        BadCase{"RiffButNoWave", riff({fmt(), kToneData}, "AVI ")},
        BadCase{"EightBit", riff({fmt(1, kRecognizerRate, 1, 8), {"data", QByteArray(1600, '\x80')}})},
        BadCase{"TwentyFourBit", riff({fmt(1, kRecognizerRate, 1, 24), {"data", QByteArray(4800, '\0')}})},
        BadCase{"Float", riff({fmt(1, kRecognizerRate, 3, 32), {"data", QByteArray(6400, '\0')}})},
        BadCase{"ALaw", riff({fmt(1, 8000, 6, 8), {"data", QByteArray(800, '\xd5')}})},
        BadCase{"NoChannels", riff({fmt(0, kRecognizerRate), kToneData})},
        BadCase{"NoRate", riff({fmt(1, 0), kToneData})}, BadCase{"NoFormat", riff({kToneData})},
        BadCase{"NoData", riff({fmt(), {"LIST", "INFO"}})}, BadCase{"HeaderOnly", wholeFile().left(12)},
        BadCase{"CutInTheRiffHeader", wholeFile().left(10)},
        BadCase{"CutInTheFormatChunk", wholeFile().left(24)},
        BadCase{"FormatChunkTooShort",
                riff({{"fmt ", formatBody(1, 1, kRecognizerRate, 16).left(12)}, kToneData})},
        BadCase{"FormatSizeBeyondTheFile",
                wholeFile().left(20).replace(16, 4, QByteArray("\xff\xff\xff\x7f", 4))}),
    [](const ::testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

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

// Telling speech from quiet on synthetic sound: when speech begins and ends, what is too short to be speech,
// the room's own noise, and that the count of samples fed, not how they are fed, decides. Then the same for
// whole recordings cut down to their speech.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "agent/listen/speech_detector.h"
#include "agent/listen/speech_trimmer.h"

namespace agent::listen {
namespace {

using Event = SpeechDetector::Event;
using Samples = std::vector<std::int16_t>;

// One thing that happened, and how many samples had been fed when it did.
struct Heard {
    Event event;
    std::int64_t atSample;
    bool operator==(const Heard&) const = default;
};

void PrintTo(const Heard& h, std::ostream* os) {
    static const char* const kNames[] = {"None", "SpeechStarted", "SpeechEnded"};
    *os << kNames[int(h.event)] << '@' << h.atSample;
}

// Builds a test signal piece by piece; lengths in milliseconds at the signal's rate.
class Signal {
public:
    explicit Signal(int rate) : rate_(rate) {}

    Signal& silence(int ms) {
        samples_.resize(samples_.size() + count(ms), 0);
        return *this;
    }
    Signal& noise(int ms, double rms) {
        if (rms <= 0) {
            return silence(ms);
        }
        std::normal_distribution<double> gauss(0.0, rms);
        for (std::size_t i = 0; i < count(ms); ++i) {
            push(gauss(random_));
        }
        return *this;
    }
    // A 220 Hz tone of the given RMS level, over noise of another.
    Signal& tone(int ms, double rms, double noiseRms = 0.0) {
        std::normal_distribution<double> gauss(0.0, noiseRms > 0 ? noiseRms : 1e-9);
        const double amplitude = rms * std::numbers::sqrt2;
        for (std::size_t i = 0; i < count(ms); ++i) {
            const double t = double(samples_.size()) / rate_;
            push(amplitude * std::sin(2 * std::numbers::pi * 220.0 * t) +
                 (noiseRms > 0 ? gauss(random_) : 0.0));
        }
        return *this;
    }

    const Samples& samples() const { return samples_; }
    std::int64_t at(int ms) const { return std::int64_t(ms) * rate_ / 1000; }

private:
    std::size_t count(int ms) const { return static_cast<std::size_t>(std::int64_t(ms) * rate_ / 1000); }
    void push(double v) { samples_.push_back(static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0))); }

    int rate_;
    Samples samples_;
    std::mt19937 random_{7};
};

// Feeds one sample at a time, so every event is known to the sample: the count of these samples fed when it
// happened.
std::vector<Heard> hearSampleBySample(SpeechDetector& detector, const Samples& samples) {
    std::vector<Heard> heard;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const Event e = detector.feed(std::span(samples).subspan(i, 1));
        if (e != Event::None) {
            heard.push_back({e, std::int64_t(i) + 1});
        }
    }
    return heard;
}

constexpr int kStartMs = SpeechDetector::kStartFrames * 10;
constexpr int kEndMs = SpeechDetector::kEndFrames * 10;

class DetectorAtRate : public ::testing::TestWithParam<int> {};

TEST_P(DetectorAtRate, IsInSpeechBetweenItsStartAndItsEnd) {
    const int rate = GetParam();
    Signal signal(rate);
    signal.silence(300).tone(400, 3000).silence(1000);
    const Samples& s = signal.samples();
    SpeechDetector detector(rate);
    const auto feedUpTo = [&](std::int64_t from, std::int64_t to) {
        return detector.feed(std::span(s).subspan(std::size_t(from), std::size_t(to - from)));
    };
    const std::int64_t started = signal.at(300 + kStartMs);
    const std::int64_t ended = signal.at(700 + kEndMs);
    EXPECT_EQ(feedUpTo(0, started - 1), Event::None);
    EXPECT_FALSE(detector.inSpeech());
    EXPECT_FALSE(detector.heardSpeech());
    EXPECT_EQ(feedUpTo(started - 1, started), Event::SpeechStarted);
    EXPECT_TRUE(detector.inSpeech());
    EXPECT_TRUE(detector.heardSpeech());
    EXPECT_EQ(feedUpTo(started, ended - 1), Event::None);
    EXPECT_TRUE(detector.inSpeech()) << "ended before the quiet was long enough";
    EXPECT_EQ(feedUpTo(ended - 1, ended), Event::SpeechEnded);
    EXPECT_FALSE(detector.inSpeech());
    EXPECT_TRUE(detector.heardSpeech()) << "forgot the speech it heard";
    EXPECT_EQ(feedUpTo(ended, std::int64_t(s.size())), Event::None);
}

INSTANTIATE_TEST_SUITE_P(Rates, DetectorAtRate, ::testing::Values(8000, 16000, 44100, 48000));

TEST(LoudBurst, IsSpeechOnlyWhenItLastsTheStartFrames) {
    const std::pair<int, bool> bursts[] = {{10, false},      {30, false},           {kStartMs - 10, false},
                                           {kStartMs, true}, {kStartMs + 10, true}, {600, true}};
    for (const auto& [ms, speech] : bursts) {
        SCOPED_TRACE(testing::Message() << ms << " ms");
        Signal signal(16000);
        signal.noise(400, 30).tone(ms, 6000).noise(1500, 30);
        SpeechDetector detector;
        const std::vector<Heard> heard = hearSampleBySample(detector, signal.samples());
        if (speech) {
            EXPECT_EQ(heard, (std::vector<Heard>{{Event::SpeechStarted, signal.at(400 + kStartMs)},
                                                 {Event::SpeechEnded, signal.at(400 + ms + kEndMs)}}));
        } else {
            EXPECT_TRUE(heard.empty()) << "a click of " << ms << " ms taken as speech";
            EXPECT_FALSE(detector.heardSpeech());
        }
        EXPECT_FALSE(detector.inSpeech());
    }
}

// Whether speech ends in a pause between two words.
TEST(PauseBetweenWords, EndsSpeechOnlyWhenItLastsTheEndFrames) {
    for (const auto& [ms, ends] :
         {std::pair{50, false}, {400, false}, {kEndMs - 10, false}, {kEndMs + 10, true}, {1500, true}}) {
        SCOPED_TRACE(testing::Message() << ms << " ms");
        Signal signal(16000);
        signal.silence(200).tone(300, 3000).noise(ms, 40).tone(300, 3000).silence(1000);
        SpeechDetector detector;
        const std::vector<Heard> heard = hearSampleBySample(detector, signal.samples());
        const int secondWord = 500 + ms;
        std::vector<Heard> expected{{Event::SpeechStarted, signal.at(200 + kStartMs)}};
        if (ends) {
            expected.push_back({Event::SpeechEnded, signal.at(500 + kEndMs)});
            expected.push_back({Event::SpeechStarted, signal.at(secondWord + kStartMs)});
        }
        expected.push_back({Event::SpeechEnded, signal.at(secondWord + 300 + kEndMs)});
        EXPECT_EQ(heard, expected);
    }
}

// A signal with every kind of event: two utterances, the second after a short pause inside it.
Signal twoUtterances() {
    Signal signal(16000);
    signal.noise(333, 50).tone(457, 5000, 50).noise(1213, 50).tone(250, 2500, 50).noise(200, 50);
    signal.tone(371, 7000, 50).noise(1100, 50);
    return signal;
}

class FedInBlocks : public ::testing::TestWithParam<int> {};

TEST_P(FedInBlocks, HearsTheSameAsFedSampleBySample) {
    const Signal signal = twoUtterances();
    const Samples& samples = signal.samples();
    SpeechDetector reference;
    const std::vector<Heard> expected = hearSampleBySample(reference, samples);
    ASSERT_EQ(expected.size(), 4u);

    const std::size_t block = static_cast<std::size_t>(GetParam());
    SpeechDetector detector;
    std::size_t next = 0;
    for (std::size_t from = 0; from < samples.size(); from += block) {
        const std::size_t n = std::min(block, samples.size() - from);
        const Event e = detector.feed(std::span(samples).subspan(from, n));
        const bool due = next < expected.size() && expected[next].atSample <= std::int64_t(from + n);
        if (due) {
            EXPECT_EQ(e, expected[next].event) << "in samples " << from << " to " << from + n;
            ++next;
        } else {
            EXPECT_EQ(e, Event::None) << "in samples " << from << " to " << from + n;
        }
    }
    EXPECT_EQ(next, expected.size());
    EXPECT_EQ(detector.inSpeech(), reference.inSpeech());
    EXPECT_EQ(detector.heardSpeech(), reference.heardSpeech());
    EXPECT_EQ(detector.elapsedMs(), reference.elapsedMs());
}

INSTANTIATE_TEST_SUITE_P(Sizes, FedInBlocks, ::testing::Values(2, 7, 159, 160, 161, 333, 1000, 4096));

TEST(FedInOneBlock, TellsTheFirstEventAndEndsInTheSameState) {
    const Signal signal = twoUtterances();
    const Samples& samples = signal.samples();
    SpeechDetector reference;
    hearSampleBySample(reference, samples);
    SpeechDetector detector;
    EXPECT_EQ(detector.feed(samples), Event::SpeechStarted);
    EXPECT_FALSE(detector.inSpeech());
    EXPECT_TRUE(detector.heardSpeech());
    EXPECT_EQ(detector.elapsedMs(), reference.elapsedMs());
}

// Quiet, however it is fed (nothing at all too), is no event; the time is the samples fed at the detector's
// rate.
TEST(Elapsed, CountsTheSamplesFedAtTheDetectorsRate) {
    const struct {
        int rate;
        std::vector<int> chunks;  // sample counts fed one after another
        std::int64_t ms;
    } cases[] = {{16000, {0}, 0},
                 {16000, {16000}, 1000},
                 {16000, {8000}, 500},
                 {16000, {1, 15, 144}, 10},
                 {16000, {159}, 9},
                 {16000, {16000, 16000, 16000, 8000}, 3500},
                 {48000, {48000}, 1000},
                 {48000, {24000}, 500},
                 {48000, {160}, 3},
                 {48000, {480, 480, 480}, 30},
                 {44100, {44100, 22050}, 1500},
                 {8000, {8000, 80}, 1010}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.ms << " ms");
        SpeechDetector detector(c.rate);
        for (const int n : c.chunks) {
            EXPECT_EQ(detector.feed(Samples(static_cast<std::size_t>(n), 0)), Event::None);
        }
        EXPECT_EQ(detector.elapsedMs(), c.ms);
        EXPECT_FALSE(detector.inSpeech());
    }
}

// A room with a steady noise floor: the noise itself is no speech, a voice well above it is.
class NoisyRoom : public ::testing::TestWithParam<double> {};

TEST_P(NoisyRoom, NoiseIsNoSpeechButAVoiceWellAboveItIs) {
    const double floor = GetParam();
    Signal signal(16000);
    signal.noise(5000, floor);
    SpeechDetector detector;
    EXPECT_TRUE(hearSampleBySample(detector, signal.samples()).empty()) << "noise of RMS " << floor;
    EXPECT_FALSE(detector.heardSpeech());

    Signal voice(16000);
    voice.tone(600, 8 * floor, floor).noise(2000, floor);
    const std::vector<Heard> heard = hearSampleBySample(detector, voice.samples());
    EXPECT_EQ(heard, (std::vector<Heard>{{Event::SpeechStarted, voice.at(kStartMs)},
                                         {Event::SpeechEnded, voice.at(600 + kEndMs)}}));
}

INSTANTIATE_TEST_SUITE_P(Floors, NoisyRoom, ::testing::Values(60.0, 150.0, 400.0, 1000.0));

// Clicks in a row, a voice little above the room's noise and a whisper under the floor are no speech.
TEST(NoSpeech, IsHeardInClicksAVoiceLittleAboveTheNoiseOrAWhisper) {
    Signal clicks(16000);
    clicks.silence(200);
    for (int i = 0; i < 10; ++i) {
        clicks.tone(kStartMs - 20, 8000).silence(30);
    }
    clicks.silence(1000);
    Signal little(16000);
    little.noise(3000, 400).tone(600, 400, 400).noise(2000, 400);
    Signal whisper(16000);
    whisper.silence(1000).tone(600, 80).silence(1000);
    for (const Signal* signal : {&clicks, &little, &whisper}) {
        SpeechDetector detector;
        EXPECT_TRUE(hearSampleBySample(detector, signal->samples()).empty()) << signal->samples().size();
        EXPECT_FALSE(detector.heardSpeech());
    }
}

// However the room's noise comes, ten seconds of it unchanged is not one long utterance.
TEST(SteadyNoise, DoesNotKeepTheDetectorInSpeech) {
    const struct {
        const char* name;
        double before;  // RMS of what the microphone gives first, for one second
        double after;   // RMS of the steady noise that follows
    } rooms[] = {{"after digital silence", 0.0, 400.0},
                 {"a fan starts in a quiet room", 20.0, 800.0},
                 {"loud from the first frame", 2000.0, 2000.0}};
    for (const auto& room : rooms) {
        SCOPED_TRACE(room.name);
        Signal signal(16000);
        signal.noise(1000, room.before).noise(10000, room.after);
        SpeechDetector detector;
        hearSampleBySample(detector, signal.samples());
        EXPECT_FALSE(detector.inSpeech());
    }
}

// A recording cut down to its speech keeps each stretch of it whole, with 160 ms before and 400 ms after,
// and nothing of a room's noise or of digital silence.
TEST(TrimmedRecording, KeepsEachStretchOfSpeechWithTheSoundAroundIt) {
    const auto energy = [](const Samples& s) {
        double sum = 0;
        for (const std::int16_t v : s) {
            sum += double(v) * v;
        }
        return sum;
    };
    struct Case {
        const char* what;
        Signal signal;
        int keptMs;  // 0: nothing kept
    };
    Case cases[] = {
        {"a room's noise", Signal(16000).noise(3000, 30), 0},
        {"digital silence", Signal(16000).silence(3000), 0},
        {"a voice", Signal(16000).noise(1000, 30).tone(500, 3000, 30).noise(1500, 30), 160 + 500 + 400},
        {"a whisper", Signal(16000).noise(1000, 20).noise(600, 120).noise(1500, 20), 160 + 600 + 400},
        {"a quiet room's voice", Signal(16000).silence(1000).tone(500, 300).silence(1500), 160 + 500 + 400},
        {"speech from the start", Signal(16000).tone(600, 3000, 30).noise(1500, 30), 600 + 400},
        {"two phrases",
         Signal(16000).noise(500, 30).tone(400, 3000, 30).noise(2000, 30).tone(400, 3000, 30).noise(1000, 30),
         2 * (160 + 400 + 400)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Samples& in = c.signal.samples();
        const Samples kept = trimToSpeech(in, 16000);
        if (c.keptMs == 0) {
            EXPECT_TRUE(kept.empty()) << kept.size() * 1000 / 16000 << " ms kept";
            continue;
        }
        EXPECT_NEAR(double(kept.size()) * 1000 / 16000, c.keptMs, 80);
        EXPECT_GT(energy(kept), 0.85 * energy(in)) << "speech was cut";
    }
    EXPECT_TRUE(trimToSpeech(Samples(100, 1000), 16000).empty()) << "shorter than a frame";
    EXPECT_TRUE(trimToSpeech(Signal(100).tone(1000, 3000).samples(), 100).empty()) << "no frames at 100 Hz";
}

}  // namespace
}  // namespace agent::listen

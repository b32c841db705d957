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
#include "tests/agent/speech/signal_measures.h"

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

// Builds a test signal piece by piece; lengths in milliseconds at the signal's rate.
class Signal {
public:
    explicit Signal(int rate) : rate_(rate) {}

    // A 220 Hz tone of the given RMS level over noise of another; either may be nothing.
    Signal& tone(int ms, double rms, double noiseRms = 0.0) {
        std::normal_distribution<double> gauss(0.0, noiseRms > 0 ? noiseRms : 1e-9);
        for (std::size_t i = 0; i < count(ms); ++i) {
            const double t = double(samples_.size()) / rate_;
            const double v = rms * std::numbers::sqrt2 * std::sin(2 * std::numbers::pi * 220.0 * t) +
                             (noiseRms > 0 ? gauss(random_) : 0.0);
            samples_.push_back(static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0)));
        }
        return *this;
    }
    Signal& noise(int ms, double rms) { return tone(ms, 0, rms); }
    Signal& silence(int ms) { return tone(ms, 0); }
    const Samples& samples() const { return samples_; }
    std::int64_t at(int ms) const { return std::int64_t(ms) * rate_ / 1000; }

private:
    std::size_t count(int ms) const { return static_cast<std::size_t>(std::int64_t(ms) * rate_ / 1000); }

    int rate_;
    Samples samples_;
    std::mt19937 random_{7};
};

constexpr int kStartMs = SpeechDetector::kStartFrames * 10;
constexpr int kEndMs = SpeechDetector::kEndFrames * 10;

// At any rate: the time is the samples fed at the detector's rate, the start and the end come at their frames
// wherever the blocks fed begin, and fed all at once it tells the first thing that happened.
TEST(Detector, IsInSpeechBetweenItsStartAndItsEndAtAnyRate) {
    for (const int rate : {8000, 44100}) {
        SCOPED_TRACE(rate);
        Signal signal(rate);
        signal.silence(300).tone(400, 3000).silence(1000);
        const Samples& s = signal.samples();
        SpeechDetector detector(rate);
        const auto feedUpTo = [&](std::int64_t from, std::int64_t to) {
            return detector.feed(std::span(s).subspan(std::size_t(from), std::size_t(to - from)));
        };
        const std::int64_t started = signal.at(300 + kStartMs);
        const std::int64_t ended = signal.at(700 + kEndMs);
        EXPECT_EQ(feedUpTo(0, 0), Event::None);
        EXPECT_EQ(feedUpTo(0, started - 1), Event::None);
        EXPECT_FALSE(detector.heardSpeech());
        EXPECT_EQ(feedUpTo(started - 1, started), Event::SpeechStarted);
        EXPECT_TRUE(detector.inSpeech());
        EXPECT_EQ(detector.elapsedMs(), 300 + kStartMs);
        EXPECT_EQ(feedUpTo(started, ended - 1), Event::None);
        EXPECT_TRUE(detector.inSpeech()) << "ended before the quiet was long enough";
        EXPECT_EQ(feedUpTo(ended - 1, ended), Event::SpeechEnded);
        EXPECT_FALSE(detector.inSpeech());
        EXPECT_TRUE(detector.heardSpeech()) << "forgot the speech it heard";
        EXPECT_EQ(feedUpTo(ended, std::int64_t(s.size())), Event::None);

        SpeechDetector whole(rate);
        EXPECT_EQ(whole.feed(s), Event::SpeechStarted);
        EXPECT_FALSE(whole.inSpeech());
        EXPECT_EQ(whole.elapsedMs(), detector.elapsedMs());
    }
    SpeechDetector detector;
    detector.feed(Samples(159, 0));
    EXPECT_EQ(detector.elapsedMs(), 9) << "a part of a millisecond is not one";
}

// A recording cut down to its speech keeps each stretch of it whole, with 160 ms before and 400 ms after,
// and nothing of a room's noise or of digital silence.
TEST(TrimmedRecording, KeepsEachStretchOfSpeechWithTheSoundAroundIt) {
    const auto energy = [](const Samples& s) {
        return std::pow(speech::measure::rms(s), 2) * double(s.size());
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

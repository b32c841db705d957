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

// Builds a test signal piece by piece; lengths in milliseconds at the signal's rate.
struct Signal {
    explicit Signal(int rate = 16000) : rate(rate) {}
    // A 220 Hz tone of the given RMS level over noise of another; either may be nothing.
    Signal& tone(int ms, double rms, double noiseRms = 0.0) {
        std::normal_distribution<double> gauss(0.0, noiseRms > 0 ? noiseRms : 1e-9);
        for (std::int64_t i = 0; i < at(ms); ++i) {
            const double t = double(samples.size()) / rate;
            const double v = rms * std::numbers::sqrt2 * std::sin(2 * std::numbers::pi * 220.0 * t) +
                             (noiseRms > 0 ? gauss(random) : 0.0);
            samples.push_back(static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0)));
        }
        return *this;
    }
    Signal& noise(int ms, double rms) { return tone(ms, 0, rms); }
    std::int64_t at(int ms) const { return std::int64_t(ms) * rate / 1000; }

    int rate;
    Samples samples;
    std::mt19937 random{7};
};

constexpr int kStartMs = SpeechDetector::kStartFrames * 10;
constexpr int kEndMs = SpeechDetector::kEndFrames * 10;

// At any rate: the time is the samples fed at the detector's rate, the start and the end come at their frames
// wherever the blocks fed begin, and fed all at once it tells the first thing that happened.
TEST(Detector, IsInSpeechBetweenItsStartAndItsEndAtAnyRateAndTrimsARecordingToItsSpeech) {
    for (const int rate : {8000, 44100}) {
        SCOPED_TRACE(rate);
        Signal signal(rate);
        signal.tone(300, 0).tone(400, 3000).tone(1000, 0);
        const Samples& s = signal.samples;
        SpeechDetector detector(rate);
        const auto feedUpTo = [&](std::int64_t from, std::int64_t to) {
            return detector.feed(std::span(s).subspan(std::size_t(from), std::size_t(to - from)));
        };
        const std::int64_t started = signal.at(300 + kStartMs);
        const std::int64_t ended = signal.at(700 + kEndMs);
        // (the values of a braced list are taken in order)
        EXPECT_EQ((std::tuple{feedUpTo(0, 0), feedUpTo(0, started - 1), detector.heardSpeech()}),
                  std::tuple(Event::None, Event::None, false));
        EXPECT_EQ((std::tuple{feedUpTo(started - 1, started), detector.inSpeech(), detector.elapsedMs()}),
                  std::tuple(Event::SpeechStarted, true, 300 + kStartMs));
        EXPECT_EQ((std::tuple{feedUpTo(started, ended - 1), detector.inSpeech()}),
                  std::tuple(Event::None, true))
            << "ended before the quiet was long enough";
        EXPECT_EQ((std::tuple{feedUpTo(ended - 1, ended), detector.inSpeech(), detector.heardSpeech(),
                              feedUpTo(ended, std::int64_t(s.size()))}),
                  std::tuple(Event::SpeechEnded, false, true, Event::None))
            << "ended, and remembers the speech it heard";

        SpeechDetector whole(rate);
        EXPECT_EQ((std::tuple{whole.feed(s), whole.inSpeech(), whole.elapsedMs()}),
                  std::tuple(Event::SpeechStarted, false, detector.elapsedMs()));
    }
    SpeechDetector detector;
    detector.feed(Samples(159, 0));
    EXPECT_EQ(detector.elapsedMs(), 9) << "a part of a millisecond is not one";

    // A recording cut down to its speech keeps each stretch of it whole, with 160 ms before and 400 ms after,
    // and nothing of a room's noise or of digital silence.
    const auto energy = [](const Samples& s) {
        return std::pow(speech::measure::rms(s), 2) * double(s.size());
    };
    Signal two;
    two.noise(500, 30).tone(400, 3000, 30).noise(2000, 30).tone(400, 3000, 30).noise(1000, 30);
    // what, the sound, and the milliseconds kept (0: nothing)
    const std::tuple<const char*, Samples, int> cases[] = {
        {"a room's noise", Signal().noise(3000, 30).samples, 0},
        {"digital silence", Signal().tone(3000, 0).samples, 0},
        {"a voice", Signal().noise(1000, 30).tone(500, 3000, 30).noise(1500, 30).samples, 160 + 500 + 400},
        {"a whisper", Signal().noise(1000, 20).noise(600, 120).noise(1500, 20).samples, 160 + 600 + 400},
        {"speech from the start", Signal().tone(600, 3000, 30).noise(1500, 30).samples, 600 + 400},
        {"two phrases", two.samples, 2 * (160 + 400 + 400)},
    };
    for (const auto& [what, in, keptMs] : cases) {
        SCOPED_TRACE(what);
        const Samples kept = trimToSpeech(in, 16000);
        if (keptMs == 0) {
            EXPECT_TRUE(kept.empty()) << kept.size() * 1000 / 16000 << " ms kept";
            continue;
        }
        EXPECT_NEAR(double(kept.size()) * 1000 / 16000, keptMs, 80);
        EXPECT_GT(energy(kept), 0.85 * energy(in)) << "speech was cut";
    }
    EXPECT_TRUE(trimToSpeech(Samples(100, 1000), 16000).empty()) << "shorter than a frame";
    EXPECT_TRUE(trimToSpeech(Signal(100).tone(1000, 3000).samples, 100).empty()) << "no frames at 100 Hz";
}

}  // namespace
}  // namespace agent::listen

#include "agent/listen/speech_detector.h"

#include <algorithm>
#include <cmath>

namespace agent::listen {

namespace {

// Speech is this many times the noise, and never quieter than a whisper into a fair microphone.
constexpr double kOverNoise = 3.0;
constexpr double kFloor = 120.0;
constexpr double kRiseWhileLoud = 0.004;  // per 10 ms: a steady sound becomes the noise in about 3 s

}  // namespace

SpeechDetector::SpeechDetector(int sampleRate)
    : rate_(std::max(sampleRate, 100)), frameSamples_(rate_ / 100) {}

SpeechDetector::Event SpeechDetector::feed(std::span<const std::int16_t> samples) {
    Event first = Event::None;
    for (const std::int16_t s : samples) {
        frameSquares_ += double(s) * s;
        ++fed_;
        if (++pendingCount_ < frameSamples_) {
            continue;
        }
        const Event e = frame(std::sqrt(frameSquares_ / frameSamples_));
        frameSquares_ = 0;
        pendingCount_ = 0;
        if (first == Event::None) {
            first = e;
        }
    }
    return first;
}

SpeechDetector::Event SpeechDetector::frame(double rms) {
    if (noise_ < 0) {
        noise_ = std::min(rms, 4 * kFloor);
    }
    const bool loud = rms > std::max(kFloor, noise_ * kOverNoise);
    // The noise level follows quiet frames quickly and loud ones slowly: speech is over in a few seconds,
    // while a fan that starts keeps on, and after a while it is the room's noise.
    noise_ += (loud ? kRiseWhileLoud : 0.1) * (rms - noise_);
    loud_ = loud ? loud_ + 1 : 0;
    quiet_ = loud ? 0 : quiet_ + 1;
    if (!inSpeech_ && loud_ >= kStartFrames) {
        inSpeech_ = true;
        heardSpeech_ = true;
        return Event::SpeechStarted;
    }
    if (inSpeech_ && quiet_ >= kEndFrames) {
        inSpeech_ = false;
        return Event::SpeechEnded;
    }
    return Event::None;
}

}  // namespace agent::listen

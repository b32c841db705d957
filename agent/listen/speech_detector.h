// Tells speech from quiet in a stream of mono samples, 10 ms at a time: the level that counts as speech
// follows the room's own noise, speech begins after a few loud frames in a row and ends after a stretch of
// quiet. It counts time in samples, so it runs the same on a live microphone and on a file.
#pragma once

#include <cstdint>
#include <span>

namespace agent::listen {

class SpeechDetector {
public:
    enum class Event { None, SpeechStarted, SpeechEnded };

    static constexpr int kStartFrames = 8;  // 80 ms of sound before it counts as speech
    static constexpr int kEndFrames = 70;   // 700 ms of quiet end it

    explicit SpeechDetector(int sampleRate = 16000);

    // Feeds samples (any count); returns the first thing that happened in them.
    Event feed(std::span<const std::int16_t> samples);

    bool inSpeech() const { return inSpeech_; }
    bool heardSpeech() const { return heardSpeech_; }
    // How much sound has been fed, in milliseconds.
    std::int64_t elapsedMs() const { return fed_ * 1000 / rate_; }

private:
    Event frame(double rms);

    int rate_;
    int frameSamples_;
    double frameSquares_ = 0;
    int pendingCount_ = 0;
    std::int64_t fed_ = 0;
    double noise_ = -1.0;  // the quiet level, learnt as it goes; -1 until the first frame
    int loud_ = 0;
    int quiet_ = 0;
    bool inSpeech_ = false;
    bool heardSpeech_ = false;
};

}  // namespace agent::listen

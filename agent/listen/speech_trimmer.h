// Cuts a recording down to its speech and the sound just around it, as a decoder's front end that leaves out
// silence does: the noise of each frequency band starts at the quietest the recording gets there and is
// followed as it goes, a frame is speech when its bands stand on average well above their noise, speech
// begins after a run of such frames and ends after a long run without. Quiet rooms and whispers alike: what
// counts is how far the sound stands above the room, not how loud it is.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace agent::listen {

struct SpeechTrimming {
    double thresholdDb = 4.0;  // bands this far above their noise on average make a frame speech
    int startFrames = 10;      // frames of speech in a row before speech begins (8 ms each)
    int framesBefore = 20;     // kept before the first of them
    int framesAfter = 50;      // frames without speech that end it, kept
};

// The samples worth decoding: every stretch of speech with the frames around it, in order. Empty when the
// recording holds no speech.
std::vector<std::int16_t> trimToSpeech(std::span<const std::int16_t> samples, int sampleRate,
                                       const SpeechTrimming& trimming = {});

}  // namespace agent::listen

// What differs between the espeak-ng releases we run on (1.51 in Debian 12, 1.52 in Debian 13), and how the
// engine evens it out, going by what the library does and never by its version number: a stress mark is
// dropped wherever one comes, and a whisper is filtered only once a probe has shown that it rumbles, so a
// release that behaves like the older one gets the older handling.
//
// - Phoneme events: 1.52 puts a syllable's stress in front of its vowel's name ("'aa", ",I"); 1.51 gives the
//   bare name. Mouths go by the bare name.
// - Whispering: 1.52's noise source gives only positive values, so the breath noise a whisper is made of
//   carries a large offset that swells and fades with every sound: a rumble under 100 Hz, 20 dB louder than
//   1.51's, that repeats like a voice and turns a quarter to a third of the whisper voiced. A whisper has
//   nothing of its own that low, so a whisper that rumbles is high-passed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace agent::speech::espeak {

// The phoneme's own name ("aa" of "'aa"), whatever stress the library wrote in front of it.
std::string_view barePhonemeName(std::string_view reported);

// A short text to whisper once, to find out whether the library's whisper rumbles.
inline constexpr char kBreathProbeText[] = "one more";

// Whether a whispered sound has the rumble of an offset breath noise: a good part of its energy lies below
// 100 Hz, where a whisper has next to none. nullopt when the sound is silent and tells nothing.
std::optional<bool> whisperRumbles(const std::vector<std::int16_t>& whispered, int sampleRate);

// Removes the rumble from samples[from..]: a high-pass well under the lowest sound of a whisper.
void removeRumble(std::vector<std::int16_t>& samples, std::size_t from, int sampleRate);

}  // namespace agent::speech::espeak

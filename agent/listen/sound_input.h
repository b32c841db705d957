// Sound for the recognizer from elsewhere than the microphone: a sound file, or a phrase spoken by our own
// voice (the console's Hear, agentlisten --say and the tests). Both come out as 16 kHz mono samples.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "agent/result.h"

namespace agent::speech {
class EspeakSynthesizer;
}

namespace agent::listen {

// A sound file that libsndfile reads (WAV of any sample format, FLAC, Ogg Vorbis, AIFF, ...; a ".raw" file is
// headerless 16 kHz 16-bit mono, as PocketSphinx's own tools write), its channels mixed and its rate changed
// to the recognizer's. Fails, saying why, for a file that cannot be read or holds no sound.
Result<std::vector<std::int16_t>> readSoundForRecognizer(const QString& path);

// The phrase (speech tags allowed) as the espeak-ng voice says it; an empty voice name is American English.
Result<std::vector<std::int16_t>> speakForRecognizer(speech::EspeakSynthesizer& synthesizer,
                                                     const QString& text, const QString& voiceName);

}  // namespace agent::listen

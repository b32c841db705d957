// Sound for the recognizer from elsewhere than the microphone: a WAV file, or a phrase spoken by our own
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

// A 16-bit PCM WAV file, its channels mixed and its rate changed to the recognizer's. Fails for a file that
// cannot be read or is no such WAV.
Result<std::vector<std::int16_t>> readWavForRecognizer(const QString& path);

// The phrase (speech tags allowed) as the espeak-ng voice says it; an empty voice name is American English.
Result<std::vector<std::int16_t>> speakForRecognizer(speech::EspeakSynthesizer& synthesizer,
                                                     const QString& text, const QString& voiceName);

}  // namespace agent::listen

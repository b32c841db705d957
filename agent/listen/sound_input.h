// Sound for the recognizer from elsewhere than the microphone: a WAV file, or a phrase spoken by our own
// voice (the console's Hear, agentlisten --say and the tests). Both come out as 16 kHz mono samples.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace agent::speech {
class EspeakSynthesizer;
}

namespace agent::listen {

// A 16-bit PCM WAV file, its channels mixed and its rate changed to the recognizer's. Nothing, with *error,
// for a file that cannot be read or is no such WAV.
std::optional<std::vector<std::int16_t>> readWavForRecognizer(const QString& path, QString* error);

// The phrase (speech tags allowed) as the espeak-ng voice says it; an empty voice name is American English.
std::optional<std::vector<std::int16_t>> speakForRecognizer(speech::EspeakSynthesizer& synthesizer,
                                                            const QString& text, const QString& voiceName,
                                                            QString* error);

}  // namespace agent::listen

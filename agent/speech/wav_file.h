// Writes an utterance as a WAV file (16-bit PCM, mono), for agentsay and for listening to what tests produce.
#pragma once

#include <QString>

#include "agent/speech/utterance.h"

namespace agent::speech {

// Replaces the file atomically; false with *error when it cannot be written.
bool writeWav(const QString& path, const Utterance& utterance, QString* error);

}  // namespace agent::speech

// Writes an utterance as a WAV file (16-bit PCM, mono), for agentsay and for listening to what tests produce.
#pragma once

#include <QString>

#include "agent/result.h"
#include "agent/speech/utterance.h"

namespace agent::speech {

// Replaces the file atomically; fails when it cannot be written.
Status writeWav(const QString& path, const Utterance& utterance);

}  // namespace agent::speech

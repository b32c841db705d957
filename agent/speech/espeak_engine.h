// The one espeak-ng engine of the process: loading its data, choosing voices, setting the voice's parameters
// and synthesizing. Every call but mutex() must be made holding mutex(), as libespeak-ng is not reentrant.
#pragma once

#include <espeak-ng/speak_lib.h>

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "agent/result.h"
#include "agent/speech/espeak_synthesizer.h"

namespace agent::speech::espeak {

// An event as espeak-ng reported it, its name copied out of the engine's buffer (a phoneme's without the
// stress some releases write in front of it, see espeak_releases.h).
struct RawEvent {
    espeak_EVENT_TYPE type;
    int textPosition;
    int length;
    int audioMs;
    std::string name;
};

std::mutex& mutex();
// Loads espeak-ng from `dataPath` (its own default when empty), once per data folder.
Status ensureReady(const QString& dataPath);
// The rate of the samples synthesize() gives, once ready.
int sampleRate();
// Loads the voice for a run unless it is already loaded.
Status applyVoice(const VoiceChoice& voice, bool whisper);
// The next applyVoice() loads its voice again, whatever was loaded meanwhile.
void forgetVoice();
// Rate, pitch, range and volume, which espeak-ng takes only as global parameters.
void applySettings(const VoiceSettings& settings);
// Synthesizes UTF-8 SSML: the samples are added to *samples (a whisper without the rumble some releases give
// it, see espeak_releases.h); gives what espeak-ng reported.
Result<std::vector<RawEvent>> synthesize(const QByteArray& ssml, std::vector<std::int16_t>* samples);

}  // namespace agent::speech::espeak

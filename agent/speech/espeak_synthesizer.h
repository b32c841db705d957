// Speech synthesis with libespeak-ng into memory: samples plus word, mouth and bookmark timing.
//
// libespeak-ng keeps one global state, so every synthesizer in the process shares it under one lock; calls
// from several threads are safe but run one at a time. A call blocks for the synthesis (a few milliseconds
// per second of speech): the engine calls it from its speech thread (see SpeechThread), tools and tests
// directly.
#pragma once

#include <QString>
#include <functional>

#include "agent/result.h"
#include "agent/speech/speech_text.h"
#include "agent/speech/utterance.h"
#include "agent/speech/voice_choice.h"

namespace agent::speech {

class EspeakSynthesizer {
public:
    // The pitch the voices speak at when \Pit\ is not given, used to turn \Pit=Hz\ into espeak-ng's scale.
    static constexpr int kVoiceBasePitchHz = 110;

    // dataPath: a folder holding espeak-ng's data (phontab, voices/, lang/) or a folder holding an
    // "espeak-ng-data" folder; empty for the installed data.
    explicit EspeakSynthesizer(QString dataPath = {});

    // The synthesized statement, or why it could not be made (voice data missing, unknown voice name).
    Result<Utterance> synthesize(const SpeechText& text, const VoiceChoice& voice);

    // Whether a voice name is one espeak-ng can load (with or without a "+variant"), and if not, why.
    Status hasVoice(const QString& name);

    // Runs `work` with libespeak-ng loaded and under the lock every synthesizer shares, for a caller that
    // asks espeak-ng something of its own (see installedVoices()). Fails without running it when the voice
    // data is missing.
    Status withEngine(const std::function<void()>& work);

    // How a voice pronounces a text, in IPA, one word after another separated by spaces and each word's
    // sounds separated by '_' ("h_ɔː_ɹ_ˈeɪ_l_i_ə"). Fails when the data or voice is missing.
    Result<QString> phonemes(const QString& text, const QString& voiceName);

private:
    QString dataPath_;
};

}  // namespace agent::speech

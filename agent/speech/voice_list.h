// The espeak-ng voices installed on this machine, for a user to choose one by name.
#pragma once

#include <QList>
#include <QString>

#include "agent/result.h"
#include "agent/speech/voice_choice.h"

namespace agent::speech {

struct InstalledVoice {
    QString name;      // what selects it (VoiceChoice::name), e.g. "gmw/en-US"
    QString title;     // how espeak-ng calls it, e.g. "English (America)"
    QString language;  // its first language, e.g. "en-us"
    VoiceGender gender = VoiceGender::Unspecified;

    bool operator==(const InstalledVoice&) const = default;
};

// The voices of espeak-ng's data (dataPath as for EspeakSynthesizer), sorted by title; variants such as
// "+whisper" are not listed. Fails when the data is missing. Safe to call while another thread synthesizes.
Result<QList<InstalledVoice>> installedVoices(const QString& dataPath = {});

}  // namespace agent::speech

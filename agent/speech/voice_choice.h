// Which espeak-ng voice speaks: a voice named outright, or one picked by language, gender and age the way a
// character file describes its voice.
#pragma once

#include <QString>

namespace agent::speech {

enum class VoiceGender { Unspecified = 0, Male = 1, Female = 2 };

struct VoiceChoice {
    QString name;  // an espeak-ng voice name such as "en-us" or "en-gb+f3"; wins when set
    QString language = QStringLiteral("en-us");
    VoiceGender gender = VoiceGender::Unspecified;
    int age = 0;  // 0: any

    bool operator==(const VoiceChoice&) const = default;
};

// The language tag for a Windows language id as character files store it (0x0409 gives "en-us"), or an empty
// string for one we have no voice for.
QString languageForLangId(quint16 langId);

}  // namespace agent::speech

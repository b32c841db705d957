// espeak-ng hands out its voice list as pointers into a table it frees at the next listing, so the list is
// copied while the synthesizers' lock is held.
#include "agent/speech/voice_list.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>

#include "agent/speech/espeak_synthesizer.h"

namespace agent::speech {

namespace {

// A voice's languages are a priority byte and a name each, ending with an empty name; the first one is the
// language it is meant for.
QString firstLanguage(const char* languages) {
    if (languages == nullptr || languages[0] == 0) {
        return {};
    }
    return QString::fromLatin1(languages + 1).toLower();
}

VoiceGender genderOf(unsigned char gender) {
    switch (gender) {
        case 1:
            return VoiceGender::Male;
        case 2:
            return VoiceGender::Female;
        default:
            return VoiceGender::Unspecified;
    }
}

}  // namespace

Result<QList<InstalledVoice>> installedVoices(const QString& dataPath) {
    QList<InstalledVoice> voices;
    EspeakSynthesizer synthesizer(dataPath);
    const Status listed = synthesizer.withEngine([&voices] {
        const espeak_VOICE** listed = espeak_ListVoices(nullptr);
        for (int i = 0; listed != nullptr && listed[i] != nullptr; ++i) {
            const espeak_VOICE* v = listed[i];
            if (v->identifier == nullptr || v->identifier[0] == 0) {
                continue;
            }
            InstalledVoice voice;
            voice.name = QString::fromUtf8(v->identifier);
            voice.title = v->name != nullptr ? QString::fromUtf8(v->name).replace(u'_', u' ') : voice.name;
            voice.language = firstLanguage(v->languages);
            voice.gender = genderOf(v->gender);
            voices.append(voice);
        }
    });
    if (!listed) {
        return listed.failure();
    }
    std::stable_sort(voices.begin(), voices.end(), [](const InstalledVoice& a, const InstalledVoice& b) {
        return a.title.compare(b.title, Qt::CaseInsensitive) < 0;
    });
    return voices;
}

}  // namespace agent::speech

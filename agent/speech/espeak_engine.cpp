// libespeak-ng keeps one engine per process in global state, with one callback for every synthesis: this
// file owns that state, behind one mutex.
#include "agent/speech/espeak_engine.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "agent/speech/espeak_releases.h"

namespace agent::speech::espeak {

namespace {

struct Collector {
    std::vector<std::int16_t>* samples = nullptr;
    std::vector<RawEvent> events;
};

// Guarded by mutex(), like everything else of libespeak-ng.
Collector* g_collector = nullptr;

struct GlobalState {
    bool ready = false;
    QString dataDir;  // the data folder espeak-ng uses, as it reports it
    QString requestedPath;
    int sampleRate = 0;
    QString voiceKey;                    // the voice currently loaded, to skip reloading it for every run
    bool whispering = false;             // whether that voice whispers
    std::optional<bool> whisperRumbles;  // whether this library's whisper rumbles, once a whisper told
};
GlobalState g_state;

int onSynth(short* wav, int count, espeak_EVENT* events) {
    if (g_collector == nullptr) {
        return 0;
    }
    if (wav != nullptr && count > 0) {
        g_collector->samples->insert(g_collector->samples->end(), wav, wav + count);
    }
    for (espeak_EVENT* ev = events; ev != nullptr && ev->type != espeakEVENT_LIST_TERMINATED; ++ev) {
        RawEvent raw{ev->type, ev->text_position, ev->length, ev->audio_position, {}};
        if (ev->type == espeakEVENT_PHONEME) {
            raw.name = barePhonemeName({ev->id.string, strnlen(ev->id.string, sizeof(ev->id.string))});
        } else if (ev->type == espeakEVENT_MARK && ev->id.name != nullptr) {
            raw.name = ev->id.name;
        } else if (ev->type != espeakEVENT_WORD) {
            continue;
        }
        g_collector->events.push_back(std::move(raw));
    }
    return 0;
}

bool hasPhonemeData(const QString& dir) {
    return QFileInfo::exists(dir + QStringLiteral("/phontab"));
}

QString baseVoiceName(const QString& name) {
    const qsizetype plus = name.indexOf(u'+');
    return plus < 0 ? name : name.left(plus);
}

// Whether some voice speaks the language, or a more or less specific form of it ("de-at" and "de"). A voice
// lists its languages as a priority byte and a name each, ending with an empty name.
bool languageHasVoice(const QByteArray& language) {
    const QByteArray wanted = language.toLower();
    if (wanted.isEmpty()) {
        return false;
    }
    const espeak_VOICE** voices = espeak_ListVoices(nullptr);
    for (int i = 0; voices != nullptr && voices[i] != nullptr; ++i) {
        for (const char* p = voices[i]->languages; p != nullptr && *p != 0;) {
            const QByteArray listed = QByteArray(p + 1).toLower();
            if (listed == wanted || wanted.startsWith(listed + '-') || listed.startsWith(wanted + '-')) {
                return true;
            }
            p += 1 + std::strlen(p + 1) + 1;
        }
    }
    return false;
}

// Loads a voice by language, gender and age. espeak-ng is left in a poor state by a request for a language it
// has no voice for, so that is never asked: such a language speaks English instead of leaving the character
// mute.
bool selectByProperties(const QString& language, VoiceGender gender, int age) {
    QByteArray wantedLanguage = language.toLower().toUtf8();
    if (wantedLanguage.isEmpty() || !languageHasVoice(wantedLanguage)) {
        wantedLanguage = "en";
    }
    espeak_VOICE wanted{};
    wanted.languages = wantedLanguage.constData();
    wanted.gender = static_cast<unsigned char>(gender);
    wanted.age = static_cast<unsigned char>(std::clamp(age, 0, 255));
    return espeak_SetVoiceByProperties(&wanted) == EE_OK;
}

// The voice file of the loaded voice without its variant ("gmw/en-US" of "gmw/en-US+f2").
QByteArray currentVoiceFile() {
    const espeak_VOICE* current = espeak_GetCurrentVoice();
    if (current == nullptr || current->identifier == nullptr) {
        return {};
    }
    QByteArray id(current->identifier);
    const qsizetype plus = id.indexOf('+');
    return plus < 0 ? id : id.left(plus);
}

espeak_ERROR synthesizeInto(const char* text, size_t size, unsigned flags, Collector& collector) {
    g_collector = &collector;
    const espeak_ERROR status = espeak_Synth(text, size, 0, POS_CHARACTER, 0, flags, nullptr, nullptr);
    g_collector = nullptr;
    return status;
}

// Whether the whisper voice just loaded rumbles (see espeak_releases.h): asked of the library once, by
// whispering a probe with the run's own settings.
bool libraryWhisperRumbles() {
    if (!g_state.whisperRumbles) {
        std::vector<std::int16_t> probe;
        Collector collector;
        collector.samples = &probe;
        if (synthesizeInto(kBreathProbeText, sizeof(kBreathProbeText), espeakCHARS_UTF8, collector) ==
            EE_OK) {
            g_state.whisperRumbles = whisperRumbles(probe, g_state.sampleRate);
        }
    }
    return g_state.whisperRumbles.value_or(false);
}

}  // namespace

std::mutex& mutex() {
    static std::mutex mutex;
    return mutex;
}

// Loads espeak-ng once per data folder. Must hold mutex().
Status ensureReady(const QString& requested) {
    if (g_state.ready && g_state.requestedPath == requested) {
        return {};
    }
    QByteArray path;
    if (!requested.isEmpty()) {
        // espeak-ng quietly falls back to the installed data when a given folder is unusable; say so instead.
        if (!hasPhonemeData(requested) && !hasPhonemeData(requested + QStringLiteral("/espeak-ng-data"))) {
            return fail(QStringLiteral("espeak-ng voice data not found in %1 (no phontab)").arg(requested));
        }
        path = QFile::encodeName(requested);
    }
    const int rate =
        espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 100, path.isEmpty() ? nullptr : path.constData(),
                          espeakINITIALIZE_PHONEME_EVENTS | espeakINITIALIZE_DONT_EXIT);
    const char* dataDir = nullptr;
    espeak_Info(&dataDir);
    const QString dir = dataDir ? QFile::decodeName(dataDir) : QString();
    if (rate <= 0 || !hasPhonemeData(dir)) {
        g_state = GlobalState{};
        return fail(QStringLiteral("espeak-ng voice data not found%1 (install espeak-ng-data)")
                        .arg(dir.isEmpty() ? QString() : QStringLiteral(" in ") + dir));
    }
    espeak_SetSynthCallback(onSynth);
    g_state = GlobalState{true, dir, requested, rate, {}, false, std::nullopt};
    return {};
}

// Loads the voice for a run unless it is already loaded. Must hold mutex().
Status applyVoice(const VoiceChoice& voice, bool whisper) {
    const QString key = QStringLiteral("%1|%2|%3|%4|%5")
                            .arg(voice.name, voice.language.toLower())
                            .arg(static_cast<int>(voice.gender))
                            .arg(voice.age)
                            .arg(whisper ? 1 : 0);
    if (key == g_state.voiceKey) {
        return {};
    }
    g_state.voiceKey.clear();
    QString variant;
    if (!voice.name.isEmpty()) {
        // A name is a voice name, a voice file, or a language ("en-gb" has no file of its own), with a
        // variant.
        const QString base = baseVoiceName(voice.name);
        variant = voice.name.mid(base.size() + 1);
        if (espeak_SetVoiceByName(base.toUtf8().constData()) != EE_OK &&
            !(languageHasVoice(base.toLower().toUtf8()) &&
              selectByProperties(base, VoiceGender::Unspecified, 0))) {
            return fail(QStringLiteral("unknown espeak-ng voice \"%1\"").arg(voice.name));
        }
    } else if (!selectByProperties(voice.language, voice.gender, voice.age)) {
        return fail(QStringLiteral("no espeak-ng voice for language \"%1\"").arg(voice.language));
    }
    // The whisper variant replaces any other, such as the female variant a gender choice brings.
    if (whisper) {
        variant = QStringLiteral("whisper");
    }
    g_state.whispering = variant.startsWith(QStringLiteral("whisper"));
    if (!variant.isEmpty()) {
        const QByteArray withVariant = currentVoiceFile() + '+' + variant.toUtf8();
        if (espeak_SetVoiceByName(withVariant.constData()) != EE_OK) {
            return fail(QStringLiteral("unknown espeak-ng voice \"%1\"").arg(voice.name));
        }
    }
    g_state.voiceKey = key;
    return {};
}

void applySettings(const VoiceSettings& settings) {
    const int rate = settings.speedWpm > 0
                         ? std::clamp(settings.speedWpm, espeakRATE_MINIMUM, espeakRATE_MAXIMUM)
                         : espeakRATE_NORMAL;
    int pitch = 50;
    if (settings.pitchHz > 0) {
        // espeak-ng's pitch scale doubles the voice's base pitch every 50 steps either way.
        const double steps =
            50.0 * std::log2(static_cast<double>(settings.pitchHz) / EspeakSynthesizer::kVoiceBasePitchHz);
        pitch = std::clamp(static_cast<int>(std::lround(50.0 + steps)), 0, 100);
    }
    espeak_SetParameter(espeakRATE, rate, 0);
    espeak_SetParameter(espeakPITCH, pitch, 0);
    espeak_SetParameter(espeakRANGE, settings.character == VoiceCharacter::Monotone ? 0 : 50, 0);
    espeak_SetParameter(espeakVOLUME, static_cast<int>(std::lround(settings.volume * 100.0 / 65535.0)), 0);
}

int sampleRate() {
    return g_state.sampleRate;
}

void forgetVoice() {
    g_state.voiceKey.clear();
}

Result<std::vector<RawEvent>> synthesize(const QByteArray& ssml, std::vector<std::int16_t>* samples) {
    const bool dropRumble = g_state.whispering && libraryWhisperRumbles();
    const size_t start = samples->size();
    Collector collector;
    collector.samples = samples;
    const espeak_ERROR status = synthesizeInto(ssml.constData(), static_cast<size_t>(ssml.size()) + 1,
                                               espeakCHARS_UTF8 | espeakSSML, collector);
    if (status != EE_OK) {
        return fail(QStringLiteral("espeak-ng could not synthesize the text (error %1)").arg(status));
    }
    if (dropRumble) {
        removeRumble(*samples, start, g_state.sampleRate);
    }
    return std::move(collector.events);
}

}  // namespace agent::speech::espeak

// One statement is synthesized as a few runs, one per stretch of equal voice settings, because espeak-ng
// takes rate, pitch, range and volume only as global parameters. Inside a run the text goes in as SSML so
// emphasis and bookmarks keep the sentence's intonation; pauses are silence we add ourselves, since espeak-ng
// drops a break with no text after it. espeak-ng reports word positions in code points of the SSML it was
// given, so each run keeps a table from those positions back to the spoken and shown texts.
#include "agent/speech/espeak_synthesizer.h"

#include <espeak-ng/speak_lib.h>

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string>

namespace agent::speech {

namespace {

struct RawEvent {
    espeak_EVENT_TYPE type;
    int textPosition;
    int length;
    int audioMs;
    std::string name;
};

struct Collector {
    std::vector<std::int16_t>* samples = nullptr;
    std::vector<RawEvent> events;
};

// Guarded by espeakMutex(), like everything else of libespeak-ng.
Collector* g_collector = nullptr;

struct GlobalState {
    bool ready = false;
    QString dataDir;  // the data folder espeak-ng uses, as it reports it
    QString requestedPath;
    int sampleRate = 0;
    QString voiceKey;  // the voice currently loaded, to skip reloading it for every run
};
GlobalState g_state;

std::mutex& espeakMutex() {
    static std::mutex mutex;
    return mutex;
}

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
            raw.name.assign(ev->id.string, strnlen(ev->id.string, sizeof(ev->id.string)));
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

// Loads espeak-ng once per data folder. Must hold espeakMutex().
bool ensureReady(const QString& requested, QString* error) {
    if (g_state.ready && g_state.requestedPath == requested) {
        return true;
    }
    QByteArray path;
    if (!requested.isEmpty()) {
        // espeak-ng quietly falls back to the installed data when a given folder is unusable; say so instead.
        if (!hasPhonemeData(requested) && !hasPhonemeData(requested + QStringLiteral("/espeak-ng-data"))) {
            *error = QStringLiteral("espeak-ng voice data not found in %1 (no phontab)").arg(requested);
            return false;
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
        *error = QStringLiteral("espeak-ng voice data not found%1 (install espeak-ng-data)")
                     .arg(dir.isEmpty() ? QString() : QStringLiteral(" in ") + dir);
        g_state = GlobalState{};
        return false;
    }
    espeak_SetSynthCallback(onSynth);
    g_state = GlobalState{true, dir, requested, rate, {}};
    return true;
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

// Loads the voice for a run unless it is already loaded. Must hold espeakMutex().
bool applyVoice(const VoiceChoice& voice, bool whisper, QString* error) {
    const QString key = QStringLiteral("%1|%2|%3|%4|%5")
                            .arg(voice.name, voice.language.toLower())
                            .arg(static_cast<int>(voice.gender))
                            .arg(voice.age)
                            .arg(whisper ? 1 : 0);
    if (key == g_state.voiceKey) {
        return true;
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
            *error = QStringLiteral("unknown espeak-ng voice \"%1\"").arg(voice.name);
            return false;
        }
    } else if (!selectByProperties(voice.language, voice.gender, voice.age)) {
        *error = QStringLiteral("no espeak-ng voice for language \"%1\"").arg(voice.language);
        return false;
    }
    // The whisper variant replaces any other, such as the female variant a gender choice brings.
    if (whisper) {
        variant = QStringLiteral("whisper");
    }
    if (!variant.isEmpty()) {
        const QByteArray withVariant = currentVoiceFile() + '+' + variant.toUtf8();
        if (espeak_SetVoiceByName(withVariant.constData()) != EE_OK) {
            *error = QStringLiteral("unknown espeak-ng voice \"%1\"").arg(voice.name);
            return false;
        }
    }
    g_state.voiceKey = key;
    return true;
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

// Where one code point of a run's SSML came from.
struct SourceChar {
    int spoken = -1;  // offset in the spoken text; -1 for markup
    int shownEnd = 0;
};

struct Run {
    VoiceSettings settings;
    QString ssml;
    std::vector<SourceChar> chars;  // one per code point of ssml
    std::vector<int> bookmarks;
    bool hasSpeech = false;

    void addMarkup(const QString& markup) {
        ssml += markup;
        chars.insert(chars.end(), static_cast<size_t>(markup.size()), SourceChar{});
    }

    void addText(const QString& text, int spokenStart, int shownStart, int shownLength, bool mapped) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            const int spoken = spokenStart + static_cast<int>(i);
            const int shownEnd =
                mapped ? shownStart + shownLength
                       : std::min(shownStart + static_cast<int>(i) + 1, shownStart + shownLength);
            QString encoded;
            if (c == u'<') {
                encoded = QStringLiteral("&lt;");
            } else if (c == u'>') {
                encoded = QStringLiteral("&gt;");
            } else if (c == u'&') {
                encoded = QStringLiteral("&amp;");
            } else {
                encoded = c;
                if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                    ssml += c;
                    ssml += text[++i];
                    chars.push_back({spoken, shownEnd});
                    continue;
                }
            }
            ssml += encoded;
            chars.insert(chars.end(), static_cast<size_t>(encoded.size()), SourceChar{spoken, shownEnd});
        }
        if (!text.trimmed().isEmpty()) {
            hasSpeech = true;
        }
    }
};

int msOfSamples(size_t samples, int rate) {
    return static_cast<int>(static_cast<std::int64_t>(samples) * 1000 / rate);
}

// Synthesizes one run onto the end of the utterance. Must hold espeakMutex().
bool synthesizeRun(Run& run, const VoiceChoice& voice, Utterance& out, std::vector<RawEvent>& phonemes,
                   QString* error) {
    const int startMs = msOfSamples(out.samples.size(), out.sampleRate);
    if (!run.hasSpeech) {
        for (int id : run.bookmarks) {
            out.bookmarks.push_back({startMs, id});
        }
        return true;
    }
    if (!applyVoice(voice, run.settings.character == VoiceCharacter::Whisper, error)) {
        return false;
    }
    applySettings(run.settings);

    Collector collector;
    collector.samples = &out.samples;
    const QByteArray utf8 = run.ssml.toUtf8();
    g_collector = &collector;
    const espeak_ERROR status =
        espeak_Synth(utf8.constData(), static_cast<size_t>(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                     espeakCHARS_UTF8 | espeakSSML, nullptr, nullptr);
    g_collector = nullptr;
    if (status != EE_OK) {
        *error = QStringLiteral("espeak-ng could not synthesize the text (error %1)").arg(status);
        return false;
    }

    std::vector<int> marksSeen;
    for (RawEvent& ev : collector.events) {
        const int ms = startMs + ev.audioMs;
        if (ev.type == espeakEVENT_PHONEME) {
            ev.audioMs = ms;
            phonemes.push_back(std::move(ev));
        } else if (ev.type == espeakEVENT_MARK) {
            bool ok = false;
            const int id = QString::fromStdString(ev.name).toInt(&ok);
            if (ok) {
                out.bookmarks.push_back({ms, id});
                marksSeen.push_back(id);
            }
        } else if (ev.type == espeakEVENT_WORD && ev.textPosition > 0 && ev.length > 0) {
            // Positions count from 1; markup in front of a word is skipped to reach its first letter.
            size_t first = static_cast<size_t>(ev.textPosition - 1);
            while (first < run.chars.size() && run.chars[first].spoken < 0) {
                ++first;
            }
            if (first >= run.chars.size()) {
                continue;
            }
            size_t last = first;
            const size_t end =
                std::min(run.chars.size(), first + static_cast<size_t>(std::max(ev.length, 1)));
            for (size_t i = first; i < end; ++i) {
                if (run.chars[i].spoken >= 0) {
                    last = i;
                }
            }
            const SourceChar& a = run.chars[first];
            const SourceChar& b = run.chars[last];
            out.words.push_back({ms, a.spoken, b.spoken - a.spoken + 1, b.shownEnd});
        }
    }
    // A bookmark after the last word of a run may never be reported; it still belongs at the run's end.
    const int endMs = msOfSamples(out.samples.size(), out.sampleRate);
    for (int id : run.bookmarks) {
        auto seen = std::find(marksSeen.begin(), marksSeen.end(), id);
        if (seen != marksSeen.end()) {
            marksSeen.erase(seen);
        } else {
            out.bookmarks.push_back({endMs, id});
        }
    }
    return true;
}

void buildMouths(const std::vector<RawEvent>& phonemes, const std::vector<std::pair<int, int>>& pauses,
                 Utterance& out) {
    std::vector<MouthTiming> raw;
    raw.reserve(phonemes.size() + pauses.size() + 2);
    raw.push_back({0, MouthShape::Closed});
    for (const RawEvent& ev : phonemes) {
        raw.push_back({ev.audioMs, mouthShapeForPhoneme(ev.name)});
    }
    for (const auto& [start, length] : pauses) {
        raw.push_back({start, MouthShape::Closed});
    }
    std::stable_sort(raw.begin(), raw.end(),
                     [](const MouthTiming& a, const MouthTiming& b) { return a.ms < b.ms; });
    const int endMs = out.durationMs();
    for (MouthTiming m : raw) {
        m.ms = std::min(m.ms, endMs);
        if (!out.mouths.empty() && out.mouths.back().ms == m.ms) {
            out.mouths.back() = m;
        } else {
            out.mouths.push_back(m);
        }
    }
    out.mouths.push_back({endMs, MouthShape::Closed});
    // Keep only changes: a renderer draws a new overlay for each entry.
    std::vector<MouthTiming> changes;
    for (const MouthTiming& m : out.mouths) {
        if (changes.empty() || changes.back().shape != m.shape) {
            changes.push_back(m);
        }
    }
    out.mouths = std::move(changes);
}

}  // namespace

EspeakSynthesizer::EspeakSynthesizer(QString dataPath) : dataPath_(std::move(dataPath)) {}

bool EspeakSynthesizer::hasVoice(const QString& name, QString* error) {
    std::lock_guard lock(espeakMutex());
    if (!ensureReady(dataPath_, error)) {
        return false;
    }
    VoiceChoice voice;
    voice.name = name;
    return applyVoice(voice, false, error);
}

bool EspeakSynthesizer::withEngine(const std::function<void()>& work, QString* error) {
    std::lock_guard lock(espeakMutex());
    if (!ensureReady(dataPath_, error)) {
        return false;
    }
    work();
    return true;
}

std::optional<QString> EspeakSynthesizer::phonemes(const QString& text, const QString& voiceName,
                                                   QString* error) {
    std::lock_guard lock(espeakMutex());
    if (!ensureReady(dataPath_, error)) {
        return std::nullopt;
    }
    // The synthesizer keeps the voice it loaded last; it must load its own again.
    g_state.voiceKey.clear();
    if (espeak_SetVoiceByName(voiceName.toUtf8().constData()) != EE_OK) {
        *error = QStringLiteral("espeak-ng has no voice \"%1\"").arg(voiceName);
        return std::nullopt;
    }
    const QByteArray utf8 = text.toUtf8();
    const void* cursor = utf8.constData();
    QStringList clauses;
    constexpr int kIpaWithSeparator = espeakPHONEMES_IPA | ('_' << 8);
    while (cursor != nullptr) {
        const char* clause = espeak_TextToPhonemes(&cursor, espeakCHARS_UTF8, kIpaWithSeparator);
        if (clause == nullptr) {
            break;
        }
        const QString trimmed = QString::fromUtf8(clause).trimmed();
        if (!trimmed.isEmpty()) {
            clauses << trimmed;
        }
    }
    return clauses.join(u' ');
}

std::optional<Utterance> EspeakSynthesizer::synthesize(const SpeechText& text, const VoiceChoice& voice,
                                                       QString* error) {
    std::lock_guard lock(espeakMutex());
    if (!ensureReady(dataPath_, error)) {
        return std::nullopt;
    }
    Utterance out;
    out.sampleRate = g_state.sampleRate;
    out.spokenText = text.spoken();
    out.shownText = text.shown();

    std::vector<RawEvent> phonemes;
    std::vector<std::pair<int, int>> pauses;
    Run run;
    bool open = false;
    int spokenPos = 0;
    int shownPos = 0;
    auto flush = [&]() -> bool {
        const bool ok = !open || synthesizeRun(run, voice, out, phonemes, error);
        run = Run{};
        open = false;
        return ok;
    };
    for (const SpeechElement& element : text.elements) {
        if (const auto* pause = std::get_if<Pause>(&element)) {
            if (!flush()) {
                return std::nullopt;
            }
            const int startMs = out.durationMs();
            out.samples.insert(out.samples.end(),
                               static_cast<size_t>(std::int64_t{pause->ms} * out.sampleRate / 1000),
                               std::int16_t{0});
            pauses.emplace_back(startMs, pause->ms);
        } else if (const auto* mark = std::get_if<Bookmark>(&element)) {
            open = true;
            run.addMarkup(QStringLiteral("<mark name=\"%1\"/>").arg(mark->id));
            run.bookmarks.push_back(mark->id);
        } else {
            const auto& piece = std::get<TextPiece>(element);
            if (open && piece.settings != run.settings) {
                if (!flush()) {
                    return std::nullopt;
                }
            }
            open = true;
            run.settings = piece.settings;
            const bool mapped = piece.spoken != piece.shown;
            if (piece.emphasized) {
                run.addMarkup(QStringLiteral("<emphasis>"));
            }
            run.addText(piece.spoken, spokenPos, shownPos, static_cast<int>(piece.shown.size()), mapped);
            if (piece.emphasized) {
                run.addMarkup(QStringLiteral("</emphasis>"));
            }
            spokenPos += static_cast<int>(piece.spoken.size());
            shownPos += static_cast<int>(piece.shown.size());
        }
    }
    if (!flush()) {
        return std::nullopt;
    }
    buildMouths(phonemes, pauses, out);
    return out;
}

}  // namespace agent::speech

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

#include "agent/speech/espeak_engine.h"

namespace agent::speech {

namespace {

using espeak::RawEvent;

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

// Synthesizes one run onto the end of the utterance. Must hold espeak::mutex().
Status synthesizeRun(Run& run, const VoiceChoice& voice, Utterance& out, std::vector<RawEvent>& phonemes) {
    const int startMs = msOfSamples(out.samples.size(), out.sampleRate);
    if (!run.hasSpeech) {
        for (int id : run.bookmarks) {
            out.bookmarks.push_back({startMs, id});
        }
        return {};
    }
    if (Status voiceLoaded = espeak::applyVoice(voice, run.settings.character == VoiceCharacter::Whisper);
        !voiceLoaded) {
        return voiceLoaded;
    }
    espeak::applySettings(run.settings);

    Result<std::vector<RawEvent>> events = espeak::synthesize(run.ssml.toUtf8(), &out.samples);
    if (!events) {
        return events.failure();
    }

    std::vector<int> marksSeen;
    for (RawEvent& ev : *events) {
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
    return {};
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

Status EspeakSynthesizer::hasVoice(const QString& name) {
    std::lock_guard lock(espeak::mutex());
    if (Status ready = espeak::ensureReady(dataPath_); !ready) {
        return ready;
    }
    VoiceChoice voice;
    voice.name = name;
    return espeak::applyVoice(voice, false);
}

Status EspeakSynthesizer::withEngine(const std::function<void()>& work) {
    std::lock_guard lock(espeak::mutex());
    if (Status ready = espeak::ensureReady(dataPath_); !ready) {
        return ready;
    }
    work();
    return {};
}

Result<QString> EspeakSynthesizer::phonemes(const QString& text, const QString& voiceName) {
    std::lock_guard lock(espeak::mutex());
    if (Status ready = espeak::ensureReady(dataPath_); !ready) {
        return ready.failure();
    }
    // The synthesizer keeps the voice it loaded last; it must load its own again.
    espeak::forgetVoice();
    if (espeak_SetVoiceByName(voiceName.toUtf8().constData()) != EE_OK) {
        return fail(QStringLiteral("espeak-ng has no voice \"%1\"").arg(voiceName));
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

Result<Utterance> EspeakSynthesizer::synthesize(const SpeechText& text, const VoiceChoice& voice) {
    std::lock_guard lock(espeak::mutex());
    if (Status ready = espeak::ensureReady(dataPath_); !ready) {
        return ready.failure();
    }
    Utterance out;
    out.sampleRate = espeak::sampleRate();
    out.spokenText = text.spoken();
    out.shownText = text.shown();

    std::vector<RawEvent> phonemes;
    std::vector<std::pair<int, int>> pauses;
    Run run;
    bool open = false;
    int spokenPos = 0;
    int shownPos = 0;
    auto flush = [&]() -> Status {
        Status done = open ? synthesizeRun(run, voice, out, phonemes) : Status();
        run = Run{};
        open = false;
        return done;
    };
    for (const SpeechElement& element : text.elements) {
        if (const auto* pause = std::get_if<Pause>(&element)) {
            if (Status done = flush(); !done) {
                return done.failure();
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
                if (Status done = flush(); !done) {
                    return done.failure();
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
    if (Status done = flush(); !done) {
        return done.failure();
    }
    buildMouths(phonemes, pauses, out);
    return out;
}

}  // namespace agent::speech

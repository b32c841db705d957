// The speech tag reader. A tag runs from a backslash to the next backslash that is not inside double quotes;
// when the quotes do not close, to the next backslash at all. A tag that never closes is dropped up to the
// next space.
#include "agent/speech/speech_tag_parser.h"

#include <optional>

namespace agent::speech {

namespace {

// Splits a tag's arguments ("Map=\"a\"=\"b\"" gives a and b): values are quoted or bare, joined by '='.
std::optional<QStringList> splitArguments(QStringView args, bool* allQuoted) {
    QStringList values;
    *allQuoted = true;
    qsizetype i = 0;
    const qsizetype n = args.size();
    while (true) {
        while (i < n && args[i].isSpace()) {
            ++i;
        }
        QString value;
        if (i < n && args[i] == u'"') {
            const qsizetype close = args.indexOf(u'"', i + 1);
            if (close < 0) {
                return std::nullopt;
            }
            value = args.mid(i + 1, close - i - 1).toString();
            i = close + 1;
        } else {
            *allQuoted = false;
            const qsizetype eq = args.indexOf(u'=', i);
            const qsizetype end = eq < 0 ? n : eq;
            value = args.mid(i, end - i).trimmed().toString();
            if (value.isEmpty() || value.contains(u'"')) {
                return std::nullopt;
            }
            i = end;
        }
        values.append(value);
        while (i < n && args[i].isSpace()) {
            ++i;
        }
        if (i == n) {
            return values;
        }
        if (args[i] != u'=') {
            return std::nullopt;
        }
        ++i;
    }
}

std::optional<qint64> toInteger(const QString& text) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

// Builds a statement piece by piece while the tags change the settings.
class Builder {
public:
    explicit Builder(SpeechText& out) : out_(out) {}

    VoiceSettings settings;

    void appendChar(QChar c) {
        if (emphasisPending_ && !c.isSpace()) {
            emphasisPending_ = false;
            inEmphasis_ = true;
            close();
        } else if (inEmphasis_ && c.isSpace()) {
            inEmphasis_ = false;
            close();
        }
        current_.spoken += c;
        current_.shown += c;
    }

    void appendMapped(const QString& spoken, const QString& shown) {
        const bool emphasized = emphasisPending_ || inEmphasis_;
        emphasisPending_ = false;
        inEmphasis_ = false;
        close();
        out_.elements.append(TextPiece{spoken, shown, settings, emphasized});
    }

    void appendElement(const SpeechElement& element) {
        inEmphasis_ = false;
        close();
        out_.elements.append(element);
    }

    void emphasizeNextWord() {
        if (!inEmphasis_) {
            emphasisPending_ = true;
        }
    }

    // Settings apply from here on: the text so far keeps the settings it was written under.
    void changeSettings(const VoiceSettings& next) {
        if (next == settings) {
            return;
        }
        close();
        settings = next;
    }

    void finish() { close(); }

private:
    void close() {
        if (!current_.spoken.isEmpty() || !current_.shown.isEmpty()) {
            current_.settings = settings;
            out_.elements.append(current_);
        }
        current_ = TextPiece{};
        current_.emphasized = inEmphasis_;
    }

    SpeechText& out_;
    TextPiece current_;
    bool emphasisPending_ = false;
    bool inEmphasis_ = false;
};

qsizetype findTagEnd(const QString& text, qsizetype from) {
    bool quoted = false;
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text[i] == u'"') {
            quoted = !quoted;
        } else if (text[i] == u'\\' && !quoted) {
            return i;
        }
    }
    return text.indexOf(u'\\', from);
}

// The tags without arguments: emphasis, a reset, and the last statement again.
bool applyBareTag(const QString& name, Builder& builder, const SpeechText& last) {
    if (name == u"emp") {
        builder.emphasizeNextWord();
    } else if (name == u"rst") {
        builder.changeSettings(VoiceSettings{});
    } else if (name == u"lst") {
        for (const SpeechElement& element : last.elements) {
            builder.appendElement(element);
        }
    } else {
        return false;
    }
    return true;
}

// The value of a tag that takes one word of a fixed list, found without regard to case.
template <typename T>
std::optional<T> oneOf(const QStringList& args, std::initializer_list<std::pair<QStringView, T>> words) {
    if (args.size() != 1) {
        return std::nullopt;
    }
    for (const auto& [word, value] : words) {
        if (args[0].compare(word, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return std::nullopt;
}

std::optional<qint64> oneInteger(const QStringList& args) {
    return args.size() == 1 ? toInteger(args[0]) : std::nullopt;
}

// The tags that change how the rest is spoken; false, leaving `next` as it was, for a value out of range.
bool applySetting(const QString& name, const QStringList& args, VoiceSettings& next) {
    if (name == u"chr") {
        const auto value = oneOf<VoiceCharacter>(args, {{u"normal", VoiceCharacter::Normal},
                                                        {u"monotone", VoiceCharacter::Monotone},
                                                        {u"whisper", VoiceCharacter::Whisper}});
        if (!value) {
            return false;
        }
        next.character = *value;
    } else if (name == u"ctx") {
        const auto value = oneOf<TextContext>(args, {{u"unknown", TextContext::Unknown},
                                                     {u"address", TextContext::Address},
                                                     {u"email", TextContext::Email}});
        if (!value) {
            return false;
        }
        next.context = *value;
    } else if (name == u"pit" || name == u"spd") {
        const auto value = oneInteger(args);
        if (!value || *value <= 0 || *value > 100000) {
            return false;
        }
        (name == u"pit" ? next.pitchHz : next.speedWpm) = static_cast<int>(*value);
    } else if (name == u"vol") {
        const auto value = oneInteger(args);
        if (!value || *value < 0 || *value > 65535) {
            return false;
        }
        next.volume = static_cast<int>(*value);
    } else {
        return false;
    }
    return true;
}

// The tags that put something into the text: a mapped word, a bookmark, a pause.
bool applyInsertion(const QString& name, const QStringList& args, bool allQuoted, Builder& builder) {
    if (name == u"map") {
        if (args.size() != 2 || !allQuoted) {
            return false;
        }
        builder.appendMapped(args[0], args[1]);
    } else if (name == u"mrk") {
        const auto id = oneInteger(args);
        if (!id || *id < INT32_MIN || *id > INT32_MAX) {
            return false;
        }
        builder.appendElement(Bookmark{static_cast<int>(*id)});
    } else if (name == u"pau") {
        const auto ms = oneInteger(args);
        if (!ms || *ms < 0) {
            return false;
        }
        builder.appendElement(Pause{static_cast<int>(std::min<qint64>(*ms, SpeechTagParser::kMaxPauseMs))});
    } else {
        return false;
    }
    return true;
}

// Carries out one tag; returns false when it is unknown or malformed, which leaves everything as it was.
bool applyTag(QStringView body, Builder& builder, const SpeechText& last) {
    const qsizetype eq = body.indexOf(u'=');
    const QString name = body.left(eq < 0 ? body.size() : eq).trimmed().toString().toLower();
    if (eq < 0) {
        return applyBareTag(name, builder, last);
    }
    bool allQuoted = false;
    const std::optional<QStringList> args = splitArguments(body.mid(eq + 1), &allQuoted);
    if (!args) {
        return false;
    }
    if (applyInsertion(name, *args, allQuoted, builder)) {
        return true;
    }
    VoiceSettings next = builder.settings;
    if (!applySetting(name, *args, next)) {
        return false;
    }
    builder.changeSettings(next);
    return true;
}

}  // namespace

SpeechText SpeechTagParser::parse(const QString& text) {
    SpeechText out;
    Builder builder(out);
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c != u'\\') {
            builder.appendChar(c);
            ++i;
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == u'\\') {
            builder.appendChar(u'\\');
            i += 2;
            continue;
        }
        const qsizetype end = findTagEnd(text, i + 1);
        if (end < 0) {
            // A tag that never closes: drop what looks like it (up to the next space) and keep the rest.
            ++i;
            while (i < text.size() && !text[i].isSpace()) {
                ++i;
            }
            continue;
        }
        applyTag(QStringView(text).mid(i + 1, end - i - 1), builder, last_);
        i = end + 1;
    }
    builder.finish();
    last_ = out;
    return out;
}

}  // namespace agent::speech

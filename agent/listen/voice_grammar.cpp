#include "agent/listen/voice_grammar.h"

#include <QSet>
#include <algorithm>

namespace agent::listen {

namespace {

constexpr int kMaxDepth = 16;

using Kind = PhraseNode::Kind;

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'\'';
}

class Reader {
public:
    explicit Reader(const QString& text) : text_(text) {}

    Result<PhraseNode> phrase() {
        PhraseNode node = choice(QChar(), 0);
        if (error_.isEmpty() && pos_ < text_.size()) {
            error_ = QStringLiteral("'%1' at %2 without its opening bracket").arg(text_[pos_]).arg(pos_ + 1);
        }
        if (!error_.isEmpty()) {
            return agent::fail(error_);
        }
        return node;
    }

private:
    // Alternatives up to `close` (none at the top level), each a sequence.
    PhraseNode choice(QChar close, int depth) {
        if (depth > kMaxDepth) {
            fail(QStringLiteral("brackets nested more than %1 deep").arg(kMaxDepth));
        }
        std::vector<PhraseNode> alternatives;
        alternatives.push_back(sequence(depth));
        while (error_.isEmpty() && pos_ < text_.size() && text_[pos_] == u'|') {
            ++pos_;
            alternatives.push_back(sequence(depth));
        }
        if (!error_.isEmpty()) {
            return {};
        }
        if (!close.isNull()) {
            if (pos_ >= text_.size() || text_[pos_] != close) {
                fail(QStringLiteral("'%1' not closed").arg(QChar(close == u')' ? u'(' : u'[')));
                return {};
            }
            ++pos_;
        }
        return makeChoice(std::move(alternatives));
    }

    PhraseNode sequence(int depth) {
        PhraseNode seq;
        while (error_.isEmpty() && pos_ < text_.size()) {
            const QChar c = text_[pos_];
            if (c == u'|' || c == u')' || c == u']') {
                break;
            }
            if (c == u'[' || c == u'(') {
                ++pos_;
                PhraseNode inner = choice(c == u'[' ? u']' : u')', depth + 1);
                if (c == u'[') {
                    inner = makeOptional(std::move(inner));
                }
                if (hasWords(inner)) {
                    seq.parts.push_back(std::move(inner));
                }
            } else if (isWordChar(c)) {
                const qsizetype start = pos_;
                while (pos_ < text_.size() && isWordChar(text_[pos_])) {
                    ++pos_;
                }
                // an apostrophe belongs to a word only inside it ("o'clock"); around it, it quotes
                QString word = text_.mid(start, pos_ - start).toLower();
                while (word.startsWith(u'\'')) {
                    word.remove(0, 1);
                }
                while (word.endsWith(u'\'')) {
                    word.chop(1);
                }
                if (!word.isEmpty()) {
                    seq.parts.push_back(PhraseNode{Kind::Word, word, {}});
                }
            } else {
                ++pos_;  // spaces and punctuation only part words
            }
        }
        if (seq.parts.size() == 1) {
            return std::move(seq.parts.front());
        }
        return seq;
    }

    static bool hasWords(const PhraseNode& node) {
        if (node.kind == Kind::Word) {
            return true;
        }
        for (const PhraseNode& part : node.parts) {
            if (hasWords(part)) {
                return true;
            }
        }
        return false;
    }

    // "(a | )": an alternative with no words makes the choice one that may be left out.
    static PhraseNode makeChoice(std::vector<PhraseNode> alternatives) {
        std::vector<PhraseNode> spoken;
        bool mayBeEmpty = false;
        for (PhraseNode& alt : alternatives) {
            if (hasWords(alt)) {
                spoken.push_back(std::move(alt));
            } else {
                mayBeEmpty = true;
            }
        }
        PhraseNode node;
        if (spoken.size() == 1) {
            node = std::move(spoken.front());
        } else {
            node.kind = spoken.empty() ? Kind::Sequence : Kind::Choice;
            node.parts = std::move(spoken);
        }
        return mayBeEmpty && hasWords(node) ? makeOptional(std::move(node)) : node;
    }

    static PhraseNode makeOptional(PhraseNode inner) {
        if (inner.kind == Kind::Optional || !hasWords(inner)) {
            return inner;
        }
        PhraseNode node{Kind::Optional, {}, {}};
        node.parts.push_back(std::move(inner));
        return node;
    }

    void fail(const QString& message) {
        if (error_.isEmpty()) {
            error_ = message;
        }
    }

    const QString& text_;
    qsizetype pos_ = 0;
    QString error_;
};

bool nullable(const PhraseNode& node) {
    switch (node.kind) {
        case Kind::Word:
            return false;
        case Kind::Optional:
            return true;
        case Kind::Choice:
            for (const PhraseNode& alt : node.parts) {
                if (nullable(alt)) {
                    return true;
                }
            }
            return false;
        case Kind::Sequence:
            for (const PhraseNode& part : node.parts) {
                if (!nullable(part)) {
                    return false;
                }
            }
            return true;
    }
    return true;
}

QString expansion(const PhraseNode& node);

QString joined(const std::vector<PhraseNode>& parts, size_t from) {
    QStringList items;
    for (size_t i = from; i < parts.size(); ++i) {
        items << expansion(parts[i]);
    }
    return items.join(u' ');
}

QString expansion(const PhraseNode& node) {
    switch (node.kind) {
        case Kind::Word:
            return node.word;
        case Kind::Optional:
            return u'[' + expansion(node.parts.front()) + u']';
        case Kind::Choice: {
            QStringList alts;
            for (const PhraseNode& alt : node.parts) {
                alts << expansion(alt);
            }
            return u'(' + alts.join(QStringLiteral(" | ")) + u')';
        }
        case Kind::Sequence:
            return joined(node.parts, 0);
    }
    return {};
}

// The expansion without its empty way of saying it: for a sequence of parts that may all be left out, one
// alternative for each part that can be the first one said.
QString nonEmptyExpansion(const PhraseNode& node) {
    if (!nullable(node)) {
        return expansion(node);
    }
    QStringList alts;
    switch (node.kind) {
        case Kind::Word:
            return node.word;
        case Kind::Optional:
            return nonEmptyExpansion(node.parts.front());
        case Kind::Choice:
            for (const PhraseNode& alt : node.parts) {
                alts << nonEmptyExpansion(alt);
            }
            break;
        case Kind::Sequence:
            for (size_t i = 0; i < node.parts.size(); ++i) {
                const QString rest = joined(node.parts, i + 1);
                alts << (rest.isEmpty() ? nonEmptyExpansion(node.parts[i])
                                        : nonEmptyExpansion(node.parts[i]) + u' ' + rest);
            }
            break;
    }
    return alts.size() == 1 ? alts.front() : u'(' + alts.join(QStringLiteral(" | ")) + u')';
}

// How many words expansion() and nonEmptyExpansion() write, without writing them: a long phrase of parts that
// may all be left out repeats each part's followers once for every part before it.
qint64 expansionSize(const PhraseNode& node) {
    if (node.kind == Kind::Word) {
        return 1;
    }
    qint64 size = 0;
    for (const PhraseNode& part : node.parts) {
        size += expansionSize(part);
    }
    return size;
}

qint64 nonEmptySize(const PhraseNode& node) {
    if (!nullable(node)) {
        return expansionSize(node);
    }
    qint64 size = 0;
    switch (node.kind) {
        case Kind::Word:
            return 1;
        case Kind::Optional:
            return nonEmptySize(node.parts.front());
        case Kind::Choice:
            for (const PhraseNode& alt : node.parts) {
                size += nonEmptySize(alt);
            }
            return size;
        case Kind::Sequence: {
            qint64 rest = expansionSize(node);
            for (const PhraseNode& part : node.parts) {
                rest -= expansionSize(part);
                size += nonEmptySize(part) + rest;
            }
            return size;
        }
    }
    return size;
}

using Saying = QStringList;

// Adds a saying unless it is there already, so the limit counts different sayings.
void addSaying(QList<Saying>* sayings, QSet<QString>* seen, const Saying& saying) {
    if (!seen->contains(saying.join(u' '))) {
        seen->insert(saying.join(u' '));
        sayings->append(saying);
    }
}

QList<Saying> sayingsOf(const PhraseNode& node, int limit) {
    switch (node.kind) {
        case Kind::Word:
            return {Saying{node.word}};
        case Kind::Optional: {
            QList<Saying> result = sayingsOf(node.parts.front(), limit);
            result.append(Saying{});
            return result.mid(0, limit);
        }
        case Kind::Choice: {
            QList<Saying> result;
            QSet<QString> seen;
            for (const PhraseNode& alt : node.parts) {
                for (const Saying& saying : sayingsOf(alt, limit)) {
                    if (result.size() < limit) {
                        addSaying(&result, &seen, saying);
                    }
                }
            }
            return result;
        }
        case Kind::Sequence: {
            QList<Saying> result{Saying{}};
            for (const PhraseNode& part : node.parts) {
                const QList<Saying> tails = sayingsOf(part, limit);
                QList<Saying> grown;
                QSet<QString> seen;
                for (const Saying& head : result) {
                    for (const Saying& tail : tails) {
                        if (grown.size() < limit) {
                            addSaying(&grown, &seen, head + tail);
                        }
                    }
                }
                result = std::move(grown);
            }
            return result;
        }
    }
    return {};
}

// Where in `words` the node can end when it starts at any of `starts` (one flag per position, 0 to size).
std::vector<bool> ends(const PhraseNode& node, const QStringList& words, const std::vector<bool>& starts) {
    std::vector<bool> result(starts.size(), false);
    switch (node.kind) {
        case Kind::Word:
            for (qsizetype i = 0; i < words.size(); ++i) {
                if (starts[std::size_t(i)] && words[i] == node.word) {
                    result[std::size_t(i + 1)] = true;
                }
            }
            break;
        case Kind::Optional:
            result = ends(node.parts.front(), words, starts);
            for (std::size_t i = 0; i < starts.size(); ++i) {
                result[i] = result[i] || starts[i];
            }
            break;
        case Kind::Choice:
            for (const PhraseNode& alt : node.parts) {
                const std::vector<bool> reached = ends(alt, words, starts);
                for (std::size_t i = 0; i < reached.size(); ++i) {
                    result[i] = result[i] || reached[i];
                }
            }
            break;
        case Kind::Sequence:
            result = starts;
            for (const PhraseNode& part : node.parts) {
                result = ends(part, words, result);
            }
            break;
    }
    return result;
}

void collectWords(const PhraseNode& node, QStringList* words) {
    if (node.kind == Kind::Word) {
        if (!words->contains(node.word)) {
            words->append(node.word);
        }
        return;
    }
    for (const PhraseNode& part : node.parts) {
        collectWords(part, words);
    }
}

}  // namespace

Result<VoicePhrase> VoicePhrase::parse(const QString& text) {
    Result<PhraseNode> root = Reader(text).phrase();
    if (!root) {
        return root.failure();
    }
    QStringList words;
    collectWords(*root, &words);
    if (words.isEmpty()) {
        return fail(QStringLiteral("no word to say"));
    }
    VoicePhrase phrase;
    phrase.root_ = std::move(*root);
    return phrase;
}

QString VoicePhrase::jsgf() const {
    return nonEmptyExpansion(root_);
}

QStringList VoicePhrase::sayings(int limit) const {
    QStringList result;
    QSet<QString> seen;
    for (const Saying& saying : sayingsOf(root_, limit + 1)) {
        const QString text = saying.join(u' ');
        if (!text.isEmpty() && !seen.contains(text) && result.size() < limit) {
            seen.insert(text);
            result << text;
        }
    }
    return result;
}

bool VoicePhrase::matches(const QStringList& words) const {
    if (words.isEmpty()) {
        return false;
    }
    std::vector<bool> starts(std::size_t(words.size() + 1), false);
    starts[0] = true;
    return ends(root_, words, starts).back();
}

qint64 VoicePhrase::grammarSize() const {
    return nonEmptySize(root_);
}

namespace {

void joinAlternatives(PhraseNode& node, QChar joiner) {
    const bool alternatives = node.kind == Kind::Choice || node.kind == Kind::Optional;
    for (PhraseNode& part : node.parts) {
        const bool plainWords = part.kind == Kind::Sequence && part.parts.size() >= 2 &&
                                std::all_of(part.parts.begin(), part.parts.end(),
                                            [](const PhraseNode& w) { return w.kind == Kind::Word; });
        if (alternatives && plainWords) {
            QStringList words;
            for (const PhraseNode& w : part.parts) {
                words << w.word;
            }
            part = PhraseNode{Kind::Word, words.join(joiner), {}};
        } else {
            joinAlternatives(part, joiner);
        }
    }
}

}  // namespace

VoicePhrase VoicePhrase::withJoinedAlternatives(QChar joiner) const {
    VoicePhrase joined = *this;
    joinAlternatives(joined.root_, joiner);
    return joined;
}

QStringList VoicePhrase::words() const {
    QStringList words;
    collectWords(root_, &words);
    return words;
}

}  // namespace agent::listen

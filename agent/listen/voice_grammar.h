// The voice-grammar notation a command's phrase is written in: words, square brackets around words that may
// be left out, round brackets around alternatives separated by bars. "[Move Me]Home", "(Introduction |
// Introduce)", "What is the [date]?". Letter case and punctuation do not count; brackets nest.
//
// A phrase is read into a small tree, from which come the JSGF rule the recognizer is given, every way the
// phrase can be said, and its words. A phrase that can only be said as nothing ("[Future]" with the word left
// out) never matches silence: its rule requires at least one word.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "agent/result.h"

namespace agent::listen {

struct PhraseNode {
    enum class Kind { Word, Sequence, Optional, Choice };
    Kind kind = Kind::Sequence;
    QString word;  // Kind::Word: lower case, letters, digits and apostrophes
    std::vector<PhraseNode>
        parts;  // the sequence's items, the optional's sequence, the choice's alternatives
};

class VoicePhrase {
public:
    // Reads a phrase. Fails, saying what is wrong, for unbalanced brackets, a phrase too deeply nested, or
    // one with no word to say.
    static Result<VoicePhrase> parse(const QString& text);

    // The phrase as a JSGF rule expansion ("[move me] home"), never matching an empty utterance.
    QString jsgf() const;
    // Every way the phrase can be said, as words separated by single spaces, in the order the notation gives
    // them (each optional part first with its words, then without). At most `limit` of them: a phrase of a
    // few lists of alternatives has millions.
    QStringList sayings(int limit = 256) const;
    // The number of words in jsgf(), each a step of the recognizer's search: what the phrase costs it.
    qint64 grammarSize() const;
    // Whether the words (lower case, as the recognizer gives them) are one way of saying the phrase.
    bool matches(const QStringList& words) const;
    // The phrase's distinct words, in order of first appearance.
    QStringList words() const;
    // The same phrase with each alternative said as a few plain words in a row ("(small | twelve ounce)",
    // "[a bit of]") made one word of them joined by `joiner` ("twelve~ounce"): a search then steps from
    // alternative to alternative without a state for each word inside one.
    VoicePhrase withJoinedAlternatives(QChar joiner) const;

    const PhraseNode& root() const { return root_; }

private:
    PhraseNode root_;
};

}  // namespace agent::listen

// The voice-grammar notation of a command's phrase: what it reads, the JSGF rule the recognizer is given,
// every way the phrase can be said and its words, and the texts it refuses.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include <QSet>
#include <vector>

#include "agent/listen/voice_grammar.h"
#include "tests/support/qt_printers.h"

namespace agent::listen {
namespace {

struct PhraseCase {
    const char* text;
    const char* jsgf;
    std::vector<const char*> sayings;
};

void PrintTo(const PhraseCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

QStringList listOf(const std::vector<const char*>& texts) {
    QStringList list;
    for (const char* t : texts) {
        list << QString::fromUtf8(t);
    }
    return list;
}

class PhraseReading : public ::testing::TestWithParam<PhraseCase> {};

TEST_P(PhraseReading, GivesTheRuleAndEveryWayToSayIt) {
    const PhraseCase& c = GetParam();
    const Result<VoicePhrase> phrase = VoicePhrase::parse(QString::fromUtf8(c.text));
    ASSERT_TRUE(phrase) << phrase.error().toStdString();
    const QStringList sayings = phrase->sayings();
    EXPECT_EQ(sayings, listOf(c.sayings));
    const QString rule = phrase->jsgf();
    EXPECT_EQ(rule, QString::fromUtf8(c.jsgf));
    const QStringList ruleWords = rule.split(QRegularExpression("[\\s()\\[\\]|]+"), Qt::SkipEmptyParts);
    EXPECT_EQ(phrase->grammarSize(), ruleWords.size());
    QStringList distinct = ruleWords;
    distinct.removeDuplicates();
    EXPECT_EQ(phrase->words(), distinct) << "the distinct words in order of first appearance";

    // The words heard are matched against the phrase as the rule does: every saying and none of its
    // beginnings or lengthenings that are no saying.
    const QSet<QString> all(sayings.begin(), sayings.end());
    EXPECT_FALSE(phrase->matches({}));
    for (const QString& saying : sayings) {
        const QStringList words = saying.split(u' ');
        for (qsizetype n = 1; n <= words.size(); ++n) {
            EXPECT_EQ(phrase->matches(words.mid(0, n)), all.contains(words.mid(0, n).join(u' ')))
                << words.mid(0, n).join(u' ').toStdString();
        }
        EXPECT_FALSE(phrase->matches(words + QStringList{"again"})) << saying.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Phrases, PhraseReading,
    ::testing::Values(
        PhraseCase{
            "[Character] Properties", "[character] properties", {"character properties", "properties"}},
        PhraseCase{"(Introduction | Introduce)", "(introduction | introduce)", {"introduction", "introduce"}},
        PhraseCase{"[Future]", "future", {"future"}},
        // Nesting, parts that may all be left out, and alternatives with nothing to say.
        PhraseCase{"[a (b | c)] d", "[a (b | c)] d", {"a b d", "a c d", "d"}},
        PhraseCase{"[a] [b] [c]", "(a [b] [c] | b [c] | c)", {"a b c", "a b", "a c", "a", "b c", "b", "c"}},
        PhraseCase{"[(a | b)]", "(a | b)", {"a", "b"}}, PhraseCase{"[[a] b]", "[a] b", {"a b", "b"}},
        PhraseCase{"([a] | [b])", "(a | b)", {"a", "b"}},
        PhraseCase{"go (a | b | ) now", "go [(a | b)] now", {"go a now", "go b now", "go now"}},
        PhraseCase{"a | b", "(a | b)", {"a", "b"}}, PhraseCase{"[] ((home))", "home", {"home"}},
        // Two alternatives that say the same words are one saying.
        PhraseCase{"(hi | hi | hello) there [there]",
                   "(hi | hi | hello) there [there]",
                   {"hi there there", "hi there", "hello there there", "hello there"}},
        // Writing: case, spaces, punctuation and quoting apostrophes part words; letters of any script.
        PhraseCase{"  Hello, Max!\tit's good-bye 'cheese' 2",
                   "hello max it's good bye cheese 2",
                   {"hello max it's good bye cheese 2"}},
        PhraseCase{"Schöne Grüße", "schöne grüße", {"schöne grüße"}}));

QString nested(int depth, const QString& inside) {
    return QString(depth, u'(') + inside + QString(depth, u')');
}

TEST(MalformedPhrase, IsRefusedWithAReason) {
    // Brackets that do not match, nothing to say, nested too deep.
    QStringList texts = {"[a", "a]", "[a (b] c)", "?", "( | )", "[()] ([])", "' '"};
    texts << nested(17, "home") << QString(400, u'[');
    for (const QString& text : texts) {
        SCOPED_TRACE(text.left(40).toStdString());
        const Result<VoicePhrase> phrase = VoicePhrase::parse(text);
        EXPECT_FALSE(phrase) << "read as " << phrase->jsgf().toStdString();
        EXPECT_FALSE(phrase.error().isEmpty());
    }
    EXPECT_EQ(VoicePhrase::parse("[a").error(), "'[' not closed");
    EXPECT_EQ(VoicePhrase::parse("(a | b").error(), "'(' not closed");
}

}  // namespace
}  // namespace agent::listen

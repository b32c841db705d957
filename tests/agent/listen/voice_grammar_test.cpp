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

// Length costs the recognizer states, which grammarSize counts; the reader itself takes any length.
TEST(PhraseLength, LongPhrasesAreReadAndMatchedWhole) {
    const QString card = QStringLiteral(
        "(ace | two | three | four | five | six | seven | eight | nine | ten | jack | "
        "queen | king) [of] (clubs | hearts | diamonds | spades) ");
    const struct {
        QString text;
        qint64 size;
        QStringList heard;  // the last of 2^n readings, far past any list of them
    } cases[] = {
        {card.repeated(3), 3 * 18, QStringList{"king", "spades", "king", "spades", "king", "spades"}},
        // a run of optional parts is written once for each part that can come first: n(n+1)/2 words
        {QStringLiteral("[a] ").repeated(300), 300 * 301 / 2, QStringList{"a"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.left(40).toStdString());
        const Result<VoicePhrase> phrase = VoicePhrase::parse(c.text);
        ASSERT_TRUE(phrase) << phrase.error().toStdString();
        EXPECT_EQ(phrase->grammarSize(), c.size);
        EXPECT_TRUE(phrase->matches(c.heard));
        EXPECT_FALSE(phrase->matches(c.heard.mid(1) + QStringList{"clubs"}));
    }
}

TEST(PhraseSayings, StopAtTheLimitInTheOrderTheNotationGivesThem) {
    const Result<VoicePhrase> phrase =
        VoicePhrase::parse("(one | two | three | four) (a | b | c | d) (x | y | z | w) [now]");
    ASSERT_TRUE(phrase) << phrase.error().toStdString();
    const QStringList all = phrase->sayings(1000);
    ASSERT_EQ(all.size(), 128);
    EXPECT_EQ(all.front(), "one a x now");
    EXPECT_EQ(all[1], "one a x");
    EXPECT_EQ(all.back(), "four d w");
    EXPECT_EQ(QSet<QString>(all.begin(), all.end()).size(), all.size()) << "a saying is listed twice";
    for (const int limit : {1, 2, 5, 10, 127, 128}) {
        EXPECT_EQ(phrase->sayings(limit), all.mid(0, limit)) << "limit " << limit;
    }
    EXPECT_EQ(phrase->sayings(), all) << "the default limit is larger than this phrase";

    // 4096 ways: cut at the default limit.
    const QStringList cut = VoicePhrase::parse(QStringLiteral("(a | b | c | d | e | f | g | h) ").repeated(4))
                                .valueOr(VoicePhrase())
                                .sayings();
    EXPECT_EQ(cut.size(), 256);
    EXPECT_EQ(cut.front(), "a a a a");
    EXPECT_EQ(cut.back(), "a d h h");
    // The limit counts different sayings: a phrase with two of them gives both when two are asked for.
    EXPECT_EQ(VoicePhrase::parse("(hi | hi | hi | hello) there").valueOr(VoicePhrase()).sayings(2),
              (QStringList{"hi there", "hello there"}));
}

// Alternatives of a few plain words become one word each; words in a row outside alternatives, and
// alternatives with brackets inside, stay as they are. What the joined phrase matches is the same sayings.
TEST(JoinedAlternatives, MakeOneWordOfEachAlternativeOfPlainWords) {
    const struct {
        const char* text;
        const char* jsgf;
        const char* saying;  // in joined words
    } cases[] = {
        {"[can I have | I'd like] (small | twelve ounce) latte",
         "[(can~i~have | i'd~like)] (small | twelve~ounce) latte", "i'd~like twelve~ounce latte"},
        {"with [a bit of] milk", "with [a~bit~of] milk", "with a~bit~of milk"},
        {"(one (two | three four) | five six)", "(one (two | three~four) | five~six)", "one three~four"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Result<VoicePhrase> phrase = VoicePhrase::parse(QString::fromUtf8(c.text));
        ASSERT_TRUE(phrase) << phrase.error().toStdString();
        const VoicePhrase joined = phrase->withJoinedAlternatives(u'~');
        EXPECT_EQ(joined.jsgf(), QString::fromUtf8(c.jsgf));
        EXPECT_TRUE(joined.matches(QString::fromUtf8(c.saying).split(u' ')));
        EXPECT_EQ(joined.sayings().size(), phrase->sayings().size());
    }
}

}  // namespace
}  // namespace agent::listen

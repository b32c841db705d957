// The voice-grammar notation of a command's phrase: what it reads, the JSGF rule the recognizer is given,
// every way the phrase can be said and its words, and the texts it refuses.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include <QSet>
#include <optional>
#include <vector>

#include "agent/listen/voice_grammar.h"
#include "tests/support/qt_printers.h"

namespace agent::listen {
namespace {

// Every word sequence a JSGF expansion of words, [optional parts] and (alternatives | separated by bars)
// matches, each as words joined by single spaces. Nothing when the expansion is not well formed. Read here on
// its own, so the rule is checked against what the phrase says rather than against the code that wrote it.
class JsgfLanguage {
public:
    static std::optional<QSet<QString>> of(const QString& expansion) {
        JsgfLanguage reader(expansion);
        std::optional<QList<QStringList>> all = reader.alternatives();
        if (!all || reader.pos_ != reader.tokens_.size()) {
            return std::nullopt;
        }
        QSet<QString> result;
        for (const QStringList& words : *all) {
            result.insert(words.join(u' '));
        }
        return result;
    }

private:
    explicit JsgfLanguage(const QString& text) {
        QString word;
        for (const QChar c : text) {
            if (c == u' ' || c == u'[' || c == u']' || c == u'(' || c == u')' || c == u'|') {
                if (!word.isEmpty()) {
                    tokens_ << word;
                    word.clear();
                }
                if (c != u' ') {
                    tokens_ << QString(c);
                }
            } else {
                word += c;
            }
        }
        if (!word.isEmpty()) {
            tokens_ << word;
        }
    }

    bool at(const char* token) const {
        return pos_ < tokens_.size() && tokens_[pos_] == QLatin1String(token);
    }

    std::optional<QList<QStringList>> alternatives() {
        std::optional<QList<QStringList>> all = sequence();
        while (all && at("|")) {
            ++pos_;
            std::optional<QList<QStringList>> more = sequence();
            if (!more) {
                return std::nullopt;
            }
            all->append(*more);
        }
        return all;
    }

    std::optional<QList<QStringList>> sequence() {
        QList<QStringList> result{QStringList()};
        while (pos_ < tokens_.size() && !at("|") && !at(")") && !at("]")) {
            QList<QStringList> item;
            if (at("[") || at("(")) {
                const bool optional = at("[");
                ++pos_;
                std::optional<QList<QStringList>> inner = alternatives();
                if (!inner || !at(optional ? "]" : ")")) {
                    return std::nullopt;
                }
                ++pos_;
                item = *inner;
                if (optional) {
                    item.append(QStringList());
                }
            } else {
                item.append(QStringList{tokens_[pos_++]});
            }
            QList<QStringList> grown;
            for (const QStringList& head : result) {
                for (const QStringList& tail : item) {
                    grown.append(head + tail);
                }
            }
            result = grown;
        }
        return result;
    }

    QStringList tokens_;
    qsizetype pos_ = 0;
};

struct PhraseCase {
    const char* text;
    const char* jsgf;  // nullptr: any rule that matches exactly the sayings
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
    EXPECT_FALSE(sayings.contains(QString())) << "the phrase can be said as nothing";

    const QString rule = phrase->jsgf();
    if (c.jsgf != nullptr) {
        EXPECT_EQ(rule, QString::fromUtf8(c.jsgf));
    }
    const std::optional<QSet<QString>> matched = JsgfLanguage::of(rule);
    ASSERT_TRUE(matched) << "not a well-formed expansion: " << rule.toStdString();
    EXPECT_FALSE(matched->contains(QString())) << "the rule " << rule.toStdString() << " matches silence";
    EXPECT_EQ(*matched, QSet<QString>(sayings.begin(), sayings.end()))
        << "the rule " << rule.toStdString() << " matches other sayings than the phrase has";
    EXPECT_EQ(phrase->grammarSize(),
              rule.split(QRegularExpression("[\\s()\\[\\]|]+"), Qt::SkipEmptyParts).size());

    // The words heard are matched against the phrase as the rule does: every saying and none of its
    // beginnings or lengthenings that the rule does not say.
    EXPECT_FALSE(phrase->matches({}));
    for (const QString& saying : sayings) {
        const QStringList words = saying.split(u' ');
        for (qsizetype n = 1; n <= words.size(); ++n) {
            EXPECT_EQ(phrase->matches(words.mid(0, n)), matched->contains(words.mid(0, n).join(u' ')))
                << words.mid(0, n).join(u' ').toStdString();
        }
        EXPECT_FALSE(phrase->matches(words + QStringList{"again"})) << saying.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    CharacterCommands, PhraseReading,
    ::testing::Values(
        PhraseCase{
            "[Character] Properties", "[character] properties", {"character properties", "properties"}},
        PhraseCase{"(Introduction | Introduce)", "(introduction | introduce)", {"introduction", "introduce"}},
        PhraseCase{"[Move Me]Home ", "[move me] home", {"move me home", "home"}},
        PhraseCase{"What is the [date]?", "what is the [date]", {"what is the date", "what is the"}},
        PhraseCase{"tell [Shut Up]", "tell [shut up]", {"tell shut up", "tell"}},
        PhraseCase{"[Future]", "future", {"future"}},
        PhraseCase{"[Exit] horalia", "[exit] horalia", {"exit horalia", "horalia"}},
        PhraseCase{"[Tell] to be quiet", "[tell] to be quiet", {"tell to be quiet", "to be quiet"}}));

INSTANTIATE_TEST_SUITE_P(
    Nesting, PhraseReading,
    ::testing::Values(PhraseCase{"[a (b | c)] d", "[a (b | c)] d", {"a b d", "a c d", "d"}},
                      PhraseCase{"(a [b] | c)", "(a [b] | c)", {"a b", "a", "c"}},
                      PhraseCase{"[a] [b]", nullptr, {"a b", "a", "b"}},
                      PhraseCase{"[a] [b] [c]", nullptr, {"a b c", "a b", "a c", "a", "b c", "b", "c"}},
                      PhraseCase{"[(a | b)]", nullptr, {"a", "b"}},
                      PhraseCase{"[[a] b]", nullptr, {"a b", "b"}},
                      PhraseCase{"[a [b]]", nullptr, {"a b", "a"}},
                      PhraseCase{"([a] | [b])", nullptr, {"a", "b"}},
                      PhraseCase{"(a | ) b", "[a] b", {"a b", "b"}},
                      PhraseCase{"( | a) b", "[a] b", {"a b", "b"}}, PhraseCase{"(a | )", nullptr, {"a"}},
                      PhraseCase{"go (a | b | ) now", "go [(a | b)] now", {"go a now", "go b now", "go now"}},
                      PhraseCase{"a | b", nullptr, {"a", "b"}}, PhraseCase{"((home))", "home", {"home"}},
                      PhraseCase{"((((((Home))))))", "home", {"home"}},  // deep, but within the limit
                      // Two alternatives that say the same words are one saying.
                      PhraseCase{"(hi | hi | hi | hello) there [there]",
                                 nullptr,
                                 {"hi there there", "hi there", "hello there there", "hello there"}},
                      PhraseCase{"[] home ()", "home", {"home"}}));

INSTANTIATE_TEST_SUITE_P(
    Writing, PhraseReading,
    ::testing::Values(PhraseCase{"HoMe", "home", {"home"}},
                      PhraseCase{"It is twelve o'clock", "it is twelve o'clock", {"it is twelve o'clock"}},
                      PhraseCase{"  what   is\tthe    date  ", "what is the date", {"what is the date"}},
                      PhraseCase{"good-bye", "good bye", {"good bye"}},
                      PhraseCase{"Hello, Max!", "hello max", {"hello max"}},
                      PhraseCase{"[Wake]up", "[wake] up", {"wake up", "up"}},
                      PhraseCase{"alarm 2", "alarm 2", {"alarm 2"}},
                      // Quotation marks are punctuation: a word quoted with apostrophes is the same word.
                      PhraseCase{"say 'cheese'", "say cheese", {"say cheese"}},
                      PhraseCase{"Schöne Grüße", "schöne grüße", {"schöne grüße"}}));

QString nested(int depth, const QString& inside) {
    return QString(depth, u'(') + inside + QString(depth, u')');
}

TEST(MalformedPhrase, IsRefusedWithAReason) {
    // Brackets that do not match, nothing to say, nested too deep.
    QStringList texts = {"[a", "a]",  "(a | b", "a)", "[a (b] c)", "(a]",       "[a (b]", "[a]] b", "",
                         "?",  "   ", "[]",     "()", "( | )",     "[()] ([])", "| |",    "' '"};
    texts << nested(40, "home") << nested(240, "a") << QString(400, u'[');
    for (const QString& text : texts) {
        SCOPED_TRACE(text.left(40).toStdString());
        const Result<VoicePhrase> phrase = VoicePhrase::parse(text);
        EXPECT_FALSE(phrase) << "read as " << phrase->jsgf().toStdString();
        EXPECT_FALSE(phrase.error().isEmpty());
    }
}

TEST(PhraseReason, AnUnclosedBracketIsNamed) {
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
        {QStringLiteral("home ").repeated(2000), 2000, QStringList(2000, "home")},
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
}

TEST(PhraseSayings, AManyAlternativePhraseIsCutAtTheDefaultLimit) {
    const QString choice = QStringLiteral("(a | b | c | d | e | f | g | h) ");
    const Result<VoicePhrase> phrase = VoicePhrase::parse(choice.repeated(4));  // 4096 ways
    ASSERT_TRUE(phrase) << phrase.error().toStdString();
    const QStringList sayings = phrase->sayings();
    EXPECT_EQ(sayings.size(), 256);
    EXPECT_EQ(sayings.front(), "a a a a");
    EXPECT_EQ(sayings.back(), "a d h h");
}

// The limit counts different sayings: a phrase with two of them gives both when two are asked for.
TEST(PhraseSayings, SayingsTheSameDoNotUseUpTheLimit) {
    const Result<VoicePhrase> phrase = VoicePhrase::parse("(hi | hi | hi | hello) there");
    ASSERT_TRUE(phrase) << phrase.error().toStdString();
    EXPECT_EQ(phrase->sayings(2), (QStringList{"hi there", "hello there"}));
}

TEST(PhraseWords, AreDistinctInOrderOfFirstAppearance) {
    const struct {
        const char* text;
        std::vector<const char*> words;
    } cases[] = {{"[Move Me]Home ", {"move", "me", "home"}},
                 {"What is the [date]? What IS it", {"what", "is", "the", "date", "it"}},
                 {"[a (b | c)] d (c | a | e)", {"a", "b", "c", "d", "e"}},
                 {"(Introduction | Introduce) introduction", {"introduction", "introduce"}},
                 {"[] (x | ) x", {"x"}},
                 {"say 'cheese'", {"say", "cheese"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        [&] {  // a case that fails ends itself, not the others
            const Result<VoicePhrase> phrase = VoicePhrase::parse(QString::fromUtf8(c.text));
            ASSERT_TRUE(phrase) << phrase.error().toStdString();
            EXPECT_EQ(phrase->words(), listOf(c.words));
        }();
    }
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
        {"go forward ten meters", "go forward ten meters", "go forward ten meters"},
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

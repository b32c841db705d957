// The voice-grammar notation of a command's phrase: what it reads, the JSGF rule the recognizer is given,
// every way the phrase can be said and its words, and the texts it refuses. Then the words' pronunciations
// from espeak-ng's IPA: every sound of American English maps onto one of the acoustic model's ARPAbet phones.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>

#include "agent/listen/pronunciation.h"
#include "agent/listen/voice_grammar.h"
#include "agent/speech/espeak_synthesizer.h"
#include "tests/support/qt_printers.h"

namespace agent::listen {
namespace {

TEST(PhraseReading, GivesTheRuleAndEveryWayToSayItOrRefusesAMalformedPhraseWithAReason) {
    const std::tuple<const char*, const char*, QStringList> cases[] = {
        {"[Character] Properties", "[character] properties", {"character properties", "properties"}},
        {"(Introduction | Introduce)", "(introduction | introduce)", {"introduction", "introduce"}},
        {"[Future]", "future", {"future"}},
        // Nesting, parts that may all be left out, and alternatives with nothing to say.
        {"[a (b | c)] d", "[a (b | c)] d", {"a b d", "a c d", "d"}},
        {"[a] [b] [c]", "(a [b] [c] | b [c] | c)", {"a b c", "a b", "a c", "a", "b c", "b", "c"}},
        {"[(a | b)]", "(a | b)", {"a", "b"}},
        {"[[a] b]", "[a] b", {"a b", "b"}},
        {"([a] | [b])", "(a | b)", {"a", "b"}},
        {"go (a | b | ) now", "go [(a | b)] now", {"go a now", "go b now", "go now"}},
        {"a | b", "(a | b)", {"a", "b"}},
        {"[] ((home))", "home", {"home"}},
        // Two alternatives that say the same words are one saying.
        {"(hi | hi | hello) there [there]",
         "(hi | hi | hello) there [there]",
         {"hi there there", "hi there", "hello there there", "hello there"}},
        // Writing: case, spaces, punctuation and quoting apostrophes part words; letters of any script.
        {"  Hello, Max!\tit's good-bye 'cheese' 2",
         "hello max it's good bye cheese 2",
         {"hello max it's good bye cheese 2"}},
        {"Schöne Grüße", "schöne grüße", {"schöne grüße"}},
    };
    for (const auto& [text, jsgf, expected] : cases) {
        SCOPED_TRACE(text);
        const Result<VoicePhrase> phrase = VoicePhrase::parse(QString::fromUtf8(text));
        ASSERT_TRUE(phrase) << phrase.error().toStdString();
        const QStringList sayings = phrase->sayings();
        const QString rule = phrase->jsgf();
        EXPECT_EQ(std::pair(sayings, rule), std::pair(expected, QString::fromUtf8(jsgf)));
        QStringList words = rule.split(QRegularExpression("[\\s()\\[\\]|]+"), Qt::SkipEmptyParts);
        EXPECT_EQ(phrase->grammarSize(), words.size());
        words.removeDuplicates();
        EXPECT_EQ(phrase->words(), words) << "the distinct words in order of first appearance";

        // The words heard are matched against the phrase as the rule does: every saying and none of its
        // beginnings or lengthenings that are no saying.
        EXPECT_FALSE(phrase->matches({}));
        for (const QString& saying : sayings) {
            const QStringList said = saying.split(u' ');
            for (qsizetype n = 1; n <= said.size(); ++n) {
                EXPECT_EQ(phrase->matches(said.mid(0, n)), sayings.contains(said.mid(0, n).join(u' ')))
                    << said.mid(0, n).join(u' ').toStdString();
            }
            EXPECT_FALSE(phrase->matches(said + QStringList{"again"})) << saying.toStdString();
        }
    }

    // Brackets that do not match, nothing to say, nested too deep.
    QStringList texts = {"[a", "a]", "[a (b] c)", "?", "( | )", "[()] ([])", "' '", QString(400, u'[')};
    texts << QString(17, u'(') + "home" + QString(17, u')');
    for (const QString& text : texts) {
        EXPECT_FALSE(VoicePhrase::parse(text).error().isEmpty()) << text.left(40).toStdString();
    }
    EXPECT_EQ(VoicePhrase::parse("[a").error(), "'[' not closed");
    EXPECT_EQ(VoicePhrase::parse("(a | b").error(), "'(' not closed");
    // Sixteen deep is as deep as it goes.
    EXPECT_TRUE(VoicePhrase::parse(QString(16, u'(') + "home" + QString(16, u')')).error().isEmpty());
}

// Everything espeak-ng says for the clock's words and a broad sample of English maps onto the model, sound by
// sound: no sound of an American English voice is dropped for want of a phone.
TEST(EspeakPronunciations, EverySoundOfAmericanEnglishHasAPhone) {
    speech::EspeakSynthesizer synthesizer;
    if (const Status has = synthesizer.hasVoice("en-us"); !has) {
        GTEST_SKIP() << "espeak-ng data missing: " << has.error().toStdString();
    }
    const QStringList words =
        QStringLiteral(
            "horalia properties o'clock thought pleasure judge sing cure poor tour fire "
            "hour near hair air north nurse button bottle little oil cow goat face "
            "square cloth bath trap kit foot goose happy rhythm which water nation")
            .split(u' ');
    const QSet<QString> model(modelPhones().begin(), modelPhones().end());
    for (const QString& word : words) {
        const Result<QString> ipa = synthesizer.phonemes(word, "en-us");
        ASSERT_TRUE(ipa) << ipa.error().toStdString();
        const QStringList phones = phonesFromIpa(*ipa);
        EXPECT_FALSE(phones.isEmpty()) << word.toStdString() << " " << ipa->toStdString();
        for (const QString& phone : phones) {
            EXPECT_TRUE(model.contains(phone)) << word.toStdString() << ": " << phone.toStdString();
        }
        for (const QString& sound : ipa->split(QRegularExpression("[_ ]"), Qt::SkipEmptyParts)) {
            if (!QString(sound).remove(QRegularExpression(QStringLiteral("[ˈˌːˑ.]"))).isEmpty()) {
                EXPECT_FALSE(phonesFromIpa(sound).isEmpty())
                    << word.toStdString() << " (" << ipa->toStdString() << "): no phone for \""
                    << sound.toStdString() << '"';
            }
        }
    }
}

}  // namespace
}  // namespace agent::listen

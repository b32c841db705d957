// How well the recognizer understands people: recordings that Debian ships (PocketSphinx's test sentences,
// KLettres' English words, alsa-utils' speaker names), each set a list of recordings with the command said in
// it (tests/agent/listen/people). A set whose package is not installed is skipped.
#include <gtest/gtest.h>
#include <string>

#include <QFileInfo>

#include "agent/listen/measurement.h"
#include "agent/listen/recognizer.h"
#include "agent/listen/sound_input.h"

namespace agent::listen {

// The commands of a set, one "name=phrase" a line; the accuracy tests read the characters' from here too.
QList<VoiceCommand> commandsIn(const QString& name) {
    QFile file(QStringLiteral(HORALIA_PEOPLE_DIR "/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text)) << name.toStdString();
    QList<VoiceCommand> commands;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.contains(u'=') && !line.startsWith(u'#')) {
            commands.append({line.section(u'=', 0, 0), line.section(u'=', 1)});
        }
    }
    return commands;
}

namespace {

const QString kSets = QStringLiteral(HORALIA_PEOPLE_DIR);

// The commands, the list of recordings, and how many at least are understood of those that say a command,
// how many at most mistaken for another, and how many at least refused of those that say none.
using PeopleSet = std::tuple<std::string, std::string, int, int, int>;

class PeopleSpeech : public ::testing::TestWithParam<PeopleSet> {
protected:
    static void SetUpTestSuite() {
        if (RecognizerModel::installed().complete()) {
            Result<std::unique_ptr<Recognizer>> created = Recognizer::create(RecognizerModel::installed());
            if (created) {
                recognizer_ = *std::move(created);
            }
        }
    }
    static void TearDownTestSuite() { recognizer_.reset(); }
    static std::unique_ptr<Recognizer> recognizer_;
};
std::unique_ptr<Recognizer> PeopleSpeech::recognizer_;

TEST_P(PeopleSpeech, AreUnderstoodAndTheirOtherSpeechRefused) {
    const auto& [commands, list, atLeastUnderstood, atMostMistaken, atLeastRefused] = GetParam();
    if (!recognizer_) {
        GTEST_SKIP() << "no acoustic model";
    }
    const Result<QList<Expectation>> recordings =
        readExpectations(kSets + u'/' + QString::fromStdString(list));
    ASSERT_TRUE(recordings) << recordings.error().toStdString();
    if (!QFileInfo::exists(recordings->front().recording)) {
        GTEST_SKIP() << recordings->front().recording.toStdString() << " is not installed";
    }
    QStringList warnings;
    ASSERT_TRUE(recognizer_->setCommands(commandsIn(QString::fromStdString(commands)), &warnings));
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(u'\n').toStdString();
    Tally tally;
    for (const auto& [path, expected] : *recordings) {
        const Result<std::vector<std::int16_t>> samples = readSoundForRecognizer(path);
        ASSERT_TRUE(samples) << samples.error().toStdString();
        const Recognition r = recognizer_->recognize(*samples);
        const QString verdict = tally.add(expected, r);
        if (verdict != QStringLiteral("understood") && !(expected.isEmpty() && verdict == u"refused")) {
            std::printf("  %s %s: \"%s\" as %s (%.2f)\n", qPrintable(verdict),
                        qPrintable(QFileInfo(path).fileName()), qPrintable(r.words),
                        r.accepted() ? qPrintable(r.command) : "nothing", r.confidence);
        }
    }
    std::printf("%s\n", qPrintable(tally.summary()));
    EXPECT_GE(tally.understood, atLeastUnderstood);
    EXPECT_LE(tally.mistaken, atMostMistaken);
    EXPECT_GE(tally.others - tally.accepted, atLeastRefused);
}

// What each set reaches today, so it only gets better. The KLettres words are what is hard: one syllable,
// and a British speaker whose "key", "sit", "say" and "the" the American model hears as other words even
// with its whole dictionary and language model.
INSTANTIATE_TEST_SUITE_P(
    Sets, PeopleSpeech,
    ::testing::Values(PeopleSet{"cards.commands", "cards.list", 5, 0, 0},
                      PeopleSet{"goforward.commands", "goforward.list", 1, 0, 0},
                      PeopleSet{"klettres.commands", "klettres.list", 34, 3, 0},
                      PeopleSet{"channels.commands", "channels.list", 8, 0, 1},
                      PeopleSet{"first-character.commands", "channels-no-command.list", 0, 0, 9},
                      PeopleSet{"second-character.commands", "channels-no-command.list", 0, 0, 9},
                      // a large set: 80 long phrases beside the ones said
                      PeopleSet{"large.commands", "cards.list", 5, 0, 0},
                      PeopleSet{"large.commands", "klettres.list", 27, 2, 0}));

// A phrase may have any number of readings; what costs is its grammar's size, and past the limit the phrase
// is left out with a message that says so while the other commands still listen. However large the set,
// sound longer than a command is given up at once rather than searched.
TEST(PhraseSize, APhrasePastTheLimitIsLeftOutAndSaysWhyAndLongSoundIsNoCommand) {
    if (const Status complete = RecognizerModel::installed().complete(); !complete) {
        GTEST_SKIP() << complete.error().toStdString();
    }
    RecognizerTuning tuning;
    tuning.maxPhraseSize = 100;
    Result<std::unique_ptr<Recognizer>> small = Recognizer::create(RecognizerModel::installed(), tuning);
    Result<std::unique_ptr<Recognizer>> recognizer = Recognizer::create(RecognizerModel::installed());
    ASSERT_TRUE(small && recognizer) << (small ? recognizer : small).error().toStdString();
    QStringList warnings;
    EXPECT_TRUE((*small)->setCommands({{"long", QStringLiteral("[tell me] ").repeated(10)},
                                       {"many", QStringLiteral("(one | two | three) ").repeated(30)},
                                       {"home", "home"}},
                                      &warnings));
    ASSERT_EQ(warnings.size(), 1) << warnings.join(u'\n').toStdString();
    EXPECT_TRUE(warnings.front().contains("\"long\"") && warnings.front().contains("110 words") &&
                warnings.front().contains("100"))
        << warnings.front().toStdString();

    ASSERT_TRUE((*recognizer)->setCommands(commandsIn("large.commands"), &warnings));
    const Result<std::vector<std::int16_t>> card =
        readSoundForRecognizer(QStringLiteral("/usr/share/pocketsphinx/test/data/cards/001.wav"));
    if (!card) {
        GTEST_SKIP() << card.error().toStdString();
    }
    std::vector<std::int16_t> longSound;
    while (longSound.size() <= std::size_t(RecognizerTuning().maxSeconds) * Recognizer::kSampleRate) {
        longSound.insert(longSound.end(), card->begin(), card->end());
    }
    EXPECT_EQ((*recognizer)->recognize(*card).command, "card");
    const Recognition r = (*recognizer)->recognize(longSound);
    EXPECT_FALSE(r.accepted());
    EXPECT_TRUE(r.words.isEmpty()) << r.words.toStdString();
}

}  // namespace
}  // namespace agent::listen

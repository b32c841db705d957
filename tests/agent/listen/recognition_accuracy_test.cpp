// How well the recognizer understands the characters' commands as our own voice says them, and how well it
// refuses what is no command. Speech is synthesized in several voices, at several speeds, normally and
// whispered, and some of it with noise added.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

#include "agent/listen/recognizer.h"
#include "agent/listen/sound_input.h"
#include "agent/listen/voice_grammar.h"
#include "agent/speech/espeak_synthesizer.h"
#include "tests/agent/speech/signal_measures.h"

namespace agent::listen {

QList<VoiceCommand> commandsIn(const QString& name);  // people_speech_test.cpp

namespace {

// The two command sets the clock gives its characters.
const QList<VoiceCommand> kFirstCharacter = commandsIn("first-character.commands");
const QList<VoiceCommand> kSecondCharacter = commandsIn("second-character.commands");

// What the characters say that is no command: time announcements, greetings, answers, reactions.
const QStringList kNoCommands =
    QStringLiteral(
        "The time is 3 45 PM|The time is 12 o'clock|It is now 7 30 in the morning|The time is 11 15 PM|"
        "good morning, Nobody|good afternoon, Sam|good evening, Alice|Welcome to Horalia Deluxe|"
        "Hey, what are you doing with max|Put me down at once|I am going back to the clock now|"
        "The date is Monday December 07, 2026|Today is Friday the first of May|"
        "Alarm one is set for six thirty|Wake up, it is time to get up|I will be quiet for a while|"
        "Hello, my name is max and I live beside your clock|You look very busy today|"
        "Could you please stop that|Thank you very much|The weather is lovely this afternoon|"
        "Remember to drink some water|Nice to meet you|I like flying over the mountains|"
        "Let me read you a story|This is the best clock ever made|Time for a cup of tea|See you later|"
        "The quiet hours begin at ten|Sound effects are now switched off|"
        "The announcement comes every fifteen minutes|Your settings have been saved|"
        "Please enter a valid time|Oh no, I feel dizzy|That was fun, do it again|"
        "Good night and sleep well|Happy birthday to you|The clock shows twenty four hour time|"
        "Look at all those numbers|I can do magic tricks")
        .split(u'|');

struct Condition {
    QString voice;
    bool whisper;
    int speedPercent;
    bool noise;
    QString describe() const {
        return QStringLiteral("%1%2 %3%%4")
            .arg(voice, whisper ? QStringLiteral(" whispered") : QString())
            .arg(speedPercent)
            .arg(noise ? QStringLiteral(" noisy") : QString());
    }
};

QList<Condition> conditions() {
    QList<Condition> all;
    for (const char* voice : {"en-us", "en-us+f3", "en-us+m7"}) {
        for (const bool whisper : {false, true}) {
            for (const int speed : {80, 130, 200}) {
                all.append({voice, whisper, speed, all.size() % 2 == 1});  // every other one noisy
            }
        }
    }
    return all;
}

class RecognitionAccuracy : public ::testing::Test {
protected:
    void SetUp() override {
        const RecognizerModel model = RecognizerModel::installed();
        if (const Status complete = model.complete(); !complete) {
            GTEST_SKIP() << complete.error().toStdString();
        }
        Result<std::unique_ptr<Recognizer>> created = Recognizer::create(model);
        ASSERT_TRUE(created) << created.error().toStdString();
        recognizer_ = *std::move(created);
    }

    std::vector<std::int16_t> say(const QString& text, const Condition& c) {
        // espeak-ng breathes and whispers with the C library's random numbers: seeded from the utterance,
        // each one sounds the same whichever test runs first or alone.
        std::srand(static_cast<unsigned>(qHash(text + c.describe(), 0)));
        // espeak-ng speaks 175 words a minute at its normal speed.
        const QString tags = QStringLiteral("\\Spd=%1\\").arg(175 * c.speedPercent / 100) +
                             (c.whisper ? QStringLiteral("\\Chr=\"Whisper\"\\") : QString());
        const Result<std::vector<std::int16_t>> spoken =
            speakForRecognizer(synthesizer_, tags + text, c.voice);
        EXPECT_TRUE(spoken) << spoken.error().toStdString();
        std::vector<std::int16_t> samples = spoken.valueOr({});
        if (c.noise && !samples.empty()) {  // white noise 20 dB below the speech
            std::normal_distribution<double> noise(0.0, speech::measure::rms(samples) / 10.0);
            for (std::int16_t& s : samples) {
                s = static_cast<std::int16_t>(std::clamp(s + noise(random_), -32768.0, 32767.0));
            }
        }
        return samples;
    }

    // Says each text in its condition with the set's commands listened for; it is heard right as the command
    // given, or when none is given, as nothing.
    using Saying = std::tuple<QString, Condition, QString>;
    void tryAll(const QList<VoiceCommand>& set, const QList<Saying>& sayings) {
        QStringList warnings;
        ASSERT_TRUE(recognizer_->setCommands(set, &warnings));
        EXPECT_TRUE(warnings.isEmpty()) << warnings.join(u'\n').toStdString();
        for (const auto& [text, c, command] : sayings) {
            const Recognition r = recognizer_->recognize(say(text, c));
            ++tried_;
            if (command.isEmpty() ? r.accepted() : r.command != command) {
                wrong_ << QStringLiteral("\"%1\" (%2) as %3 \"%4\" %5")
                              .arg(text, c.describe(), r.command.isEmpty() ? "nothing" : r.command, r.words)
                              .arg(r.confidence, 0, 'f', 2);
            }
        }
    }
    // Prints how many of all tried were heard right, and the others; the share heard right.
    double report(const char* what) {
        const int right = tried_ - int(wrong_.size());
        std::printf("%s: %d of %d (%.1f %%)\n", what, right, tried_, 100.0 * right / tried_);
        for (const QString& wrong : wrong_) {
            std::printf("  wrong: %s\n", qPrintable(wrong));
        }
        return double(right) / tried_;
    }

    std::unique_ptr<Recognizer> recognizer_;
    speech::EspeakSynthesizer synthesizer_;
    std::mt19937 random_{20261207};
    int tried_ = 0;
    QStringList wrong_;
};

TEST_F(RecognitionAccuracy, EverySayingOfEveryCommandIsUnderstood) {
    for (const QList<VoiceCommand>* set : {&kFirstCharacter, &kSecondCharacter}) {
        QList<Saying> sayings;
        for (const VoiceCommand& command : *set) {
            const auto phrase = VoicePhrase::parse(command.voice);
            ASSERT_TRUE(phrase) << phrase.error().toStdString();
            for (const QString& saying : phrase->sayings()) {
                for (const Condition& c : conditions()) {
                    sayings.append({saying, c, command.name});
                }
            }
        }
        tryAll(*set, sayings);
    }
    // Whispered, fast and noisy speech is where the misses are; what it reaches today, so it only gets
    // better: 91.8 % with espeak-ng 1.51. espeak-ng 1.52 whispers a little differently on every run, even
    // seeded, and reaches 90.9 to 91.3 %.
    EXPECT_GE(report("commands understood"), 0.90);
}

TEST_F(RecognitionAccuracy, SentencesThatAreNoCommandAreRefused) {
    const QList<Condition> all = conditions();
    for (const QList<VoiceCommand>* set : {&kFirstCharacter, &kSecondCharacter}) {
        QList<Saying> sayings;
        for (qsizetype i = 0; i < kNoCommands.size(); ++i) {
            // each sentence in two of the conditions, a different pair for each sentence
            for (const qsizetype k : {i, i + 7}) {
                sayings.append({kNoCommands[i], all[k % all.size()], {}});
            }
        }
        tryAll(*set, sayings);
    }
    // 95.6 % when it was written, 95.0 % with espeak-ng 1.51. espeak-ng 1.52 whispers a little differently on
    // every run, even seeded: on Debian 13 one run refused 93.1 %, others 94 % and more.
    EXPECT_GE(report("sentences refused"), 0.92);
}

}  // namespace
}  // namespace agent::listen

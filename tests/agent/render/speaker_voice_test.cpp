// The desktop engine's voice on the real synthesizer: every statement ends with finished(), whatever becomes
// of it, or its character would wait for ever; spoken output off still paces the words.
#include "agent/render/speaker_voice.h"
#include "tests/support/qt_printers.h"
#include "tests/support/speech_fakes.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using agent::speech::fakes::ManualClock;
using agent::speech::fakes::ManualOutput;

class SpeakerVoiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto out = std::make_unique<ManualOutput>();
        out->available = false;  // no sound server: the words keep the time of the samples
        output = out.get();
        voice = std::make_unique<agent::render::SpeakerVoice>(thread, std::move(out), clock);
        voice->setEvents({
            [this](const QString& shown, qint64 ms) {
                log << "start:" + shown;
                durations << ms;
            },
            [this](int shownEnd) { log << QStringLiteral("word:%1").arg(shownEnd); },
            [this](int) { ++mouths; },
            [this] { log << "end"; },
        });
    }

    // Synthesis runs on its own thread; the player's timer then follows the clock, which the test moves on.
    bool runToEnd(int ends = 1) {
        return QTest::qWaitFor(
            [&] {
                clock.now += 1000;
                return log.count("end") >= ends;
            },
            10000);
    }

    ManualClock clock;
    agent::speech::SpeechThread thread;
    ManualOutput* output = nullptr;
    std::unique_ptr<agent::render::SpeakerVoice> voice;
    QStringList log;
    QList<qint64> durations;
    int mouths = 0;
};

TEST_F(SpeakerVoiceTest, AStatementStartsRevealsItsWordsMovesTheMouthAndEndsOnce) {
    voice->speak(R"(\Spd=180\Good morning everybody)");
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(log.first(), "start:Good morning everybody");
    ASSERT_EQ(durations.size(), 1);
    EXPECT_GT(durations[0], 500) << "a sentence reports its length when it starts";
    EXPECT_EQ(log.filter("word:").size(), 3);
    EXPECT_EQ(log.last(), "end");
    EXPECT_EQ(log.count("end"), 1);
    EXPECT_GT(mouths, 2);
    EXPECT_EQ(output->starts, 1) << "with spoken output on, the sound is offered to the output";

    // With spoken output off nothing sounds, but the words still come.
    log.clear();
    voice->setSoundOn(false);
    voice->speak("Quiet please");
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(output->starts, 1);
    EXPECT_EQ(log.filter("word:").size(), 2);

    // Stop ends the statement once.
    log.clear();
    voice->speak("one two three four five six seven eight");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.isEmpty(); }, 10000));
    voice->stop();
    EXPECT_EQ(log.count("end"), 1);
    clock.now += 60000;
    QTest::qWait(50);
    EXPECT_EQ(log.count("end"), 1);
}

TEST_F(SpeakerVoiceTest, TextsWithNothingToSayEndOnceAndTellTheirLength) {
    // The clock speaks a single space before it shows a character; such a statement must end too.
    for (const QString text : {" ", "", R"(\Spd=150\\Pit=80\)", R"(\chr="Whisper"\ )"}) {
        SCOPED_TRACE(text.toStdString());
        log.clear();
        durations.clear();
        voice->speak(text);
        ASSERT_TRUE(runToEnd());
        clock.now += 60000;
        QTest::qWait(20);
        EXPECT_EQ(log.count("end"), 1);
        for (qint64 ms : durations) {
            EXPECT_LT(ms, 1000) << "nothing to say takes next to no time";
        }
    }
}

TEST(SpeakerVoiceFailure, AStatementThatCannotBeSpokenStillEnds) {
    QTemporaryDir empty;  // no voice data in it
    agent::speech::SpeechThread thread{agent::speech::EspeakSynthesizer(empty.path())};
    ManualClock clock;
    agent::render::SpeakerVoice voice(thread, std::make_unique<ManualOutput>(), clock);
    QStringList log;
    voice.setEvents({[&](const QString&, qint64) { log << "start"; }, [&](int) { log << "word"; }, [](int) {},
                     [&] { log << "end"; }});
    voice.speak("Hello");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.isEmpty(); }, 10000));
    EXPECT_EQ(log, QStringList{"end"});
}

}  // namespace

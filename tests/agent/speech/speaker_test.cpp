// A character's voice end to end on the real synthesizer: statements in order, \Lst\, Stop, and failures.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "agent/speech/speaker.h"
#include "tests/support/speech_fakes.h"

namespace agent::speech {
namespace {

class SpeakerTest : public ::testing::Test {
protected:
    fakes::ManualClock clock;
    fakes::ManualOutput output;
    SpeechThread thread;
    Speaker speaker{thread, output, clock};
    QStringList started;

    void SetUp() override {
        output.available = false;
        QObject::connect(&speaker, &Speaker::started, &speaker,
                         [this](const QString& text) { started << text; });
    }

    // Synthesis runs on its own thread; its result arrives through the event loop.
    bool waitForStart(qsizetype count) {
        return QTest::qWaitFor([&] { return started.size() >= count; }, 10000);
    }

    void runOut() {
        clock.now += 60000;
        speaker.player().update();
    }
};

TEST_F(SpeakerTest, StatementsPlayOneAfterAnotherInOrder) {
    QStringList* log = fakes::record(&speaker, &speaker);
    speaker.speak(R"(\Chr="Whisper"\It is \Map="ten"="10:00"\)");
    speaker.speak("Good morning");
    ASSERT_TRUE(waitForStart(1));
    EXPECT_EQ(started, QStringList({"It is 10:00"}));
    EXPECT_FALSE(speaker.isIdle());

    runOut();
    ASSERT_TRUE(waitForStart(2));
    EXPECT_EQ(started.last(), "Good morning");
    runOut();
    EXPECT_TRUE(speaker.isIdle());
    EXPECT_EQ(log->count("end"), 2);
    EXPECT_EQ(log->filter(QRegularExpression("^w\\d")).size(), 3 + 2);
    EXPECT_EQ(log->last(), "end");
}

TEST_F(SpeakerTest, LstRepeatsThisCharactersLastStatement) {
    speaker.speak("Hello there");
    speaker.speak(R"(\Lst\)");
    ASSERT_TRUE(waitForStart(1));
    runOut();
    ASSERT_TRUE(waitForStart(2));
    EXPECT_EQ(started, QStringList({"Hello there", "Hello there"}));
}

TEST_F(SpeakerTest, StopDropsWhatIsQueuedAndCutsWhatPlays) {
    QStringList* log = fakes::record(&speaker, &speaker);
    speaker.speak("one two three four five six");
    speaker.speak("never heard");
    ASSERT_TRUE(waitForStart(1));
    speaker.stop();
    EXPECT_TRUE(speaker.isIdle());
    EXPECT_EQ(log->last(), "stopped");
    // Give a late result every chance to arrive: it must be dropped.
    speaker.speak("after the stop");
    ASSERT_TRUE(waitForStart(2));
    EXPECT_EQ(started, QStringList({"one two three four five six", "after the stop"}));
}

TEST(SpeakerFailure, MissingVoiceDataIsReportedAndTheQueueMovesOn) {
    QTemporaryDir empty;
    fakes::ManualClock clock;
    fakes::ManualOutput output;
    SpeechThread thread{EspeakSynthesizer(empty.path())};
    Speaker speaker{thread, output, clock};
    QStringList errors;
    QObject::connect(&speaker, &Speaker::failed, &speaker, [&](const QString& error) { errors << error; });
    speaker.speak("one");
    speaker.speak("two");
    ASSERT_TRUE(QTest::qWaitFor([&] { return errors.size() == 2; }, 10000));
    EXPECT_TRUE(errors[0].contains("voice data not found")) << errors[0].toStdString();
    EXPECT_TRUE(speaker.isIdle());
    EXPECT_EQ(output.starts, 0);
}

}  // namespace
}  // namespace agent::speech

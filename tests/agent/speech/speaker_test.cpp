// A character's voice end to end on the real synthesizer: statements in order, \Lst\ and Stop.
#include <gtest/gtest.h>

#include <QRegularExpression>
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

// Statements play one after another in order; \Lst\ repeats this character's last statement; Stop drops what
// is queued and cuts what plays.
TEST_F(SpeakerTest, StatementsPlayInOrderLstRepeatsAndStopDropsTheQueue) {
    QStringList* log = fakes::record(&speaker, &speaker);
    speaker.speak(R"(\Chr="Whisper"\It is \Map="ten"="10:00"\)");
    speaker.speak(R"(\Lst\)");
    ASSERT_TRUE(waitForStart(1));
    EXPECT_EQ(started, QStringList({"It is 10:00"}));
    EXPECT_FALSE(speaker.isIdle());
    runOut();
    ASSERT_TRUE(waitForStart(2));
    EXPECT_EQ(started.last(), "It is 10:00");
    runOut();
    EXPECT_TRUE(speaker.isIdle());
    EXPECT_EQ(log->count("end"), 2);
    EXPECT_EQ(log->filter(QRegularExpression("^w\\d")).size(), 3 + 3);
    EXPECT_EQ(log->last(), "end");

    speaker.speak("one two three four five six");
    speaker.speak("never heard");
    ASSERT_TRUE(waitForStart(3));
    speaker.stop();
    EXPECT_TRUE(speaker.isIdle());
    EXPECT_EQ(log->last(), "stopped");
    // Give a late result every chance to arrive: it must be dropped.
    speaker.speak("after the stop");
    ASSERT_TRUE(waitForStart(4));
    EXPECT_EQ(started.mid(2), QStringList({"one two three four five six", "after the stop"}));
}

}  // namespace
}  // namespace agent::speech

// Real playback into a PulseAudio null sink started for this test on a private runtime folder; skipped when
// pulseaudio cannot be started here. A program of its own, as Qt Multimedia finds the server once.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "agent/speech/audio_output.h"
#include "agent/speech/espeak_synthesizer.h"
#include "agent/speech/speech_player.h"
#include "agent/speech/speech_tag_parser.h"
#include "tests/support/speech_fakes.h"

namespace agent::speech {
namespace {

class NullSink : public ::testing::Test {
protected:
    QTemporaryDir runtime;
    QProcess server;

    void SetUp() override {
        const QString pulseaudio = QStandardPaths::findExecutable("pulseaudio");
        if (pulseaudio.isEmpty()) {
            GTEST_SKIP() << "pulseaudio is not installed";
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("HOME", runtime.path());
        server.setProcessEnvironment(env);
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.start(pulseaudio, {"-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm=yes", "-L",
                                  "module-native-protocol-unix", "-L", "module-null-sink"});
        const QString socket = runtime.filePath("pulse/native");
        if (!server.waitForStarted(5000) ||
            !QTest::qWaitFor(
                [&] { return QFileInfo(socket).exists() || server.state() != QProcess::Running; }, 10000) ||
            server.state() != QProcess::Running) {
            GTEST_SKIP() << "pulseaudio could not be started here";
        }
        qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
        qputenv("PULSE_SERVER", ("unix:" + socket).toUtf8());
    }

    void TearDown() override {  // what has not ended by then, the destructor kills
        server.terminate();
        server.waitForFinished(5000);
    }
};

TEST_F(NullSink, SpeechPlaysThroughTheSoundServerAndStopCutsIt) {
    auto utterance =
        EspeakSynthesizer().synthesize(SpeechTagParser().parse("The time is 15 minutes past 10"), {});
    ASSERT_TRUE(utterance) << utterance.error().toStdString();
    auto shared = std::make_shared<const Utterance>(std::move(*utterance));

    SinkOutput output;
    SteadyClock clock;
    SpeechPlayer player(output, clock);
    QObject context;
    QStringList* log = fakes::record(&player, &context);
    player.play(shared);
    ASSERT_FALSE(player.isSilent()) << "the null sink should accept the sound";

    // The words follow the sound: once the device has played past the third word, the third word is out.
    ASSERT_TRUE(QTest::qWaitFor([&] { return output.playedMs().value_or(0) > shared->words[2].ms; }, 10000));
    player.update();
    EXPECT_GE(log->filter(QRegularExpression("^w\\d")).size(), 3);
    EXPECT_FALSE(player.isSilent());

    player.stop();
    EXPECT_EQ(std::pair(log->last(), output.playedMs().has_value()), std::pair(QString("stopped"), false))
        << "the sink is gone at once";

    // And an utterance played to its end finishes on its own.
    log->clear();
    player.play(shared);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !player.isPlaying(); }, 20000));
    EXPECT_EQ(std::pair(log->last(), log->filter(QRegularExpression("^w\\d")).size()),
              std::pair(QString("end"), qsizetype(7)));
}

}  // namespace
}  // namespace agent::speech

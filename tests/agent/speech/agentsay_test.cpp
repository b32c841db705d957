// agentsay as a user runs it: WAV output, the timeline, and its errors.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/agent/render/wave_test_bytes.h"

namespace {

// The exit code, what it printed and its errors.
std::tuple<int, QString, QString> agentsay(
    const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(AGENTSAY_PATH), args);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// Writing a file needs the synthesizer only: Qt's audio and window libraries, which took most of a start,
// are loaded by playing alone (espeak-ng's own sound libraries come with it either way). The dynamic
// loader's own report (LD_DEBUG) says what was loaded.
TEST(Agentsay, WritesAWavFileAndTimelineLoadingNoAudioLibraryReportsBadRequestsAndSpeaksWithoutSoundServer) {
    QTemporaryDir dir;
    const QString wav = dir.filePath("time.wav");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LD_DEBUG", "libs");
    const auto [exitCode, out, err] =
        agentsay({"--timeline", "--wav", wav, R"(\Chr="Whisper"\The time is \Map="ten"="10:00"\)"}, env);
    ASSERT_EQ(exitCode, 0) << err.toStdString();
    ASSERT_TRUE(err.contains("libQt6Core")) << "the loader's report is missing";
    for (const char* library : {"libQt6Multimedia", "libQt6Gui", "libQt6Network"}) {
        EXPECT_FALSE(err.contains(QLatin1String(library))) << library << " was loaded";
    }

    QFile file(wav);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GT(bytes.size(), 44 + 22050);  // more than half a second of speech
    // A plain 16-byte format chunk for 16-bit mono at 22050 Hz, then the samples in one data chunk.
    const quint32 dataSize = quint32(bytes.size() - 44);
    using namespace soundtest;
    EXPECT_EQ(bytes.left(44), "RIFF" + u32(quint32(bytes.size() - 8)) + "WAVE" +
                                  chunk("fmt ", formatBody(1, 1, 22050, 16)) + "data" + u32(dataSize));

    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    QStringList words;
    for (const QString& line : lines.filter(" word ")) {
        words << line.section('"', 1, 1);
    }
    EXPECT_EQ(words, QStringList({"The", "time", "is", "ten"}));
    EXPECT_TRUE(lines.filter(" word ").last().endsWith(R"(balloon "The time is 10:00")"));
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[lines.size() - 2].endsWith("mouth closed"));
    // The end line carries the length of the written sound.
    EXPECT_EQ(lines.last().trimmed(), QString("%1 end").arg(dataSize / 2 * 1000 / 22050));

    // Bad requests are reported clearly.
    for (const auto& [args, expected, message] :
         {std::tuple{QStringList{"--voice", "xx-nope", "--wav", dir.filePath("x.wav"), "hello"}, 1,
                     R"(unknown espeak-ng voice "xx-nope")"},
          {{"--wav", dir.filePath("missing/folder/x.wav"), "hello"}, 1, "missing/folder/x.wav"},
          {{"--timeline"}, 2, "nothing to say"}}) {
        const auto [exitCode, out, err] = agentsay(args);
        EXPECT_EQ(exitCode, expected);
        EXPECT_TRUE(err.contains(message)) << err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("x.wav")));

    // Without a sound server it speaks silently and succeeds.
    QTemporaryDir runtime;
    QProcessEnvironment silent = QProcessEnvironment::systemEnvironment();
    silent.insert("XDG_RUNTIME_DIR", runtime.path());
    silent.insert("PULSE_SERVER", "unix:" + runtime.filePath("no-such-socket"));
    const auto [silentExit, silentOut, silentErr] = agentsay({"--timeline", "Hi"}, silent);
    EXPECT_EQ(silentExit, 0) << silentErr.toStdString();
    EXPECT_TRUE(silentErr.contains("no sound server")) << silentErr.toStdString();
    EXPECT_TRUE(silentOut.contains(R"(word  "Hi")"));
}

}  // namespace

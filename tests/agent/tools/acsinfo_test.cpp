// acsinfo as a user runs it: the summary in text and JSON, the exported frames and sheets, and the exit
// codes for a bad file and bad usage. Runs the built program on our own sample character.
#include "agent/format/acs_writer.h"
#include "tests/agent/format/acs15_builder.h"
#include "tests/agent/format/sample_character.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ToolRun acsinfo(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(ACSINFO_PATH), args);
    EXPECT_TRUE(p.waitForFinished(30000));
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

class AcsInfo : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.filePath(QStringLiteral("sample.acs"));
        const agent::Status saved = agent::format::saveCharacter(path_, formattest::sampleCharacter(), {});
        ASSERT_TRUE(saved) << saved.error().toStdString();
    }
    QTemporaryDir dir_;
    QString path_;
};

TEST_F(AcsInfo, SummarisesInTextAndJson) {
    const ToolRun text = acsinfo({path_});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral("Name:        Sample"))) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral("Size:        12x9"))) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral("Animations:  2")));
    EXPECT_TRUE(text.out.contains(QStringLiteral("2 frames, 350 ms"))) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral("Speaking: IDLE")));

    const ToolRun json = acsinfo({QStringLiteral("--json"), path_});
    ASSERT_EQ(json.exitCode, 0);
    QJsonParseError parseError;
    const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8(), &parseError).object();
    ASSERT_EQ(parseError.error, QJsonParseError::NoError) << json.out.toStdString();
    EXPECT_EQ(o[QStringLiteral("name")].toString(), QStringLiteral("Sample"));
    EXPECT_EQ(o[QStringLiteral("description")].toString(), QStringLiteral("A test character"));
    EXPECT_EQ(o[QStringLiteral("images")].toInt(), 3);
    EXPECT_EQ(o[QStringLiteral("imagePixels")].toInt(), 10 * 7 + 3 * 2 + 5 * 4);
    EXPECT_EQ(o[QStringLiteral("sounds")].toInt(), 1);
    EXPECT_EQ(o[QStringLiteral("balloon")].toObject()[QStringLiteral("background")].toString(),
              QStringLiteral("#ffffe1"));
    const QJsonArray animations = o[QStringLiteral("animations")].toArray();
    ASSERT_EQ(animations.size(), 2);
    EXPECT_EQ(animations[0].toObject()[QStringLiteral("name")].toString(), QStringLiteral("Idle"));
    EXPECT_EQ(animations[0].toObject()[QStringLiteral("durationMs")].toInt(), 350);
    EXPECT_EQ(animations[1].toObject()[QStringLiteral("frames")].toInt(), 2);
    EXPECT_EQ(o[QStringLiteral("states")].toObject()[QStringLiteral("Showing")].toArray().size(), 2);
}

TEST_F(AcsInfo, ExportsFramesAndSheets) {
    const QString out = dir_.filePath(QStringLiteral("frames"));
    const ToolRun run = acsinfo({QStringLiteral("--export"), out, path_});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QStringList files = QDir(out).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    EXPECT_EQ(files, QStringList({QStringLiteral("000_Idle_000.png"), QStringLiteral("000_Idle_001.png"),
                                  QStringLiteral("000_Idle_sheet.png"), QStringLiteral("001_Wave_000.png"),
                                  QStringLiteral("001_Wave_001.png"), QStringLiteral("001_Wave_sheet.png")}));
    const QImage frame(QDir(out).filePath(QStringLiteral("001_Wave_000.png")));
    ASSERT_EQ(frame.size(), QSize(12, 9));
    EXPECT_EQ(qAlpha(frame.pixel(0, 0)), 0);  // image 2's transparent border
    EXPECT_EQ(qAlpha(frame.pixel(1, 1)), 255);
    EXPECT_EQ(qAlpha(frame.pixel(6, 6)), 0);  // beyond image 2's 5x4
    const QImage sheet(QDir(out).filePath(QStringLiteral("000_Idle_sheet.png")));
    EXPECT_EQ(sheet.size(), QSize(24, 9));
}

TEST_F(AcsInfo, FailsClearlyOnBadFilesAndUsage) {
    const QString bad = dir_.filePath(QStringLiteral("bad.acs"));
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a character at all");
    f.close();
    const ToolRun run = acsinfo({bad});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("not a character file"))) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(acsinfo({}).exitCode, 2);
    EXPECT_EQ(acsinfo({path_, path_}).exitCode, 2);

    // A damaged image is read only when asked for; the summary names it, and the file is not passed as good.
    ASSERT_TRUE(f.open(QIODevice::ReadWrite | QIODevice::Truncate));
    f.write(agent::format::writeCharacter(formattest::sampleCharacter(), {}).valueOr({}));
    ASSERT_TRUE(f.seek(0));
    const QByteArray header = f.read(24);
    ASSERT_EQ(header.size(), 24);
    const auto imageList = qFromLittleEndian<std::uint32_t>(header.constData() + 20);
    ASSERT_TRUE(f.seek(imageList + 4 + 12));
    const auto secondImage = qFromLittleEndian<std::uint32_t>(f.read(4).constData());
    ASSERT_TRUE(f.seek(secondImage + 1));
    f.write("\x88\x13", 2);  // a width of 5000
    f.close();
    const ToolRun damaged = acsinfo({bad});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_TRUE(
        damaged.out.contains(QStringLiteral("Images:      3 (90 pixels)\n  damaged: image 1 at offset ")))
        << damaged.out.toStdString();
    EXPECT_TRUE(damaged.out.contains(QStringLiteral("image size 5000x2 is over the limit")));
    const ToolRun json = acsinfo({QStringLiteral("--json"), bad});
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_EQ(QJsonDocument::fromJson(json.out.toUtf8())[QStringLiteral("damagedImages")].toArray().size(),
              1);
}

// A version 1.5 file is summed up as a version 2 one is: its own size on disk, and what its load left out.
TEST_F(AcsInfo, SaysWhatAVersion15LoadLeftOut) {
    formattest::Acs15Recipe recipe = formattest::tinyCharacter();
    recipe.animations[1].frames[1].sound = 4;
    const QByteArray doc = formattest::buildAcs15(recipe);
    const QString path = dir_.filePath(QStringLiteral("old.acs"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(doc);
    f.close();
    const ToolRun run = acsinfo({path});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.contains(QStringLiteral("old.acs (%1 bytes)").arg(doc.size())))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("Animations:  2\n")));
    EXPECT_TRUE(
        run.out.contains(QStringLiteral("\nLeft out:    animation 'Wave' frame 1 (stream 'anim2.aaf', "
                                        "decompressed) at offset")))
        << run.out.toStdString();
}

}  // namespace

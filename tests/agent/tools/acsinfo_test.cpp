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
        path_ =
            write("sample.acs", agent::format::writeCharacter(formattest::sampleCharacter(), {}).valueOr({}));
    }
    QString write(const char* name, const QByteArray& bytes) {
        QFile f(dir_.filePath(QLatin1String(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        return f.fileName();
    }
    QTemporaryDir dir_;
    QString path_;
};

TEST_F(AcsInfo, SummarisesInTextAndJsonAndExportsFramesAndSheets) {
    const ToolRun text = acsinfo({path_});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral("Name:        Sample"))) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral("Size:        12x9"))) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral("2 frames, 350 ms"))) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral("Speaking: IDLE")));

    const ToolRun json = acsinfo({QStringLiteral("--json"), path_});
    ASSERT_EQ(json.exitCode, 0);
    QJsonParseError parseError;
    const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8(), &parseError).object();
    ASSERT_EQ(parseError.error, QJsonParseError::NoError) << json.out.toStdString();
    EXPECT_EQ(o[QStringLiteral("name")].toString(), QStringLiteral("Sample"));
    EXPECT_EQ(o[QStringLiteral("imagePixels")].toInt(), 10 * 7 + 3 * 2 + 5 * 4);
    EXPECT_EQ(o[QStringLiteral("balloon")].toObject()[QStringLiteral("background")].toString(),
              QStringLiteral("#ffffe1"));
    const QJsonArray animations = o[QStringLiteral("animations")].toArray();
    ASSERT_EQ(animations.size(), 2);
    EXPECT_EQ(animations[0].toObject()[QStringLiteral("durationMs")].toInt(), 350);
    EXPECT_EQ(o[QStringLiteral("states")].toObject()[QStringLiteral("Showing")].toArray().size(), 2);

    // Every frame exported, and a sheet for each animation.
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
    const QString bad = write("bad.acs", "not a character at all");
    const ToolRun run = acsinfo({bad});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("not a character file"))) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(acsinfo({path_, path_}).exitCode, 2);

    // A damaged image is read only when asked for; the summary names it, and the file is not passed as good.
    QByteArray bytes = agent::format::writeCharacter(formattest::sampleCharacter(), {}).valueOr({});
    const std::uint32_t secondImage = formattest::get32(bytes, formattest::get32(bytes, 20) + 4 + 12);
    qToLittleEndian<std::uint16_t>(5000, bytes.data() + secondImage + 1);  // its width
    write("bad.acs", bytes);
    const ToolRun damaged = acsinfo({bad});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_TRUE(
        damaged.out.contains(QStringLiteral("Images:      3 (90 pixels)\n  damaged: image 1 at offset ")))
        << damaged.out.toStdString();
    EXPECT_TRUE(damaged.out.contains(QStringLiteral("image size 5000x2 is over the limit")));

    // A version 1.5 file is summed up as a version 2 one is: its own size on disk, and what its load left
    // out.
    formattest::Acs15Recipe recipe = formattest::tinyCharacter();
    recipe.animations[1].frames[1].sound = 4;
    const QByteArray doc = formattest::buildAcs15(recipe);
    const ToolRun v15 = acsinfo({write("old.acs", doc)});
    EXPECT_EQ(v15.exitCode, 1);
    EXPECT_TRUE(v15.out.contains(QStringLiteral("old.acs (%1 bytes)").arg(doc.size())))
        << v15.out.toStdString();
    EXPECT_TRUE(v15.out.contains(QStringLiteral("Animations:  2\n")));
    EXPECT_TRUE(
        v15.out.contains(QStringLiteral("\nLeft out:    animation 'Wave' frame 1 (stream 'anim2.aaf', "
                                        "decompressed) at offset")))
        << v15.out.toStdString();
}

}  // namespace

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

class AcsInfo : public ::testing::Test {
protected:
    // Runs acsinfo, expecting the exit code: what it printed and its errors.
    std::pair<QString, QString> acsinfo(const QStringList& args, int exitCode = 0) {
        QProcess p;
        p.start(ACSINFO_PATH, args);
        EXPECT_TRUE(p.waitForFinished(30000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), exitCode) << err.toStdString();
        return {QString::fromUtf8(p.readAllStandardOutput()), err};
    }
    QString write(const char* name, const QByteArray& bytes) {
        QFile f(dir_.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        return f.fileName();
    }
    // Expects the text to hold each of the parts.
    static void expectParts(const QString& text, const QStringList& parts) {
        for (const QString& part : parts) {
            EXPECT_TRUE(text.contains(part)) << part.toStdString() << " missing from\n" << text.toStdString();
        }
    }
    QTemporaryDir dir_;
    const QByteArray sample_ = agent::format::writeCharacter(formattest::sampleCharacter(), {}).valueOr({});
    const QString path_ = write("sample.acs", sample_);
};

TEST_F(AcsInfo, SummarisesInTextAndJsonExportsFramesAndSheetsAndFailsClearly) {
    expectParts(acsinfo({path_}).first,
                {"Name:        Sample", "Size:        12x9", "2 frames, 350 ms", "Speaking: IDLE"});

    const QString json = acsinfo({"--json", path_}).first;
    const QJsonObject o = QJsonDocument::fromJson(json.toUtf8()).object();
    const QJsonArray animations = o["animations"].toArray();
    EXPECT_EQ(std::tuple(o["name"].toString(), o["imagePixels"].toInt(),
                         o["balloon"]["background"].toString(), animations.size(),
                         animations.at(0)["durationMs"].toInt(), o["states"]["Showing"].toArray().size()),
              std::tuple("Sample", 10 * 7 + 3 * 2 + 5 * 4, "#ffffe1", 2, 350, 2))
        << json.toStdString();

    // Every frame exported, and a sheet for each animation.
    const QDir out(dir_.filePath("frames"));
    acsinfo({"--export", out.path(), path_});
    EXPECT_EQ(out.entryList({"*.png"}, QDir::Files, QDir::Name),
              QStringList({"000_Idle_000.png", "000_Idle_001.png", "000_Idle_sheet.png", "001_Wave_000.png",
                           "001_Wave_001.png", "001_Wave_sheet.png"}));
    const QImage frame(out.filePath("001_Wave_000.png"));
    ASSERT_EQ(frame.size(), QSize(12, 9));
    // image 2's transparent border, inside it, and beyond its 5x4
    EXPECT_EQ(std::tuple(qAlpha(frame.pixel(0, 0)), qAlpha(frame.pixel(1, 1)), qAlpha(frame.pixel(6, 6))),
              std::tuple(0, 255, 0));
    EXPECT_EQ(QImage(out.filePath("000_Idle_sheet.png")).size(), QSize(24, 9));

    // It fails clearly on bad files and usage.
    const QString bad = write("bad.acs", "not a character at all");
    const auto [badOut, badErr] = acsinfo({bad}, 1);
    EXPECT_TRUE(badErr.contains("not a character file")) << badErr.toStdString();
    EXPECT_TRUE(badOut.isEmpty());
    acsinfo({path_, path_}, 2);

    // A damaged image is read only when asked for; the summary names it, and the file is not passed as good.
    QByteArray bytes = sample_;
    const std::uint32_t secondImage = formattest::get32(bytes, formattest::get32(bytes, 20) + 4 + 12);
    qToLittleEndian<std::uint16_t>(5000, bytes.data() + secondImage + 1);  // its width
    write("bad.acs", bytes);
    expectParts(acsinfo({bad}, 1).first, {"Images:      3 (90 pixels)\n  damaged: image 1 at offset ",
                                          "image size 5000x2 is over the limit"});

    // A version 1.5 file is summed up as a version 2 one is: its own size on disk, and what its load left
    // out.
    formattest::Acs15Recipe recipe = formattest::tinyCharacter();
    recipe.animations[1].frames[1].sound = 4;
    const QByteArray doc = formattest::buildAcs15(recipe);
    expectParts(acsinfo({write("old.acs", doc)}, 1).first,
                {QStringLiteral("old.acs (%1 bytes)").arg(doc.size()), "Animations:  2\n",
                 "\nLeft out:    animation 'Wave' frame 1 (stream 'anim2.aaf', decompressed) at offset"});
}

}  // namespace

// Writing characters: what cannot be stored is refused, and every genuine file reads back the same after a
// rewrite, structure for structure and pixel for pixel.
#include "agent/format/acs_file.h"
#include "agent/format/acs_writer.h"
#include "agent/format/frame_composer.h"
#include "tests/agent/format/acs_test_files.h"
#include "tests/agent/format/sample_character.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace agent::format;

namespace {

CharacterData readBack(const QByteArray& bytes) {
    AcsFile file;
    EXPECT_TRUE(formattest::succeeds(file.loadData(bytes)));
    const agent::Result<CharacterData> out = extractCharacter(file);
    EXPECT_TRUE(formattest::succeeds(out));
    return out.valueOr({});
}

// Written with images stored compressed and plain, the character reads back the same.
void expectRewriteKeeps(const CharacterData& data) {
    for (bool compressed : {true, false}) {
        SCOPED_TRACE(compressed ? "compressed" : "plain");
        const agent::Result<QByteArray> bytes = writeCharacter(data, {compressed, compressed});
        ASSERT_TRUE(formattest::succeeds(bytes));
        const CharacterData back = readBack(*bytes);
        ASSERT_EQ(back.info, data.info);
        ASSERT_EQ(back.animations, data.animations);
        ASSERT_EQ(back.sounds, data.sounds);
        ASSERT_EQ(back.images.size(), data.images.size());
        for (int i = 0; i < data.images.size(); ++i) {
            ASSERT_EQ(back.images[i], data.images[i]) << "image " << i;
        }
    }
}

TEST(AcsWriter, RejectsWhatCannotBeStored) {
    const struct {
        void (*damage)(CharacterData&);
        const char* error;
    } cases[] = {
        {[](CharacterData& c) { c.images[0].pixels.chop(1); }, "image 0"},
        {[](CharacterData& c) { c.animations[0].frames[0].images[0].image = 3; }, "out of range"},
        {[](CharacterData& c) { c.animations[1].frames[0].branches.resize(256); }, "too many"},
    };
    for (const auto& k : cases) {
        CharacterData c = formattest::sampleCharacter();
        k.damage(c);
        const agent::Result<QByteArray> bytes = writeCharacter(c, {});
        EXPECT_FALSE(bytes) << k.error;
        EXPECT_TRUE(bytes.error().contains(QLatin1String(k.error))) << bytes.error().toStdString();
    }

    QTemporaryDir dir;
    const agent::Status saved = saveCharacter(dir.filePath(QStringLiteral("no/such/folder/x.acs")),
                                              formattest::sampleCharacter(), {});
    EXPECT_TRUE(saved.error().startsWith(QStringLiteral("cannot write "))) << saved.error().toStdString();
}

TEST(AcsWriter, GenuineFilesSurviveARewrite) {
    const QString dir = formattest::acsDir();
    if (dir.isEmpty()) {
        GTEST_SKIP() << "character test files not found";
    }
    const QStringList files = QDir(dir).entryList({QStringLiteral("*.acs")}, QDir::Files, QDir::Name);
    int rewritten = 0;
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        AcsFile original;
        if (!original.load(QDir(dir).filePath(name))) {
            continue;  // the broken layout; its refusal is tested elsewhere
        }
        agent::Result<CharacterData> extracted = extractCharacter(original);
        ASSERT_TRUE(formattest::succeeds(extracted));
        CharacterData& data = *extracted;
        // A version 1.5 character is written as version 2; everything else must come back as it was.
        if (data.info.majorVersion == 1) {
            data.info.majorVersion = 2;
            data.info.minorVersion = 2;
        }
        expectRewriteKeeps(data);
        ++rewritten;
    }
    EXPECT_EQ(rewritten, 14);
}

}  // namespace

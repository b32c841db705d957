// Writing characters: what is written reads back the same, structure for structure and pixel for pixel,
// for our own sample and for every genuine file, with images stored compressed and plain.
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

TEST(AcsWriter, SampleReadsBackTheSameAndComposesAsDrawn) {
    expectRewriteKeeps(formattest::sampleCharacter());
    AcsFile file;
    ASSERT_TRUE(
        formattest::succeeds(file.loadData(writeCharacter(formattest::sampleCharacter(), {}).valueOr({}))));
    FrameComposer composer(file);
    const agent::Result<QImage> composed = composer.compose(file.animationIndex(u"idle"), 0, -1);
    ASSERT_TRUE(formattest::succeeds(composed));
    const QImage& frame = *composed;
    // Image 0 (10x7) at (1,1) under image 1 (3x2) at (4,2); index 0 is the transparent colour.
    EXPECT_EQ(frame.pixel(1, 1), 0u);  // image 0's transparent border
    // Stored rows are bottom-up: picture row r of image 0 is stored row 6 - r; the pattern value is
    // 1 + (x*3 + y*5) % 4 with y the stored row.
    auto image0 = [](int x, int r) { return 1 + (x * 3 + (6 - r) * 5) % 4; };
    const QList<QRgb>& pal = file.info().palette;
    EXPECT_EQ(frame.pixel(1 + 8, 1 + 5), pal[image0(8, 5)]);
    // Image 1's only inner pixels are its border (it is 3x2), so image 0 shows through it.
    EXPECT_EQ(frame.pixel(5, 3), pal[image0(4, 2)]);
    // Outside both images the frame is clear.
    EXPECT_EQ(frame.pixel(11, 8), 0u);

    // The mouth that replaces the top image draws image 2 at (6,5), clipped by the frame's 12x9.
    const QImage mouth = composer.compose(file.animationIndex(u"Idle"), 0, 0).valueOr({});
    ASSERT_FALSE(mouth.isNull());
    EXPECT_EQ(mouth.pixel(7, 6), pal[1 + (1 * 3 + 2 * 5 + 2) % 4]);  // picture row 1 = stored row 2
    EXPECT_EQ(composer.compose(0, 5).error(), QStringLiteral("no frame 5 in animation 0"));
}

// Runs of one colour pack hundreds of pixels into a byte, so an image may be tiny in the file and large on
// screen: such a file loads and its image decodes in full.
TEST(AcsWriter, AnImageFarLargerThanItsStoredBytesReadsBack) {
    CharacterData c = formattest::sampleCharacter();
    ImageData big;
    big.width = 256;
    big.height = 256;
    big.pixels = QByteArray(256 * 256, char(3));
    c.images.append(big);
    c.animations[1].frames[1].images = {FrameImage{3, -100, -100}};
    const QByteArray bytes = writeCharacter(c, {}).valueOr({});
    AcsFile file;
    ASSERT_TRUE(formattest::succeeds(file.loadData(bytes)));
    ASSERT_EQ(file.imageCount(), 4);
    EXPECT_LT(file.imageInfo(3).valueOr({}).dataSize, 100u)
        << "the stream should be tiny for the test to mean much";
    EXPECT_EQ(readBack(bytes).images[3], big);

    FrameComposer composer(file);
    const agent::Result<QImage> frame = composer.compose(1, 1, -1);
    ASSERT_TRUE(formattest::succeeds(frame));
    EXPECT_EQ(frame->pixel(11, 8), file.info().palette[3]);
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

// A character opened by path is read from its file as its parts are wanted: what is read matches the file,
// and a file cut short after it was opened costs only the parts that are gone, each with a clear error.
#include "agent/format/file_bytes.h"
#include "agent/format/acs_file.h"
#include "agent/format/acs_writer.h"
#include "tests/agent/format/acs_test_files.h"
#include "tests/agent/format/sample_character.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

using namespace agent::format;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

TEST(FileBytes, GivesTheRangesAskedForAndRefusesWhatIsGone) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("pattern"));
    QByteArray pattern(100000, Qt::Uninitialized);
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        pattern[i] = char(i * 7 + i / 251);
    }
    ASSERT_TRUE(writeFile(path, pattern));

    agent::Result<FileBytes> opened = FileBytes::open(path, 1u << 20);
    ASSERT_TRUE(formattest::succeeds(opened));
    FileBytes& bytes = *opened;
    ASSERT_EQ(bytes.size(), 100000u);
    for (auto [offset, length] : {std::pair{50000, 10}, {16380, 10}, {99990, 10}, {0, 1}, {100000, 0}}) {
        ASSERT_TRUE(formattest::succeeds(bytes.fetch(offset, length))) << offset;
        EXPECT_EQ(bytes.bytes().mid(offset, length), pattern.mid(offset, length)) << offset;
    }
    EXPECT_TRUE(bytes.fetch(99990, 11).error().contains(QStringLiteral("past the end of the 100000-byte")));
    EXPECT_FALSE(bytes.fetch(0xFFFFFFFFFFFFFFF0ull, 0x20));

    // Cut short after it was opened: what was read stays, what lies past the cut fails, and a piece that
    // straddles the cut fails too rather than give bytes that are not there.
    ASSERT_TRUE(QFile::resize(path, 40000));
    EXPECT_TRUE(formattest::succeeds(bytes.fetch(50000, 10)));
    EXPECT_EQ(bytes.bytes().mid(50000, 10), pattern.mid(50000, 10));
    const QString straddling = bytes.fetch(35000, 10).error();
    EXPECT_TRUE(straddling.contains(QStringLiteral("it ends at byte 40000, short of the 100000")))
        << straddling.toStdString();
    EXPECT_TRUE(formattest::succeeds(bytes.fetch(20000, 10)));
    EXPECT_EQ(bytes.bytes().mid(20000, 10), pattern.mid(20000, 10));

    // An empty file opens and has nothing to give.
    const QString empty = dir.filePath(QStringLiteral("empty"));
    ASSERT_TRUE(writeFile(empty, {}));
    agent::Result<FileBytes> none = FileBytes::open(empty, 10);
    ASSERT_TRUE(formattest::succeeds(none));
    EXPECT_TRUE(formattest::succeeds(none->fetch(0, 0)));
    EXPECT_FALSE(none->fetch(0, 1));

    EXPECT_TRUE(
        FileBytes::open(path, 100).error().contains(QStringLiteral("40000 bytes, over the limit of 100")));
}

// The sample with a large plain image, a small image after it and a long sound, so that the small image lies
// in a part of the file that the load does not read; read from its file, it reads as from memory, and a file
// cut short after loading costs only what is gone.
TEST(AcsFileFromPath, ReadsAsFromMemoryAndACutCostsOnlyWhatIsGone) {
    CharacterData character = formattest::sampleCharacter();
    character.images.append(formattest::sampleImage(200, 200, 7));
    character.images.append(formattest::sampleImage(5, 3, 8));
    character.sounds.first().wave.append(QByteArray(100000, '\x80'));
    const QByteArray bytes = writeCharacter(character, {false, false}).valueOr({});
    const auto* b = reinterpret_cast<const uchar*>(bytes.constData());
    const std::uint32_t lastImageOffset =
        qFromLittleEndian<std::uint32_t>(b + qFromLittleEndian<std::uint32_t>(b + 20) + 4 + 12 * 4);
    ASSERT_GT(lastImageOffset, 40000u);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.acs"));
    ASSERT_TRUE(writeFile(path, bytes));

    AcsFile file;
    ASSERT_TRUE(formattest::succeeds(file.load(path)));
    EXPECT_EQ(file.fileSize(), std::uint64_t(bytes.size()));
    const agent::Result<CharacterData> a = extractCharacter(file);
    ASSERT_TRUE(formattest::succeeds(a));
    EXPECT_TRUE(*a == character);

    AcsFile cut;
    ASSERT_TRUE(formattest::succeeds(cut.load(path)));
    ASSERT_TRUE(formattest::succeeds(cut.image(0)));
    ASSERT_TRUE(QFile::resize(path, lastImageOffset));
    for (int i : {1, 2}) {
        EXPECT_TRUE(formattest::succeeds(cut.image(i))) << i;
    }
    const QString error = cut.image(4).error();
    EXPECT_TRUE(error.startsWith(QStringLiteral("image 4: cannot read ") + path)) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("it ends at byte %1").arg(lastImageOffset)))
        << error.toStdString();
    EXPECT_TRUE(cut.sound(0).isEmpty()) << "the sound lay past the cut";
    // The structures were all read at load.
    EXPECT_EQ(cut.imageCount(), 5);
}

}  // namespace

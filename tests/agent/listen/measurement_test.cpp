#include "agent/listen/measurement.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace agent::listen {
namespace {

Recognition heard(const QString& command) {
    Recognition r;
    r.command = command;
    return r;
}

TEST(Expectations, AreReadFromALineEachBesideTheList) {
    QTemporaryDir dir;
    const QString path = dir.filePath("set.list");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# a comment\n\nsub/one.wav\thome\n/abs/two.ogg\t-\nthree.wav\n four.wav \t Move Me \n");
    file.close();
    const Result<QList<Expectation>> list = readExpectations(path);
    ASSERT_TRUE(list) << list.error().toStdString();
    EXPECT_EQ(*list, (QList<Expectation>{{dir.filePath("sub/one.wav"), "home"},
                                         {"/abs/two.ogg", ""},
                                         {dir.filePath("three.wav"), ""},
                                         {dir.filePath("four.wav"), "Move Me"}}));

    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("one.wav\thome\n\tdate\n");
    file.close();
    EXPECT_EQ(readExpectations(path).error(), path + ":2: no recording before the tab");
    EXPECT_TRUE(readExpectations(dir.filePath("none.list")).error().startsWith(dir.filePath("none.list")));
}

TEST(Tally, CountsEachRecordingByWhatWasExpectedAndWhatCameOfIt) {
    const struct {
        const char* expected;
        const char* heard;
        const char* verdict;
    } cases[] = {{"home", "home", "understood"},
                 {"home", "", "refused"},
                 {"home", "date", "mistaken"},
                 {"date", "date", "understood"},
                 {"", "", "refused"},
                 {"", "home", "accepted"},
                 {"", "", "refused"},
                 {"", "", "refused"}};
    Tally tally;
    for (const auto& c : cases) {
        EXPECT_EQ(tally.add(c.expected, heard(c.heard)), c.verdict) << c.expected << " heard as " << c.heard;
    }
    EXPECT_EQ(
        tally.summary(),
        "commands understood 2 of 4 (50.0 %), refused 1 of 4 (25.0 %), mistaken for another 1 of 4 (25.0 %)\n"
        "no command refused 3 of 4 (75.0 %), accepted 1 of 4 (25.0 %)");
    EXPECT_EQ(Tally().summary(), "");
}

}  // namespace
}  // namespace agent::listen

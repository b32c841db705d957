// Paths of the genuine character files for the format tests (empty when they are absent), and checks the
// format tests share.
#pragma once

#include "agent/format/acs_file.h"
#include "agent/format/acs_writer.h"
#include "agent/format/character_data.h"
#include "tests/support/qt_printers.h"
#include "tests/support/test_data.h"

#include <gtest/gtest.h>

namespace formattest {

inline QString acsDir() {
    return testsupport::acsTestDataDir();
}

// Used only by tests that skip when the files are absent.
inline QString acsPath(const char* name) {
    return acsDir() + QLatin1Char('/') + QLatin1String(name);
}

// For ASSERT_TRUE(succeeds(file.load(path))): a Result or Status that failed shows its error.
template <class R>
::testing::AssertionResult succeeds(const R& result) {
    if (result) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << result.error().toStdString();
}

// For EXPECT_TRUE(has(error, "part")) and EXPECT_TRUE(starts(error, "part")): a text without it shows.
inline ::testing::AssertionResult shows(bool ok, const QString& text, const char* how, const QString& part) {
    return (ok ? ::testing::AssertionSuccess() : ::testing::AssertionFailure())
           << '"' << text.toStdString() << '"' << how << '"' << part.toStdString() << '"';
}
inline ::testing::AssertionResult has(const QString& text, const QString& part) {
    return shows(text.contains(part), text, " lacks ", part);
}
inline ::testing::AssertionResult starts(const QString& text, const QString& part) {
    return shows(text.startsWith(part), text, " does not start with ", part);
}
// Both at once: EXPECT_TRUE(reads(error, "start", "part")).
inline ::testing::AssertionResult reads(const QString& text, const QString& start, const QString& part) {
    return text.startsWith(start) ? has(text, part) : starts(text, start);
}

// Written with images stored compressed and plain, the character reads back the same.
inline void expectRewriteKeeps(const agent::format::CharacterData& data) {
    for (bool compressed : {true, false}) {
        SCOPED_TRACE(compressed ? "compressed" : "plain");
        const agent::Result<QByteArray> bytes = writeCharacter(data, {compressed, compressed});
        ASSERT_TRUE(succeeds(bytes));
        agent::format::AcsFile file;
        ASSERT_TRUE(succeeds(file.loadData(*bytes)));
        const agent::Result<agent::format::CharacterData> back = extractCharacter(file);
        ASSERT_TRUE(succeeds(back));
        ASSERT_EQ(*back, data);
    }
}

// The tests of the genuine files skip when the files are absent.
class GenuineFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (acsDir().isEmpty()) {
            GTEST_SKIP() << "character test files not found";
        }
    }
    static ::testing::AssertionResult load(agent::format::AcsFile& file, const char* name) {
        return succeeds(file.load(acsPath(name))) << " (" << name << ")";
    }
};

}  // namespace formattest

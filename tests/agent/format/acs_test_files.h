// Paths of the genuine character files for the format tests; empty when they are absent.
#pragma once

#include "agent/format/acs_file.h"
#include "tests/support/test_data.h"

#include <gtest/gtest.h>

#include <QString>

namespace formattest {

inline QString acsDir() {
    return testsupport::acsTestDataDir();
}

inline QString acsPath(const char* name) {
    const QString dir = acsDir();
    return dir.isEmpty() ? QString() : dir + QLatin1Char('/') + QLatin1String(name);
}

// For ASSERT_TRUE(succeeds(file.load(path))): a Result or Status that failed shows its error.
template <class R>
::testing::AssertionResult succeeds(const R& result) {
    if (result) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << result.error().toStdString();
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

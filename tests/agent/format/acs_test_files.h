// Paths of the genuine character files for the format tests; empty when they are absent.
#pragma once

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

}  // namespace formattest

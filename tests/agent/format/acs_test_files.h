// Paths of the genuine character files for the format tests; empty when they are absent.
#pragma once

#include "tests/support/test_data.h"

#include <QString>

namespace formattest {

inline QString acsDir() {
    return testsupport::acsTestDataDir();
}

inline QString acsPath(const char* name) {
    const QString dir = acsDir();
    return dir.isEmpty() ? QString() : dir + QLatin1Char('/') + QLatin1String(name);
}

}  // namespace formattest

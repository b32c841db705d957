// Where the shared test data lies; tests that need it skip when it is absent.
#pragma once

#include <QDir>
#include <QString>

namespace testsupport {

// The folder of genuine character files, or an empty string when it is not there.
inline QString acsTestDataDir() {
    // The test environment names the folder; a test program started by hand finds the one beside the
    // checkout.
    const QString root = qEnvironmentVariable("HORALIA_TESTDATA", QStringLiteral(HORALIA_DEFAULT_TESTDATA));
    const QDir dir(root + QStringLiteral("/acs"));
    return !root.isEmpty() && dir.exists() ? dir.absolutePath() : QString();
}

}  // namespace testsupport

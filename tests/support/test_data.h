// Where the shared test data lies; tests that need it skip when it is absent.
#pragma once

#include <QDir>
#include <QString>

namespace testsupport {

// The folder of genuine character files, or an empty string when it is not there.
inline QString acsTestDataDir() {
    QString root = qEnvironmentVariable("HORALIA_TESTDATA");
    if (root.isEmpty()) {
        return {};
    }
    QDir dir(root + QStringLiteral("/acs"));
    return dir.exists() ? dir.absolutePath() : QString();
}

}  // namespace testsupport

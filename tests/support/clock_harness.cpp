#include "tests/support/clock_harness.h"

namespace testsupport {

QStringList ClockHarness::spoken() const {
    QStringList out;
    for (const QString& line : fake.engines.sink.lines) {
        if (line.contains(" Speak ") && !line.endsWith("Speak \" \"")) {
            out << line;
        }
    }
    return out;
}

}  // namespace testsupport

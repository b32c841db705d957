// A whole clock on the fake platform: the controller with a recording window, recording engines and scripted
// dialogs, on virtual time.
#pragma once

#include <QRegularExpression>

#include "src/clock_window/clock_controller.h"
#include "tests/support/fakes.h"
#include "tests/support/recording_tray_backend.h"

namespace testsupport {

struct ClockHarness {
    explicit ClockHarness(const QDateTime& start, int maxLatencyMs = 0) : fake(start, maxLatencyMs) {}

    // A normal start: the clock loads and shows, the characters load 2 seconds later and take 8 more seconds
    // to set up.
    void start() {
        controller.load();
        view.setVisible(true);
        fake.pause.pause(2);
        controller.checkboxes();
    }
    void runFor(qint64 minutes) { fake.clock.advanceBy(minutes * 60000); }
    QStringList& lines() { return fake.engines.sink.lines; }
    // Every sentence spoken ("Agent1 Speak \"...\""), leaving out the single space said before each.
    QStringList spoken() const {
        return fake.engines.sink.lines.filter(QRegularExpression(R"( Speak (?!" "$))"));
    }

    FakePlatform fake;
    RecordingView view{fake.clock};
    RecordingWindows windows;
    RecordingTrayBackend tray;
    horalia::clock_window::ClockController controller{fake.platform, view, windows, tray, 7};  // tray icon 7
};

}  // namespace testsupport

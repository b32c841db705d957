// Starting the program again while a clock runs: the running clock shows itself as the tray's "Show the
// clock" does, and the later start only asks. First on the fake channel, then with two real ends of the local
// socket in a runtime folder of the test's own, the first end a real clock window.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>

#include "src/clock_window/frm_clock.h"
#include "src/platform/local_socket_channel.h"
#include "src/wiring/later_starts.h"
#include "tests/support/clock_harness.h"
#include "tests/support/fake_instance_channel.h"

using horalia::wiring::askRunningClock;
using horalia::wiring::serveLaterStarts;
using namespace testsupport;

TEST(LaterStarts, TheRunningClockListensAndShowsItselfOnlyOnceItHasLoaded) {
    ClockHarness clock(at(10, 0, 30));
    FakeInstanceChannel channel;
    serveLaterStarts(channel, clock.controller);
    EXPECT_EQ(channel.listens, 1);
    EXPECT_EQ(channel.asks, 0);

    // While a first run shows its agreement there is no clock to show.
    EXPECT_FALSE(channel.request());
    EXPECT_TRUE(clock.view.visibility.isEmpty());
    EXPECT_TRUE(clock.fake.settings.writes.isEmpty());

    clock.start();
    clock.controller.menus().choose("mnu_hideshow");
    ASSERT_FALSE(clock.view.visible);
    ASSERT_EQ(clock.fake.settings.get("minimise"), "True");
    EXPECT_TRUE(channel.request());
    EXPECT_TRUE(clock.view.visible);
    EXPECT_EQ(clock.fake.settings.get("minimise"), "False");
    // Asked again while shown, it answers the same and stays.
    EXPECT_TRUE(channel.request());
    EXPECT_TRUE(clock.view.visible);
}

TEST(LaterStarts, AClockKeptHiddenThatIsAskedForAsItStartsStaysShown) {
    for (const bool asked : {false, true}) {
        SCOPED_TRACE(asked ? "asked for" : "not asked for");
        ClockHarness clock(at(10, 0, 30));
        clock.fake.settings.set("minimise", "True");
        FakeInstanceChannel channel;
        serveLaterStarts(channel, clock.controller);
        clock.controller.load();
        clock.view.setVisible(true);
        // Between the start and the first tick, which hides a clock whose setting says hidden.
        if (asked) {
            EXPECT_TRUE(channel.request());
        }
        clock.runFor(1);
        EXPECT_EQ(clock.view.visible, asked);
    }
}

TEST(LaterStarts, AClockThatCannotListenRunsOn) {
    ClockHarness clock(at(10, 0, 30));
    FakeInstanceChannel channel;
    channel.listenResult = agent::fail("cannot listen");
    serveLaterStarts(channel, clock.controller);
    clock.start();
    EXPECT_TRUE(clock.view.visible);
    EXPECT_EQ(clock.fake.program.ends, 0);
}

// The real program's two copies in one process: the first a clock window hidden from its menu, listening on
// the socket in the runtime folder; the second asks over it, and the first shows its window again.
TEST(LaterStarts, TheSecondStartsRequestReachesTheFirstOverTheRuntimeFolder) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    const QString socketPath = horalia::platform::instanceSocketPath();
    EXPECT_EQ(socketPath, runtime.path() + "/horalia-deluxe.socket");

    FakePlatform fake(at(10, 0, 30));
    RecordingWindows windows;
    RecordingTrayBackend tray;
    horalia::clock_window::frm_clock window(fake.platform, windows, tray, 7);
    window.load();
    window.show();
    horalia::platform::LocalSocketChannel first;
    serveLaterStarts(first, window.controller());
    window.mnu_settings()->findChild<QAction*>("mnu_hideshow")->trigger();
    ASSERT_FALSE(window.isVisible());

    horalia::platform::LocalSocketChannel second;
    askRunningClock(second);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(fake.settings.get("minimise"), "False");

    if (savedRuntime.isNull()) {
        qunsetenv("XDG_RUNTIME_DIR");
    } else {
        qputenv("XDG_RUNTIME_DIR", savedRuntime);
    }
}

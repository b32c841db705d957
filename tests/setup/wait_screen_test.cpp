// frm_wait's timers in virtual time: each package started once, fifteen seconds apart, the window blinking
// every second, and the restart at forty seconds.
#include <gtest/gtest.h>

#include "src/setup/wait_screen.h"
#include "tests/support/fakes.h"

using horalia::setup::WaitScreen;
using testsupport::at;
using testsupport::FakePlatform;

namespace {

class WaitScreenTest : public ::testing::Test {
protected:
    WaitScreenTest()
        : screen(fake.platform, "/opt/horalia", [this](qint32 c) { colours << c; }, {"--console"}) {}
    qint64 sinceStart() const { return fake.clock.nowMs() - start; }
    // "path args style @ms since the screen appeared" for each program started.
    QStringList started() const {
        QStringList lines;
        for (const auto& s : fake.shell.starts) {
            lines << QStringLiteral("%1 %2 %3 @%4")
                         .arg(s.path, s.arguments.join(u' '))
                         .arg(static_cast<int>(s.style))
                         .arg(s.atMs - start);
        }
        return lines;
    }

    FakePlatform fake{at(9, 0)};
    qint64 start = at(9, 0).toMSecsSinceEpoch();
    QList<qint32> colours;
    WaitScreen screen;
};

}  // namespace

TEST_F(WaitScreenTest, StartsEachPackageOnceAndRestartsAtFortySeconds) {
    screen.load();
    fake.clock.advanceBy(999);
    EXPECT_TRUE(fake.shell.starts.isEmpty());
    fake.clock.advanceBy(1);
    EXPECT_EQ(started(), QStringList{"/opt/horalia/agent /Q:A 1 @1000"});
    fake.clock.advanceBy(38999);
    EXPECT_EQ(started(),
              (QStringList{"/opt/horalia/agent /Q:A 1 @1000", "/opt/horalia/speech /Q:A 1 @16000"}));
    EXPECT_EQ(fake.program.ends, 0);
    fake.clock.advanceBy(1);
    EXPECT_EQ(started(), (QStringList{"/opt/horalia/agent /Q:A 1 @1000", "/opt/horalia/speech /Q:A 1 @16000",
                                      "/opt/horalia/reboot --console 2 @40000"}));
    EXPECT_EQ(fake.program.ends, 1);
    EXPECT_FALSE(screen.running());
    // Nothing more happens, however long the machine takes to end the program.
    fake.clock.advanceBy(120000);
    EXPECT_EQ(fake.shell.starts.size(), 3);
    // Shown again, it starts each package once more.
    screen.load();
    EXPECT_EQ(screen.counter(), 0);
    fake.clock.advanceBy(17000);
    EXPECT_EQ(fake.shell.starts.size(), 5);
    EXPECT_EQ(fake.shell.starts[3].path, "/opt/horalia/agent");
    EXPECT_EQ(fake.shell.starts[4].path, "/opt/horalia/speech");
}

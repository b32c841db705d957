// The console backend's driver playing the user (the lines a session prints are the console-mode tests').
#include <gtest/gtest.h>

#include "src/console/console_tray_backend.h"
#include "src/tray/sys_tray.h"
#include "tests/support/recording_sink.h"

using horalia::console::ConsoleTrayBackend;
using horalia::tray::frmSysTray;
namespace wm = horalia::tray::wm;

namespace {

class ConsoleTrayTest : public ::testing::Test {
protected:
    testsupport::RecordingSink sink;
    ConsoleTrayBackend backend{sink};
    frmSysTray tray{backend};
    QStringList events;

    void SetUp() override {
        tray.SysTrayMouseDown = [this](int button) {
            events << QStringLiteral("down %1").arg(button);
            if (button == frmSysTray::kRightButton) {
                tray.ShowMenu();
            }
        };
        tray.MenuClick = [this](int index, const QString& key) {
            events << QStringLiteral("menu %1 %2").arg(index).arg(key);
        };
    }
};

TEST_F(ConsoleTrayTest, TheDriverChoosesFromTheOpenMenuByKeyAndItsClicksGoNowhereWithoutAnIcon) {
    backend.click(2);
    backend.mouseMessage(wm::kLButtonDown);
    EXPECT_TRUE(sink.lines.isEmpty());
    tray.AddMenuItem(QStringLiteral("Say"), QStringLiteral("say"));
    tray.AddMenuItem(QStringLiteral("-"), QStringLiteral("sep"));
    tray.AddMenuItem(QStringLiteral("Off"), QStringLiteral("off"));
    tray.AddMenuItem(QStringLiteral("Hide"), QStringLiteral("hide"));
    tray.EnableMenuItem(2, false);

    EXPECT_FALSE(backend.chooseMenuItem(QStringLiteral("hide")));  // no menu is open
    backend.click(1);
    EXPECT_FALSE(backend.menuOpen());
    backend.click(2);
    ASSERT_TRUE(backend.menuOpen());
    EXPECT_TRUE(backend.chooseMenuItem(QStringLiteral("hide")));
    EXPECT_FALSE(backend.menuOpen());
    EXPECT_FALSE(backend.chooseMenuItem(QStringLiteral("hide")));  // the menu closed with the choice

    for (const char* key : {"off", "sep", "nothing", ""}) {
        backend.click(2);
        EXPECT_FALSE(backend.chooseMenuItem(QString::fromLatin1(key))) << key;
        EXPECT_FALSE(backend.menuOpen());
    }
    tray.unload();
    backend.click(1);
    backend.click(3);
    EXPECT_EQ(events,
              (QStringList{"down 1", "down 2", "menu 3 hide", "down 2", "down 2", "down 2", "down 2"}));
    EXPECT_EQ(sink.lines.last(), QStringLiteral("Tray Delete"));
}

}  // namespace

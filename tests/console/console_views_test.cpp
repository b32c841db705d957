// The console backend's driver playing the user (the lines a session prints are the console-mode tests'),
// and the about box in the console: its window printed, and a script's clicks on its links.
#include <gtest/gtest.h>

#include "src/about/web_addresses.h"
#include "src/console/console_about_view.h"
#include "src/console/console_tray_backend.h"
#include "src/tray/sys_tray.h"
#include "tests/support/recording_sink.h"

using horalia::console::ConsoleTrayBackend;
using horalia::tray::frmSysTray;
namespace wm = horalia::tray::wm;

TEST(ConsoleTray, TheDriverChoosesFromTheOpenMenuByKeyAndItsClicksGoNowhereWithoutAnIcon) {
    testsupport::RecordingSink sink;
    ConsoleTrayBackend backend{sink};
    frmSysTray tray{backend};
    QStringList events;
    tray.SysTrayMouseDown = [&](int button) {
        events << QStringLiteral("down %1").arg(button);
        if (button == frmSysTray::kRightButton) {
            tray.ShowMenu();
        }
    };
    tray.MenuClick = [&](int index, const QString& key) {
        events << QStringLiteral("menu %1 %2").arg(index).arg(key);
    };
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

TEST(ConsoleAboutView, PrintsItsWindowAndPlaysLinkClicks) {
    testsupport::RecordingSink sink;
    QStringList opened;
    horalia::console::ConsoleAboutView view(sink, [&](const QString& address) { opened << address; });
    view.setVersionText(QStringLiteral("3.6.1"));
    view.showWindow();
    EXPECT_TRUE(view.clickLink(QStringLiteral("link_sisterapp")));
    EXPECT_FALSE(view.clickLink(QStringLiteral("lab_vers")));
    EXPECT_EQ(sink.lines, (QStringList{"frm_about Load", "lab_version Caption \"3.6.1\"", "frm_about Show",
                                       "link_sisterapp Click"}));
    EXPECT_EQ(opened, QStringList{horalia::about::kSisterWebSite});
}

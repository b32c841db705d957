// The desktop backend on Qt's offscreen platform, which has no tray: the one warning, the icon's tip and
// picture, activation reasons as mouse messages, and the popup menu with its default item and choices.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPixmap>

#include "src/tray/qt_tray_backend.h"
#include "src/tray/sys_tray.h"

using horalia::tray::frmSysTray;
using horalia::tray::QtTrayBackend;

namespace {

QIcon solidIcon(Qt::GlobalColor colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

class QtTrayBackendTest : public ::testing::Test {
protected:
    QStringList warnings;
    QtTrayBackend backend{[this](const QString& text) { warnings << text; }};
    QStringList events;

    std::unique_ptr<frmSysTray> makeTray() {
        auto tray = std::make_unique<frmSysTray>(backend);
        tray->SysTrayMouseDown = [this](int b) { events << QStringLiteral("down %1").arg(b); };
        tray->SysTrayMouseUp = [this](int b) { events << QStringLiteral("up %1").arg(b); };
        tray->SysTrayDoubleClick = [this](int b) { events << QStringLiteral("dbl %1").arg(b); };
        tray->MenuClick = [this](int i, const QString& k) {
            events << QStringLiteral("menu %1 %2").arg(i).arg(k);
        };
        return tray;
    }
};

TEST_F(QtTrayBackendTest, WithoutATrayItSaysSoOnceAndTheClockRunsOn) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    auto tray = makeTray();
    EXPECT_TRUE(warnings.isEmpty());
    tray->AddMenuItem(QStringLiteral("A"));
    tray->setToolTip(QStringLiteral("tip"));
    tray->unload();
    tray->AddMenuItem(QStringLiteral("B"));
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings.first().contains(QStringLiteral("tray"))) << warnings.first().toStdString();
    ASSERT_NE(backend.trayIcon(), nullptr);
}

TEST_F(QtTrayBackendTest, TheIconShowsTheTipAndTheRegisteredPicture) {
    const QIcon red = solidIcon(Qt::red);
    const quintptr handle = backend.registerIcon(red);
    EXPECT_NE(handle, 0u);
    EXPECT_NE(backend.registerIcon(solidIcon(Qt::blue)), handle);

    auto tray = makeTray();
    tray->AddMenuItem(QStringLiteral("A"));
    ASSERT_NE(backend.trayIcon(), nullptr);
    EXPECT_EQ(backend.trayIcon()->toolTip(), QStringLiteral("Horalia Deluxe"));
    EXPECT_FALSE(backend.trayIcon()->icon().isNull());  // an icon of its own before the clock gives one

    tray->setToolTip(QStringLiteral("Click me for options. Horalia Deluxe 3.6.1"));
    EXPECT_EQ(backend.trayIcon()->toolTip(), QStringLiteral("Click me for options. Horalia Deluxe 3.6.1"));
    tray->setIconHandle(handle);
    EXPECT_EQ(backend.trayIcon()->icon().cacheKey(), red.cacheKey());
    EXPECT_EQ(backend.trayIcon()->toolTip(), QStringLiteral("Click me for options. Horalia Deluxe 3.6.1"));

    tray->setIconHandle(0xdead);  // never registered: back to an icon of its own, not an empty one
    EXPECT_FALSE(backend.trayIcon()->icon().isNull());
    EXPECT_NE(backend.trayIcon()->icon().cacheKey(), red.cacheKey());

    tray->unload();
    EXPECT_EQ(backend.trayIcon(), nullptr);
}

TEST_F(QtTrayBackendTest, ActivationReasonsBecomeTheDesktopsMouseMessages) {
    using R = QSystemTrayIcon::ActivationReason;
    auto tray = makeTray();
    tray->AddMenuItem(QStringLiteral("A"));
    QSystemTrayIcon* icon = backend.trayIcon();
    ASSERT_NE(icon, nullptr);
    emit icon->activated(R::Trigger);
    emit icon->activated(R::Context);
    emit icon->activated(R::MiddleClick);
    emit icon->activated(R::Unknown);
    // A double-click arrives from Qt as a click followed by the double-click.
    emit icon->activated(R::Trigger);
    emit icon->activated(R::DoubleClick);
    EXPECT_EQ(events, (QStringList{"down 1", "up 1", "down 2", "up 2", "down 1", "up 1", "dbl 1", "up 1"}));
}

TEST_F(QtTrayBackendTest, TheMenuShowsTheVisibleItemsWithTheDefaultInBoldAndReportsTheChoice) {
    auto tray = makeTray();
    tray->AddMenuItem(QStringLiteral("&Show the clock"), QStringLiteral("show"));
    tray->AddMenuItem(QStringLiteral("-"));
    tray->AddMenuItem(QStringLiteral("Main Options"), QStringLiteral("settings"), true);
    tray->AddMenuItem(QStringLiteral("Exit"), QStringLiteral("exit"));
    tray->EnableMenuItem(3, false);
    tray->RemoveMenuItem(0);  // element 0 keeps its key with an empty caption

    tray->ShowMenu();
    QMenu* menu = backend.popupMenu();
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[0]->text(), QString());
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), QStringLiteral("Main Options"));
    EXPECT_EQ(menu->defaultAction(), actions[2]);
    EXPECT_FALSE(actions[3]->isEnabled());
    EXPECT_TRUE(actions[2]->isEnabled());

    actions[2]->trigger();
    actions[0]->trigger();
    EXPECT_EQ(events, (QStringList{"menu 2 settings", "menu 0 show"}));
    // With no StatusNotifierItem host the menu is never handed to Qt, which would pop it up a second time.
    EXPECT_EQ(backend.exportedMenu(), nullptr);
    EXPECT_EQ(backend.trayIcon()->contextMenu(), nullptr);
}

TEST_F(QtTrayBackendTest, EachShowBuildsTheMenuAfreshAndAChoiceMayEndTheComponent) {
    auto tray = makeTray();
    tray->AddMenuItem(QStringLiteral("Say"), QStringLiteral("say"));
    tray->AddMenuItem(QStringLiteral("Exit"), QStringLiteral("exit"));
    tray->ShowMenu();
    QPointer<QMenu> first = backend.popupMenu();
    tray->AddMenuItem(QStringLiteral("Later"), QStringLiteral("later"));
    tray->ShowMenu();
    ASSERT_NE(backend.popupMenu(), first.data());
    ASSERT_EQ(backend.popupMenu()->actions().size(), 3);

    tray->MenuClick = [&tray](int, const QString& key) {
        if (key == u"exit") {
            tray.reset();
        }
    };
    backend.popupMenu()->actions()[1]->trigger();
    EXPECT_EQ(tray, nullptr);
    EXPECT_EQ(backend.trayIcon(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
}

}  // namespace

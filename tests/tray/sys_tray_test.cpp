// The tray component against a recording backend: the notification record on add, modify and delete, the
// menu's indices, default and removal, and the decoding of mouse messages into events. Then the desktop
// backend on Qt's offscreen platform, which has no tray: the one warning, the icon's tip and picture,
// activation reasons as mouse messages, and the popup menu with its default item and choices.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPixmap>
#include <memory>

#include "src/tray/qt_tray_backend.h"
#include "src/tray/sys_tray.h"
#include "tests/support/qt_printers.h"
#include "tests/support/recording_tray_backend.h"

using namespace horalia::tray;
using testsupport::RecordingTrayBackend;

namespace {

constexpr quintptr kOwnIcon = 0x1234;

struct Events {
    explicit Events(frmSysTray& tray) {
        tray.SysTrayMouseDown = [this](int b) { log << QStringLiteral("down %1").arg(b); };
        tray.SysTrayMouseUp = [this](int b) { log << QStringLiteral("up %1").arg(b); };
        tray.SysTrayMouseMove = [this] { log << QStringLiteral("move"); };
        tray.SysTrayDoubleClick = [this](int b) { log << QStringLiteral("dbl %1").arg(b); };
        tray.MenuClick = [this](int i, const QString& k) { log << "menu " + QString::number(i) + ' ' + k; };
    }
    QStringList log;
};

// The menu in one line: "caption/key" per item, "!" after a disabled one, "=" after a separator, "?" after a
// hidden one, the bold one in brackets.
QString shown(const TrayMenu& menu) {
    QStringList items;
    for (const auto& item : menu.items) {
        const QString text = item.caption + u'/' + item.key + (item.enabled ? "" : "!") +
                             (item.separator ? "=" : "") + (item.visible ? "" : "?");
        items << (item.index == menu.defaultIndex ? u'[' + text + u']' : text);
    }
    return items.join(u' ');
}

struct SysTrayTest : ::testing::Test {
    RecordingTrayBackend backend;
    std::unique_ptr<frmSysTray> tray = std::make_unique<frmSysTray>(backend, "Horalia Deluxe", kOwnIcon);
};

TEST_F(SysTrayTest, TheIconIsAddedAtTheFirstChangeModifiedPerRequestAndDeletedOnce) {
    EXPECT_FALSE(tray->isLoaded());  // nothing is added until the first change
    RecordingTrayBackend other;
    frmSysTray{other};  // made and gone at once
    EXPECT_TRUE(other.calls.isEmpty()) << "a component that never loaded deletes nothing";
    EXPECT_TRUE(backend.calls.isEmpty());
    tray->AddMenuItem(QStringLiteral("&Show the clock"), QStringLiteral("show"));
    tray->AddMenuItem(QStringLiteral("Exit"), QStringLiteral("exit"));
    EXPECT_NE(backend.last().data.hWnd, 0u);
    for (quintptr handle : {kOwnIcon, quintptr(99), quintptr(99), quintptr(100)}) {  // first the one it has
        tray->setIconHandle(handle);
    }
    EXPECT_EQ(tray->IconHandle(), 100u);
    tray->setToolTip(QStringLiteral("one"));
    tray->setToolTip(QStringLiteral("one"));
    tray->unload();
    tray->unload();
    tray.reset();
    // Each request as "message flags icon id tip"; the delete carries the record as it is, the tip flag
    // included.
    QStringList requests;
    for (const auto& c : backend.calls) {
        const char* const names[] = {"Add", "Modify", "Delete"};
        requests << QStringLiteral("%1 f%2 i%3 u%4 %5")
                        .arg(names[static_cast<int>(c.message)], QString::number(c.data.uFlags),
                             QString::number(c.data.hIcon), QString::number(c.data.uID), c.data.tipText());
    }
    EXPECT_EQ(requests,
              (QStringList{"Add f7 i4660 u4660 Horalia Deluxe", "Modify f2 i99 u4660 Horalia Deluxe",
                           "Modify f2 i100 u4660 Horalia Deluxe", "Modify f4 i100 u4660 one",
                           "Modify f4 i100 u4660 one", "Delete f4 i100 u4660 one"}));
    EXPECT_EQ(backend.client(), nullptr);
}

TEST_F(SysTrayTest, TheMenuNumbersItsItemsKeepsTheDefaultByNumberAndStartsAfreshAfterUnload) {
    tray->ShowMenu();
    EXPECT_EQ(shown(backend.menus.last()), "[/?]");  // the element that exists is hidden until it is taken
    // (the elements of a braced list are made in order)
    EXPECT_EQ((QList<int>{tray->AddMenuItem("A", "a", true), tray->AddMenuItem("-", {}, false),
                          tray->AddMenuItem("C", "c", true), tray->AddMenuItem("D", "d")}),
              (QList<int>{0, 1, 2, 3}));
    EXPECT_EQ(shown(backend.changedMenus.last()), "A/a -/= [C/c] D/d");
    tray->setDefaultMenuIndex(3);
    EXPECT_EQ(tray->DefaultMenuIndex(), 3);
    for (int invalid : {-1, 4, std::numeric_limits<int>::min()}) {  // 4 is one past the upper bound
        tray->setDefaultMenuIndex(2);
        tray->setDefaultMenuIndex(invalid);
        EXPECT_EQ(tray->DefaultMenuIndex(), 0) << invalid;
    }
    // A host that shows the menu itself is given it after every change, and only then.
    EXPECT_EQ(backend.changedMenus.size(), 11);
    for (int invalid : {4, -1}) {
        tray->EnableMenuItem(invalid, false);
        EXPECT_EQ(tray->RemoveMenuItem(invalid), 0) << invalid;
    }
    tray->setToolTip(QStringLiteral("tip"));
    tray->ShowMenu();
    EXPECT_EQ(backend.changedMenus.size(), 11);
    tray->EnableMenuItem(2, false);
    tray->setDefaultMenuIndex(2);
    EXPECT_EQ(shown(backend.changedMenus.last()), "A/a -/= [C/c!] D/d");
    tray->EnableMenuItem(2, true);
    // Removing an item moves the ones behind it up with their keys; the default keeps its number.
    EXPECT_EQ(tray->RemoveMenuItem(1), 0);
    EXPECT_EQ(shown(backend.changedMenus.last()), "A/a C/c [D/d]");
    tray->RemoveMenuItem(2);  // the last item: the default left behind makes no item bold
    EXPECT_EQ(tray->DefaultMenuIndex(), 2);
    tray->ShowMenu();
    EXPECT_EQ(shown(backend.menus.last()), "A/a C/c");
    tray->RemoveMenuItem(0);  // the first element only loses its caption
    EXPECT_EQ(shown(backend.changedMenus.last()), "/a C/c");
    EXPECT_EQ(tray->AddMenuItem(QStringLiteral("E")), 2);
    EXPECT_EQ(backend.changedMenus.size(), 18);

    tray->unload();
    EXPECT_EQ(tray->AddMenuItem(QStringLiteral("F"), QStringLiteral("f")), 0);
    EXPECT_EQ(shown(tray->menu()), "[F/f]");
    EXPECT_EQ(backend.count(NotifyMessage::Add), 2);
    EXPECT_EQ(backend.last().data.tipText(), QStringLiteral("Horalia Deluxe"));
}

TEST_F(SysTrayTest, MouseMessagesAndChoicesOnTheIconBecomeEventsWhileThereIsAnIcon) {
    tray->AddMenuItem("Say", "say");
    tray->AddMenuItem("-");
    tray->AddMenuItem("Exit", "exit");
    backend.mouse(wm::kLButtonDown);  // no handlers yet: harmless
    backend.mouse(wm::kMouseMove);
    backend.choose(0);
    EXPECT_EQ(backend.calls.size(), 1);
    Events events(*tray);
    // A double-click raises the first click too, and its own release after it; the middle button and other
    // messages raise nothing.
    for (quint32 m : {wm::kMouseMove, wm::kLButtonDown, wm::kLButtonUp, wm::kLButtonDblClk, wm::kLButtonUp,
                      wm::kRButtonDown, wm::kRButtonUp, wm::kRButtonDblClk, wm::kMButtonDown, wm::kMButtonUp,
                      wm::kMButtonDblClk, 0u, 0x1ffu, 0x20au, 7695u, 0xffffffffu, 0x80000201u}) {
        backend.mouse(m);
    }
    for (int index : {2, 1, 3, -1}) {  // 3 is past the end: the menu changed while it was open
        backend.choose(index);
    }
    tray->unload();
    backend.mouse(wm::kRButtonDown);
    backend.choose(0);
    EXPECT_EQ(events.log, (QStringList{"move", "down 1", "up 1", "dbl 1", "up 1", "down 2", "up 2", "dbl 2",
                                       "menu 2 exit", "menu 1 "}));
}

// --- The desktop backend, on Qt's offscreen platform ---

QIcon solidIcon(Qt::GlobalColor colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

struct QtTrayBackendTest : ::testing::Test {
    QStringList warnings;
    QtTrayBackend backend{[this](const QString& text) { warnings << text; }};
    std::unique_ptr<frmSysTray> tray = std::make_unique<frmSysTray>(backend);
    Events events{*tray};
};

TEST_F(QtTrayBackendTest, WithoutATrayItSaysSoOnceAndTheIconShowsTheTipThePictureAndTheClicks) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    const QIcon red = solidIcon(Qt::red);
    const quintptr handle = backend.registerIcon(red);
    EXPECT_NE(handle, 0u);
    EXPECT_NE(backend.registerIcon(solidIcon(Qt::blue)), handle);
    EXPECT_TRUE(warnings.isEmpty());

    tray->AddMenuItem(QStringLiteral("A"));
    QSystemTrayIcon* icon = backend.trayIcon();
    ASSERT_NE(icon, nullptr);
    // an icon of its own before the clock gives one
    EXPECT_EQ(std::pair(icon->toolTip(), icon->icon().isNull()),
              std::pair(QStringLiteral("Horalia Deluxe"), false));
    tray->setToolTip(QStringLiteral("Click me for options. Horalia Deluxe 3.6.1"));
    tray->setIconHandle(handle);
    EXPECT_EQ(std::pair(icon->icon().cacheKey(), icon->toolTip()),
              std::pair(red.cacheKey(), QStringLiteral("Click me for options. Horalia Deluxe 3.6.1")));
    tray->setIconHandle(0xdead);  // never registered: back to an icon of its own, not an empty one
    EXPECT_FALSE(icon->icon().isNull() || icon->icon().cacheKey() == red.cacheKey());

    // A double-click arrives from Qt as a click followed by the double-click.
    using R = QSystemTrayIcon::ActivationReason;
    for (R reason : {R::Trigger, R::Context, R::MiddleClick, R::Unknown, R::Trigger, R::DoubleClick}) {
        emit icon->activated(reason);
    }
    EXPECT_EQ(events.log,
              (QStringList{"down 1", "up 1", "down 2", "up 2", "down 1", "up 1", "dbl 1", "up 1"}));

    tray->unload();
    EXPECT_EQ(backend.trayIcon(), nullptr);
    tray->AddMenuItem("B");
    EXPECT_NE(backend.trayIcon(), nullptr);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings.first().contains(QStringLiteral("tray"))) << warnings.first().toStdString();
}

TEST_F(QtTrayBackendTest, EachShowBuildsTheMenuAfreshWithTheDefaultInBoldAndAChoiceMayEndTheComponent) {
    tray->AddMenuItem(QStringLiteral("&Show the clock"), QStringLiteral("show"));
    tray->AddMenuItem(QStringLiteral("-"));
    tray->AddMenuItem(QStringLiteral("Main Options"), QStringLiteral("settings"), true);
    tray->AddMenuItem(QStringLiteral("Exit"), QStringLiteral("exit"));
    tray->ShowMenu();
    QPointer<QMenu> first = backend.popupMenu();
    tray->EnableMenuItem(3, false);
    tray->RemoveMenuItem(0);  // element 0 keeps its key with an empty caption
    tray->ShowMenu();
    ASSERT_NE(backend.popupMenu(), first.data());
    const QList<QAction*> actions = backend.popupMenu()->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(
        std::tuple(actions[0]->text(), actions[1]->isSeparator(), actions[2]->text(), actions[2]->isEnabled(),
                   actions[3]->isEnabled(), backend.popupMenu()->defaultAction()),
        std::tuple(QString(), true, QString("Main Options"), true, false, actions[2]));
    actions[2]->trigger();
    actions[0]->trigger();
    EXPECT_EQ(events.log, (QStringList{"menu 2 settings", "menu 0 show"}));
    // With no StatusNotifierItem host the menu is never handed to Qt, which would pop it up a second time.
    EXPECT_EQ(backend.exportedMenu(), nullptr);
    EXPECT_EQ(backend.trayIcon()->contextMenu(), nullptr);

    tray->MenuClick = [this](int, const QString& key) {
        if (key == u"exit") {
            tray.reset();
        }
    };
    tray->EnableMenuItem(3, true);
    tray->ShowMenu();
    backend.popupMenu()->actions()[3]->trigger();
    EXPECT_EQ(tray, nullptr);
    EXPECT_EQ(backend.trayIcon(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
}

}  // namespace

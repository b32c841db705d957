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
#include "tests/support/recording_tray_backend.h"

using horalia::tray::frmSysTray;
using horalia::tray::NotifyMessage;
using horalia::tray::QtTrayBackend;
using horalia::tray::TrayMenu;
using horalia::tray::TrayMenuItem;
namespace wm = horalia::tray::wm;
using testsupport::RecordingTrayBackend;

namespace {

constexpr quintptr kOwnIcon = 0x1234;

struct Events {
    explicit Events(frmSysTray& tray) {
        tray.SysTrayMouseDown = [this](int b) { log << QStringLiteral("down %1").arg(b); };
        tray.SysTrayMouseUp = [this](int b) { log << QStringLiteral("up %1").arg(b); };
        tray.SysTrayMouseMove = [this] { log << QStringLiteral("move"); };
        tray.SysTrayDoubleClick = [this](int b) { log << QStringLiteral("dbl %1").arg(b); };
        tray.MenuClick = [this](int i, const QString& k) {
            log << QStringLiteral("menu %1 %2").arg(i).arg(k);
        };
    }
    QStringList log;
};

// One column of the menu: the captions, or with &TrayMenuItem::key the keys.
QStringList captions(const TrayMenu& menu, QString TrayMenuItem::*field = nullptr) {
    QStringList out;
    for (const auto& item : menu.items) {
        out << (field ? item.*field : item.caption);
    }
    return out;
}

class SysTrayTest : public ::testing::Test {
protected:
    RecordingTrayBackend backend;
    std::unique_ptr<frmSysTray> tray =
        std::make_unique<frmSysTray>(backend, QStringLiteral("Horalia Deluxe"), kOwnIcon);
};

// --- Loading: the icon is added once, at the first change, with the whole record filled ---

TEST_F(SysTrayTest, NothingIsAddedUntilTheFirstChangeAndReadingDoesNotLoad) {
    EXPECT_EQ(tray->ToolTip(), QString());
    EXPECT_EQ(tray->DefaultMenuIndex(), 0);
    EXPECT_FALSE(tray->isLoaded());
    {
        RecordingTrayBackend other;
        frmSysTray{other};
        EXPECT_TRUE(other.calls.isEmpty()) << "a component that never loaded deletes nothing";
    }
    EXPECT_TRUE(backend.calls.isEmpty());

    tray->AddMenuItem(QStringLiteral("&Show the clock"), QStringLiteral("show"));
    ASSERT_EQ(backend.calls.size(), 1);
    const auto& add = backend.calls.first();
    EXPECT_EQ(add.message, NotifyMessage::Add);
    EXPECT_EQ(add.data.uFlags, 7u);
    EXPECT_EQ(add.data.uID, kOwnIcon);
    EXPECT_EQ(add.data.hIcon, kOwnIcon);
    EXPECT_NE(add.data.hWnd, 0u);
    EXPECT_EQ(add.data.tipText(), QStringLiteral("Horalia Deluxe"));

    tray->AddMenuItem(QStringLiteral("Exit"), QStringLiteral("exit"));
    EXPECT_EQ(backend.count(NotifyMessage::Add), 1);
}

TEST_F(SysTrayTest, AnyChangeLoadsFirst) {
    for (auto change : std::initializer_list<std::function<void(frmSysTray&)>>{
             [](frmSysTray& t) { t.setToolTip(QStringLiteral("x")); },
             [](frmSysTray& t) { t.setIconHandle(7); },
             [](frmSysTray& t) { t.EnableMenuItem(0, false); },
             [](frmSysTray& t) { t.RemoveMenuItem(0); },
             [](frmSysTray& t) { t.setDefaultMenuIndex(0); },
             [](frmSysTray& t) { t.ShowMenu(); },
         }) {
        RecordingTrayBackend fresh;
        auto component = std::make_unique<frmSysTray>(fresh);
        change(*component);
        ASSERT_FALSE(fresh.calls.isEmpty());
        EXPECT_EQ(fresh.calls.first().message, NotifyMessage::Add);
        EXPECT_EQ(fresh.count(NotifyMessage::Add), 1);
        component.reset();  // the destructor deletes a loaded icon
        EXPECT_EQ(fresh.last().message, NotifyMessage::Delete);
        EXPECT_EQ(fresh.count(NotifyMessage::Delete), 1);
    }
}

// --- Menu: indices, default, enabling ---

TEST_F(SysTrayTest, ItemsAreNumberedInOrderStartingWithTheElementThatExists) {
    EXPECT_EQ(tray->AddMenuItem(QStringLiteral("A"), QStringLiteral("a")), 0);
    EXPECT_EQ(tray->AddMenuItem(QStringLiteral("-")), 1);
    EXPECT_EQ(tray->AddMenuItem(QStringLiteral("C"), QStringLiteral("c")), 2);
    const TrayMenu menu = tray->menu();
    EXPECT_EQ(captions(menu), (QStringList{"A", "-", "C"}));
    EXPECT_EQ(captions(menu, &TrayMenuItem::key), (QStringList{"a", "", "c"}));
    EXPECT_FALSE(menu.items[0].separator);
    EXPECT_TRUE(menu.items[1].separator);
}

TEST_F(SysTrayTest, TheLastItemAddedAsDefaultIsTheDefaultAndAnInvalidIndexMeansTheFirst) {
    tray->AddMenuItem(QStringLiteral("A"), {}, true);
    tray->AddMenuItem(QStringLiteral("B"), {}, false);
    EXPECT_EQ(tray->DefaultMenuIndex(), 0);
    tray->AddMenuItem(QStringLiteral("C"), {}, true);
    tray->AddMenuItem(QStringLiteral("D"));
    EXPECT_EQ(tray->menu().defaultIndex, 2);
    tray->setDefaultMenuIndex(3);
    EXPECT_EQ(tray->DefaultMenuIndex(), 3);
    for (int invalid : {-1, 4, std::numeric_limits<int>::min()}) {  // 4 is one past the upper bound
        tray->setDefaultMenuIndex(2);
        tray->setDefaultMenuIndex(invalid);
        EXPECT_EQ(tray->DefaultMenuIndex(), 0) << invalid;
    }
}

// --- Removing items ---

class FourItems : public SysTrayTest {
protected:
    void SetUp() override {
        for (const char* name : {"A", "B", "C", "D"}) {
            tray->AddMenuItem(QString::fromLatin1(name), QString::fromLatin1(name).toLower());
        }
    }
};

TEST_F(FourItems, AnInvalidIndexChangesNothingAndTheLastIndexIsTheLastItem) {
    for (int invalid : {4, -1}) {
        tray->EnableMenuItem(invalid, false);
        EXPECT_EQ(tray->RemoveMenuItem(invalid), 0) << invalid;
    }
    tray->EnableMenuItem(1, false);
    QList<bool> enabled;
    for (const auto& item : tray->menu().items) {
        enabled << item.enabled;
    }
    EXPECT_EQ(enabled, (QList<bool>{true, false, true, true}));
    EXPECT_EQ(captions(tray->menu()), (QStringList{"A", "B", "C", "D"}));
    tray->EnableMenuItem(1, true);
    EXPECT_TRUE(tray->menu().items[1].enabled);
    tray->RemoveMenuItem(3);
    EXPECT_EQ(captions(tray->menu()), (QStringList{"A", "B", "C"}));
}

TEST_F(FourItems, RemovingAnItemMovesTheOnesBehindUpWithTheirKeys) {
    tray->setDefaultMenuIndex(2);
    EXPECT_EQ(tray->RemoveMenuItem(1), 0);
    EXPECT_EQ(captions(tray->menu()), (QStringList{"A", "C", "D"}));
    EXPECT_EQ(captions(tray->menu(), &TrayMenuItem::key), (QStringList{"a", "c", "d"}));
    EXPECT_EQ(tray->DefaultMenuIndex(), 2);  // the same number, now naming D
    EXPECT_EQ(tray->AddMenuItem(QStringLiteral("E")), 3);
}

TEST_F(FourItems, ADefaultLeftBehindByARemovalMakesNoItemBold) {
    tray->setDefaultMenuIndex(3);
    tray->RemoveMenuItem(1);
    EXPECT_EQ(tray->DefaultMenuIndex(), 3);
    tray->ShowMenu();
    ASSERT_EQ(backend.menus.size(), 1);
    EXPECT_EQ(backend.menus.first().defaultIndex, -1);
    EXPECT_EQ(backend.menus.first().items.size(), 3);
}

TEST_F(FourItems, AHostThatShowsTheMenuItselfIsGivenItAfterEveryChangeAndOnlyThen) {
    ASSERT_EQ(backend.changedMenus.size(), 4);
    EXPECT_EQ(captions(backend.changedMenus.last()), (QStringList{"A", "B", "C", "D"}));
    tray->EnableMenuItem(2, false);
    EXPECT_FALSE(backend.changedMenus.last().items[2].enabled);
    tray->setDefaultMenuIndex(3);
    EXPECT_EQ(backend.changedMenus.last().defaultIndex, 3);
    tray->RemoveMenuItem(1);
    EXPECT_EQ(captions(backend.changedMenus.last()), (QStringList{"A", "C", "D"}));
    tray->RemoveMenuItem(0);
    EXPECT_EQ(captions(backend.changedMenus.last()), (QStringList{"", "C", "D"}));
    ASSERT_EQ(backend.changedMenus.size(), 8);
    // What changes nothing sends nothing; the tip, the icon and a popup are not the menu's changes.
    tray->EnableMenuItem(9, true);
    tray->RemoveMenuItem(-1);
    tray->setToolTip(QStringLiteral("tip"));
    tray->ShowMenu();
    EXPECT_EQ(backend.changedMenus.size(), 8);
}

// --- Tip and icon: one modify per request, with the single flag of what changes ---

TEST_F(SysTrayTest, ATipIsCutTo63CharactersAndReadsBackWithoutItsNulOrPadding) {
    const QString seventy = QString(70, u'x').replace(0, 10, QStringLiteral("0123456789"));
    tray->setToolTip(seventy);
    EXPECT_EQ(tray->ToolTip(), seventy.left(63));
    EXPECT_EQ(backend.last().data.tipText(), seventy.left(63));
    EXPECT_TRUE(backend.last().data.szTip[63].isNull());

    tray->setToolTip(QStringLiteral("abc"));
    EXPECT_EQ(tray->ToolTip(), QStringLiteral("abc"));
    const auto& tip = backend.last().data.szTip;
    EXPECT_TRUE(tip[3].isNull());
    EXPECT_EQ(tip[4], QChar(u' '));
    EXPECT_EQ(tip[63], QChar(u' '));
    // A shorter tip after a longer one leaves nothing of the old text in view.
    tray->setToolTip(QStringLiteral("Click me for options. Horalia Deluxe 3.6.1"));
    tray->setToolTip(QStringLiteral("ok"));
    EXPECT_EQ(tray->ToolTip(), QStringLiteral("ok"));
    tray->setToolTip(QString());
    EXPECT_EQ(tray->ToolTip(), QString());
    tray->setToolTip(QStringLiteral("ab") + QChar(u'\0') + QStringLiteral("cd"));
    EXPECT_EQ(tray->ToolTip(), QStringLiteral("ab"));
}

TEST_F(SysTrayTest, EachTipSetSendsOneModifyCarryingOnlyTheTipFlag) {
    tray->AddMenuItem(QStringLiteral("A"));
    backend.calls.clear();
    tray->setToolTip(QStringLiteral("one"));
    tray->setToolTip(QStringLiteral("one"));
    ASSERT_EQ(backend.calls.size(), 2);
    for (const auto& call : backend.calls) {
        EXPECT_EQ(call.message, NotifyMessage::Modify);
        EXPECT_EQ(call.data.uFlags, 4u);
        EXPECT_EQ(call.data.uID, kOwnIcon);
    }
    // The flag stays at its last value for later calls.
    EXPECT_EQ(tray->record().uFlags, 4u);
}

TEST_F(SysTrayTest, TheSameIconHandleTwiceSendsOneModifyAndTheIdNeverChanges) {
    tray->setIconHandle(kOwnIcon);  // the handle it already has
    EXPECT_EQ(backend.count(NotifyMessage::Modify), 0);
    tray->setIconHandle(99);
    tray->setIconHandle(99);
    ASSERT_EQ(backend.count(NotifyMessage::Modify), 1);
    EXPECT_EQ(backend.last().data.uFlags, 2u);
    EXPECT_EQ(backend.last().data.hIcon, 99u);
    EXPECT_EQ(backend.last().data.uID, kOwnIcon);
    EXPECT_EQ(tray->IconHandle(), 99u);
    tray->setIconHandle(100);
    EXPECT_EQ(backend.count(NotifyMessage::Modify), 2);
}

// --- Unloading: one delete with the same record ---

TEST_F(SysTrayTest, UnloadDeletesTheIconOnceAndTheDestructorDoesNotAgain) {
    tray->AddMenuItem(QStringLiteral("A"));
    tray->setIconHandle(42);
    tray->setToolTip(QStringLiteral("tip"));
    tray->unload();
    tray->unload();
    tray.reset();
    ASSERT_EQ(backend.count(NotifyMessage::Delete), 1);
    const auto& deleted = backend.last().data;
    EXPECT_EQ(backend.last().message, NotifyMessage::Delete);
    EXPECT_EQ(deleted.uID, kOwnIcon);
    EXPECT_EQ(deleted.hIcon, 42u);
    EXPECT_EQ(deleted.uFlags, 4u);
    EXPECT_EQ(deleted.tipText(), QStringLiteral("tip"));
    EXPECT_EQ(backend.client(), nullptr);
}

TEST_F(SysTrayTest, AChangeAfterUnloadLoadsAFreshComponent) {
    tray->AddMenuItem(QStringLiteral("A"), QStringLiteral("a"), true);
    tray->AddMenuItem(QStringLiteral("B"), QStringLiteral("b"), true);
    tray->setToolTip(QStringLiteral("tip"));
    tray->unload();
    EXPECT_EQ(tray->AddMenuItem(QStringLiteral("C"), QStringLiteral("c")), 0);
    EXPECT_EQ(backend.count(NotifyMessage::Add), 2);
    EXPECT_EQ(backend.last().data.tipText(), QStringLiteral("Horalia Deluxe"));
    EXPECT_EQ(captions(tray->menu()), QStringList{"C"});
    EXPECT_EQ(tray->DefaultMenuIndex(), 0);
}

TEST_F(SysTrayTest, NoEventsWhileThereIsNoIcon) {
    Events events(*tray);
    backend.mouse(wm::kLButtonDown);
    tray->AddMenuItem(QStringLiteral("A"));
    tray->unload();
    backend.mouse(wm::kRButtonDown);
    backend.choose(0);
    EXPECT_TRUE(events.log.isEmpty());
}

// --- Mouse messages and menu choices become events ---

TEST_F(SysTrayTest, MouseMessagesOnTheIconRaiseTheirEvents) {
    tray->AddMenuItem(QStringLiteral("A"));
    Events events(*tray);
    // A double-click raises the first click too, and its own release after it.
    for (quint32 m : {wm::kMouseMove, wm::kLButtonDown, wm::kLButtonUp, wm::kLButtonDblClk, wm::kLButtonUp,
                      wm::kRButtonDown, wm::kRButtonUp, wm::kRButtonDblClk}) {
        backend.mouse(m);
    }
    EXPECT_EQ(events.log,
              (QStringList{"move", "down 1", "up 1", "dbl 1", "up 1", "down 2", "up 2", "dbl 2"}));
}

TEST_F(SysTrayTest, TheMiddleButtonAndOtherMessagesRaiseNothingAndAMissingHandlerIsHarmless) {
    tray->AddMenuItem(QStringLiteral("A"));
    backend.mouse(wm::kLButtonDown);
    backend.mouse(wm::kMouseMove);
    backend.choose(0);
    EXPECT_EQ(backend.calls.size(), 1);
    Events events(*tray);
    for (quint32 m : {wm::kMButtonDown, wm::kMButtonUp, wm::kMButtonDblClk, 0u, 0x1ffu, 0x20au, 7695u,
                      0xffffffffu, 0x80000201u}) {
        backend.mouse(m);
    }
    EXPECT_TRUE(events.log.isEmpty()) << events.log.join(u',').toStdString();
}

TEST_F(SysTrayTest, AChoiceRaisesMenuClickWithTheIndexAndKeyOfTheItemThere) {
    tray->AddMenuItem(QStringLiteral("Say"), QStringLiteral("say"));
    tray->AddMenuItem(QStringLiteral("-"));
    tray->AddMenuItem(QStringLiteral("Exit"), QStringLiteral("exit"));
    Events events(*tray);
    backend.choose(2);
    backend.choose(1);
    backend.choose(3);  // past the end: the menu changed while it was open
    backend.choose(-1);
    EXPECT_EQ(events.log, (QStringList{"menu 2 exit", "menu 1 "}));
}

// --- The desktop backend, on Qt's offscreen platform ---

QIcon solidIcon(Qt::GlobalColor colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

class QtTrayBackendTest : public ::testing::Test {
protected:
    QStringList warnings;
    QtTrayBackend backend{[this](const QString& text) { warnings << text; }};
    std::unique_ptr<frmSysTray> tray = std::make_unique<frmSysTray>(backend);
    Events events{*tray};
};

TEST_F(QtTrayBackendTest, WithoutATrayItSaysSoOnceAndTheClockRunsOn) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
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
    EXPECT_EQ(events.log,
              (QStringList{"down 1", "up 1", "down 2", "up 2", "down 1", "up 1", "dbl 1", "up 1"}));
}

TEST_F(QtTrayBackendTest, TheMenuShowsTheVisibleItemsWithTheDefaultInBoldAndReportsTheChoice) {
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
    EXPECT_EQ(events.log, (QStringList{"menu 2 settings", "menu 0 show"}));
    // With no StatusNotifierItem host the menu is never handed to Qt, which would pop it up a second time.
    EXPECT_EQ(backend.exportedMenu(), nullptr);
    EXPECT_EQ(backend.trayIcon()->contextMenu(), nullptr);
}

TEST_F(QtTrayBackendTest, EachShowBuildsTheMenuAfreshAndAChoiceMayEndTheComponent) {
    tray->AddMenuItem(QStringLiteral("Say"), QStringLiteral("say"));
    tray->AddMenuItem(QStringLiteral("Exit"), QStringLiteral("exit"));
    tray->ShowMenu();
    QPointer<QMenu> first = backend.popupMenu();
    tray->AddMenuItem(QStringLiteral("Later"), QStringLiteral("later"));
    tray->ShowMenu();
    ASSERT_NE(backend.popupMenu(), first.data());
    ASSERT_EQ(backend.popupMenu()->actions().size(), 3);

    tray->MenuClick = [this](int, const QString& key) {
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

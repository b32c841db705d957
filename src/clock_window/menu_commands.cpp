#include "src/clock_window/menu_commands.h"

#include "src/about/web_addresses.h"
#include "src/core/settings_keys.h"
#include "src/platform/failure_report.h"
#include "src/platform/paths.h"

namespace horalia::clock_window {

namespace keys = core::keys;

// Add-ons are separate programs beside the clock. The "ending" ones take over from the clock; the "staying"
// ones run beside it and can be started with it every time.
struct MenuCommands::AddOn {
    QString file;
    QString spokenName;  // "You need the ... add on."
    QString boxName;     // "You don`t have the `...` add on."
    QString startKey;    // empty for the ending kind
    QString everyTimeQuestion;
};

namespace {

const QString kAttention = QStringLiteral("Attention!");

}  // namespace

MenuCommands::MenuCommands(platform::Platform& platform, core::ClockView& view, AppWindows& windows,
                           Hooks hooks)
    : platform_(platform), view_(view), windows_(windows), hooks_(std::move(hooks)) {}

QStringList MenuCommands::itemNames() {
    return {QStringLiteral("mnu_movehome"),  QStringLiteral("mnu_chcharacters"),
            QStringLiteral("mnu_mathdrill"), QStringLiteral("mnu_showcalendar"),
            QStringLiteral("mnu_countdown"), QStringLiteral("mnu_partypack"),
            QStringLiteral("mnu_tands"),     QStringLiteral("mnu_format"),
            QStringLiteral("mnu_colours"),   QStringLiteral("mnu_hideshow"),
            QStringLiteral("mnu_settings1"), QStringLiteral("mnu_about"),
            QStringLiteral("mnu_exit")};
}

void MenuCommands::hideClock() {
    view_.setVisible(false);
    platform::reported(platform_.settings.write(keys::kData, keys::kMinimise, keys::kTrue));
}

void MenuCommands::showClock() {
    view_.setVisible(true);
    // Stored with it: the tick hides a clock whose setting still says hidden.
    platform::reported(platform_.settings.write(keys::kData, keys::kMinimise, keys::kFalse));
}

void MenuCommands::choose(const QString& item) {
    static const AddOn mathDrill{
        QStringLiteral("mathdrill"), QStringLiteral("Math Drill"), QStringLiteral("Math Drill"), {}, {}};
    static const AddOn partyPack{
        QStringLiteral("partypack"), QStringLiteral("Party Pack"), QStringLiteral("PARTY PACK"), {}, {}};
    static const AddOn calendar{
        QStringLiteral("calendar"), QStringLiteral("Calendar"), QStringLiteral("Calendar"),
        keys::kCalendarStart,
        QStringLiteral("Do you want the calendar to start everytime you start Horalia Deluxe?")};
    static const AddOn countdown{
        QStringLiteral("countdown"), QStringLiteral("Countdown"), QStringLiteral("Countdown"),
        keys::kCountdownStart,
        QStringLiteral("Do you want Countdown add on to start everytime you start Horalia Deluxe?")};

    if (item == u"mnu_movehome") {
        if (hooks_.genieMove) {
            hooks_.genieMove();
        }
    } else if (item == u"mnu_chcharacters") {
        windows_.showSettings(core::page::kCharacters, false);
    } else if (item == u"mnu_mathdrill") {
        launch(mathDrill);
    } else if (item == u"mnu_showcalendar") {
        launch(calendar);
    } else if (item == u"mnu_countdown") {
        launch(countdown);
    } else if (item == u"mnu_partypack") {
        launch(partyPack);
    } else if (item == u"mnu_tands") {
        windows_.showSettings(core::page::kTypeAndSpeak, false);
    } else if (item == u"mnu_format") {
        windows_.showSettings(core::page::kMisc, false);
    } else if (item == u"mnu_colours") {
        windows_.showSettings(core::page::kColours, false);
    } else if (item == u"mnu_hideshow") {
        hideClock();
    } else if (item == u"mnu_settings1") {
        windows_.showSettings(core::page::kAlarm1, true);
    } else if (item == u"mnu_about") {
        windows_.showAbout();
    } else if (item == u"mnu_exit") {
        if (hooks_.unloadClock) {
            hooks_.unloadClock();
        }
    }
}

void MenuCommands::launch(const AddOn& addOn) {
    if (platform::reported(
            platform_.shell.start(platform::programFile(addOn.file), platform::WindowStyle::NormalFocus))) {
        if (addOn.startKey.isEmpty()) {
            if (hooks_.endFromTray) {
                hooks_.endFromTray();  // the add-on runs on alone
            }
            return;
        }
        if (platform_.dialogs.messageBox(addOn.everyTimeQuestion, kAttention, platform::style::kYesNo) ==
            platform::Answer::Yes) {
            platform::reported(platform_.settings.write(keys::kData, addOn.startKey, QStringLiteral("1")));
        }
        return;
    }
    if (hooks_.say) {
        hooks_.say(QStringLiteral("You need the ") + addOn.spokenName +
                       QStringLiteral(" add on. Do you want to go to the Horalia web site?"),
                   QStringLiteral("Peedy"));
    }
    const QString question = QStringLiteral("You don`t have the `") + addOn.boxName +
                             QStringLiteral(
                                 "` add on. You can download this for free, from the Horalia web site. Do "
                                 "you want to go to the web site now?");
    if (platform_.dialogs.messageBox(question, kAttention, platform::style::kYesNo) !=
        platform::Answer::Yes) {
        return;
    }
    windows_.sisterapplink(about::kProductWebSite);
    platform_.pause.pause(1);
    if (hooks_.endFromTray) {
        hooks_.endFromTray();
    }
}

void MenuCommands::trayMouseDown(int button) {
    if (button == 2) {
        if (hooks_.showTrayMenu) {
            hooks_.showTrayMenu();
        }
    } else if (button == 1) {
        if (hooks_.saytime) {
            hooks_.saytime();
        }
    }
}

void MenuCommands::trayMenuClick(int /*index*/, const QString& key) {
    if (key == u"about") {
        windows_.showAbout();
    } else if (key == u"hide") {
        hideClock();
    } else if (key == u"show") {
        showClock();
    } else if (key == u"mainoptions") {
        windows_.showSettings(core::page::kAlarm1, false);
    } else if (key == u"exit") {
        if (hooks_.endFromTray) {
            hooks_.endFromTray();
        }
    }
}

}  // namespace horalia::clock_window

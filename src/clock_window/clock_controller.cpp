#include "src/clock_window/clock_controller.h"

#include "src/characters/alarm_voice.h"
#include "src/core/clock_layout.h"
#include "src/core/conversions.h"
#include "src/core/settings_keys.h"
#include "src/core/time_texts.h"
#include "src/platform/failure_report.h"
#include "src/platform/paths.h"

namespace horalia::clock_window {

namespace keys = core::keys;

ClockController::ClockController(platform::Platform& platform, core::ClockView& view, AppWindows& windows,
                                 tray::TrayBackend& trayBackend, quintptr trayIcon)
    : platform_(platform),
      view_(view),
      windows_(windows),
      agents_{platform.engines.create(QStringLiteral("Agent1")),
              platform.engines.create(QStringLiteral("Agent2"))},
      speaker_(platform.settings, platform.clock, platform.fullScreen, cast_),
      announcer_(platform.settings, platform.clock, platform.pause, view,
                 [this](const QString& talk, core::Who who) { speaker_.say(talk, who); }),
      tick_(platform.settings, platform.clock, platform.pause, platform.shell, platform.timeChanges, view,
            core::Tick::Actions{[this] { saytime(); },
                                [this](const core::Alarm& alarm) {
                                    characters::alarmclock(alarm, cast_, platform_.settings, speaker_);
                                }}),
      setup_(platform, cast_, speaker_, view),
      homing_(platform, cast_, speaker_, setup_, view),
      reactions_(platform.clock, cast_, speaker_,
                 characters::Reactions::Actions{[this] { GenieMove(); }, [this] { unload(); }}),
      menus_(platform, view, windows,
             MenuCommands::Hooks{[this](const QString& talk, const QString& who) { say(talk, who); },
                                 [this] { saytime(); }, [this] { GenieMove(); },
                                 [this] {
                                     if (m_frmSysTray) {
                                         m_frmSysTray->ShowMenu();
                                     }
                                 },
                                 [this] { unload(); }, [this] { endProgram(); }}),
      trayBackend_(trayBackend),
      trayIcon_(trayIcon) {
    for (core::Who who : core::kBothCharacters) {
        agent::Control* control = agents_[core::slot(who)].get();
        cast_[who].control = control;
        control->setCommandHandler(
            [this, who](const agent::UserInput& input) { reactions_.command(who, input.name); });
        control->setDragCompleteHandler(
            [this, who](const agent::DragEvent&) { reactions_.dragComplete(who); });
    }
    platform.fullScreen.setChangeHandler([this] { speaker_.fullScreenChanged(); });
}

ClockController::~ClockController() {
    platform_.fullScreen.setChangeHandler({});
}

void ClockController::load() {
    auto& settings = platform_.settings;
    const core::GeometryTwips start = core::startPosition(settings, platform_.screen);
    view_.setSimpleMenus(settings.read(keys::kData, keys::kMode, "simple") == u"simple");
    view_.setColours(core::toInt32(settings.read(keys::kData, keys::kForeColour, "0")),
                     core::toInt32(settings.read(keys::kData, keys::kBackColour, "16777215")));

    speaker_.resetGestures();
    reactions_.resetCounters();
    announcer_.reset();

    // Add-ons the user asked to have started with the clock; a missing one is not worth a word at start-up.
    if (settings.read(keys::kData, keys::kCalendarStart, "0") == u"1") {
        platform::reported(platform_.shell.start(platform::programFile(QStringLiteral("calendar")),
                                                 platform::WindowStyle::NormalNoFocus));
    }
    if (settings.read(keys::kData, keys::kCountdownStart, "0") == u"1") {
        platform::reported(platform_.shell.start(platform::programFile(QStringLiteral("countdown")),
                                                 platform::WindowStyle::NormalNoFocus));
    }

    view_.moveTo(start.left, start.top);
    const QString format = settings.read(keys::kFormatSection, keys::kFormat, "1");
    view_.setTimeFormat(core::is24HourFormat(format));
    view_.setTimeText(core::displayText(platform_.clock.now().time(), format));
    tick_.start();
    // The tray icon is not part of the clock's first picture.
    view_.whenDrawn([this] { createTray(); });
    loaded_ = true;
}

void ClockController::createTray() {
    m_frmSysTray = std::make_unique<tray::frmSysTray>(trayBackend_);
    m_frmSysTray->SysTrayMouseDown = [this](int button) { menus_.trayMouseDown(button); };
    m_frmSysTray->MenuClick = [this](int index, const QString& key) { menus_.trayMenuClick(index, key); };
    const QString separator = QStringLiteral("-");
    m_frmSysTray->AddMenuItem(QStringLiteral("&Hide the clock"), QStringLiteral("hide"), true);
    m_frmSysTray->AddMenuItem(separator, QString(), false);
    m_frmSysTray->AddMenuItem(QStringLiteral("&Show the clock"), QStringLiteral("show"), true);
    m_frmSysTray->AddMenuItem(separator, QString(), false);
    m_frmSysTray->AddMenuItem(QStringLiteral("&Main Options"), QStringLiteral("mainoptions"), true);
    m_frmSysTray->AddMenuItem(separator, QString(), false);
    m_frmSysTray->AddMenuItem(QStringLiteral("&About Horalia"), QStringLiteral("about"), true);
    m_frmSysTray->AddMenuItem(separator, QString(), false);
    m_frmSysTray->AddMenuItem(QStringLiteral("&Exit"), QStringLiteral("exit"), true);
    m_frmSysTray->setToolTip(QStringLiteral("Click me for options. Horalia Deluxe %1.%2.%3")
                                 .arg(HORALIA_VERSION_MAJOR)
                                 .arg(HORALIA_VERSION_MINOR)
                                 .arg(HORALIA_VERSION_PATCH));
    m_frmSysTray->setIconHandle(trayIcon_);
}

void ClockController::unload() {
    endProgram();
}

void ClockController::endProgram() {
    // The icon goes first, so the desktop is never left with the icon of a program that has ended.
    if (m_frmSysTray) {
        m_frmSysTray->unload();
    }
    platform_.program.endProgram();
}

void ClockController::say(const QString& talk, const QString& who) {
    speaker_.say(talk, who);
}

void ClockController::saytime() {
    announcer_.saytime();
}

void ClockController::alarmclock(const QString& who) {
    characters::alarmclock(core::alarmSpokenBy(core::whoFromSpeaker(who)), cast_, platform_.settings,
                           speaker_);
}

void ClockController::checkboxes() {
    setup_.checkboxes();
}

void ClockController::characterset() {
    setup_.characterset();
}

void ClockController::GenieMove() {
    homing_.GenieMove();
}

characters::Homing::SettingsDialogHooks ClockController::settingsDialogHooks() {
    return {[this] { windows_.hideSettings(); },
            [this] { windows_.showSettings(core::page::kCharacters, false); },
            [this] { windows_.closeSettings(); }};
}

bool ClockController::newcharacter() {
    return homing_.newcharacter(settingsDialogHooks());
}

bool ClockController::newcharacter2() {
    return homing_.newcharacter2(settingsDialogHooks());
}

bool ClockController::showClock() {
    if (!loaded_) {
        return false;
    }
    menus_.showClock();
    return true;
}

void ClockController::labelDoubleClicked() {
    saytime();
    platform_.pause.pause(1);
}

}  // namespace horalia::clock_window

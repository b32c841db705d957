// The clock's public operations and shared members, without the window itself: the desktop window and the
// console mode both drive the clock through this. It reads like a table of contents: each operation hands
// over to the folder that owns it.
#pragma once

#include <QString>
#include <array>
#include <memory>

#include "src/characters/cast.h"
#include "src/characters/character_setup.h"
#include "src/characters/homing.h"
#include "src/characters/reactions.h"
#include "src/characters/speaker.h"
#include "src/clock_window/app_windows.h"
#include "src/clock_window/menu_commands.h"
#include "src/core/clock_view.h"
#include "src/core/tick.h"
#include "src/core/time_announcer.h"
#include "src/platform/platform.h"
#include "src/tray/sys_tray.h"

namespace horalia::clock_window {

class ClockController {
public:
    // The tray icon goes to trayBackend, showing the icon trayIcon (a handle the backend knows).
    ClockController(platform::Platform& platform, core::ClockView& view, AppWindows& windows,
                    tray::TrayBackend& trayBackend, quintptr trayIcon);
    ~ClockController();

    // The start-up of the clock window: place, colours, size, counters, add-ons, the time label and the tick.
    void load();
    // Unloading the clock window removes the tray icon and ends the program.
    void unload();
    // The tray component, from the start-up on (m_frmSysTray).
    tray::frmSysTray* tray() { return m_frmSysTray.get(); }

    // Public operations of the clock.
    void say(const QString& talk, const QString& who);
    void saytime();
    void alarmclock(const QString& who);
    void checkboxes();
    void characterset();
    void GenieMove();
    bool newcharacter();
    bool newcharacter2();

    // A later start of the program asks for the clock: it comes back as the tray's "Show the clock" brings
    // it. False, with nothing done, before the clock has loaded (while a first run shows its agreement or
    // installer screen).
    bool showClock();

    // The time label's mouse: a double-click speaks the time.
    void labelDoubleClicked();

    MenuCommands& menus() { return menus_; }
    characters::Cast& cast() { return cast_; }
    characters::Reactions& reactions() { return reactions_; }
    core::Tick& tick() { return tick_; }

private:
    characters::Homing::SettingsDialogHooks settingsDialogHooks();
    void createTray();
    void endProgram();

    platform::Platform& platform_;
    core::ClockView& view_;
    AppWindows& windows_;
    std::array<std::unique_ptr<agent::Control>, 2> agents_;  // Agent1 and Agent2
    characters::Cast cast_;
    characters::Speaker speaker_;
    core::TimeAnnouncer announcer_;
    core::Tick tick_;
    characters::CharacterSetup setup_;
    characters::Homing homing_;
    characters::Reactions reactions_;
    MenuCommands menus_;
    tray::TrayBackend& trayBackend_;
    quintptr trayIcon_;
    std::unique_ptr<tray::frmSysTray> m_frmSysTray;
    bool loaded_ = false;
};

}  // namespace horalia::clock_window

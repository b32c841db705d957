// What every command of the clock's menu and of the tray menu does, and the four add-on launchers.
#pragma once

#include <functional>

#include "src/clock_window/app_windows.h"
#include "src/core/clock_view.h"
#include "src/platform/platform.h"

namespace horalia::clock_window {

class MenuCommands {
public:
    struct Hooks {
        std::function<void(const QString& talk, const QString& who)> say;
        std::function<void()> saytime;
        std::function<void()> genieMove;
        std::function<void()> showTrayMenu;
        // Unloads the clock window: the tray icon goes, the program ends.
        std::function<void()> unloadClock;
        // Removes the tray icon and ends the program without unloading the clock first.
        std::function<void()> endFromTray;
    };

    MenuCommands(platform::Platform& platform, core::ClockView& view, AppWindows& windows, Hooks hooks);

    // A click on an item of mnu_settings, by the item's name ("mnu_movehome").
    void choose(const QString& item);
    // The tray component's events.
    void trayMouseDown(int button);
    void trayMenuClick(int index, const QString& key);
    // The tray menu's "Show the clock", which a later start of the program also asks for.
    void showClock();

    // The names of the clock menu's items that do something.
    static QStringList itemNames();

private:
    struct AddOn;
    void launch(const AddOn& addOn);
    void hideClock();

    platform::Platform& platform_;
    core::ClockView& view_;
    AppWindows& windows_;
    Hooks hooks_;
};

}  // namespace horalia::clock_window

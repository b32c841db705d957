// What the settings dialog and the first-run check are given of the running clock, built the same way by
// the desktop and by the console; each mode adds only what it does its own way.
#pragma once

#include <QColor>
#include <QStringList>
#include <functional>

#include "src/clock_window/app_windows.h"
#include "src/clock_window/clock_controller.h"
#include "src/settings_dialog/clock_link.h"
#include "src/setup/new_user.h"

namespace horalia::wiring {

// The colours the time label shows now.
struct ShownColours {
    std::function<QColor()> fore;
    std::function<QColor()> back;
};

settings_dialog::ClockLink settingsClockLink(clock_window::ClockController& controller, core::ClockView& view,
                                             clock_window::AppWindows& windows, ShownColours colours,
                                             QStringList restartArguments = {});

// anotherInstance, showClock and checkboxes; the agreement and the installer screen are each mode's own.
setup::New_User::Links newUserLinks(clock_window::ClockController& controller, bool anotherInstance,
                                    std::function<void()> showClock);

}  // namespace horalia::wiring

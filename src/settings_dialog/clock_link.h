// What the settings dialog needs of the running clock and of the platform beyond the Platform bundle.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <functional>

#include "src/core/clock_view.h"
#include "src/platform/autostart_entry.h"
#include "src/platform/colour_chooser.h"
#include "src/platform/platform.h"

namespace horalia::settings_dialog {

struct ClockLink {
    // The clock window's say(talk, who).
    std::function<void(const QString& talk, const QString& who)> say;
    // The clock window: its time label's layout, text and colours.
    core::ClockView* view = nullptr;
    // The colours the time label shows now (not the stored ones).
    std::function<QColor()> timeForeColour;
    std::function<QColor()> timeBackColour;
    // newcharacter and newcharacter2 of the clock window.
    std::function<bool()> newcharacter;
    std::function<bool()> newcharacter2;
    // Unloads the clock window, which ends the program.
    std::function<void()> unloadClock;
    // Unloads the settings dialog itself; also what its window's close box does.
    std::function<void()> closeDialog;
    // Handed to the restart companion, which hands them on to the clock it starts.
    QStringList restartArguments;
};

struct DialogContext {
    platform::Platform& platform;
    platform::ColourChooser& colours;
    platform::AutostartEntry& autostart;
    ClockLink clock;
};

}  // namespace horalia::settings_dialog

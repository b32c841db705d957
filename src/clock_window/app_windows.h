// What the clock asks of the application object: the other windows, each created on first use and kept.
#pragma once

#include <QString>

#include "src/core/alarms.h"

namespace horalia::clock_window {

class AppWindows {
public:
    virtual ~AppWindows() = default;
    // Shows the settings dialog modeless (bringing it up again when it is open) on the page (core::page);
    // with focusHour1 the cursor goes to alarm 1's hour box.
    virtual void showSettings(int pageIndex, bool focusHour1) = 0;
    virtual void hideSettings() = 0;
    virtual void closeSettings() = 0;
    virtual void showAbout() = 0;
    // Opens a web page in the user's browser, reporting failures itself.
    virtual void sisterapplink(const QString& address) = 0;
};

}  // namespace horalia::clock_window

// The clock window's sizes for the two time formats, in twips, and where it starts.
#pragma once

#include "src/core/clock_view.h"
#include "src/platform/screen_metrics.h"
#include "src/platform/settings_store.h"

namespace horalia::core {

struct ClockLayout {
    int fontPoints;
    int labelHeight;
    int labelWidth;
    int windowHeight;
    int windowWidth;
};

inline constexpr ClockLayout kLayout24{28, 690, 1665, 750, 1680};
inline constexpr ClockLayout kLayout12{18, 465, 1665, 525, 1680};

inline const ClockLayout& layoutFor(bool twentyFourHour) {
    return twentyFourHour ? kLayout24 : kLayout12;
}

// FormX and FormY (default 2000 twips each), kept when the clock is on any monitor; one on no monitor is
// brought onto the nearest, starting at its left or top edge on the axis that is off it. A value that is not
// a number leaves the design position (0).
GeometryTwips startPosition(const platform::SettingsStore& settings, const platform::ScreenMetrics& screen);

}  // namespace horalia::core

#include "src/core/clock_layout.h"

#include "src/core/conversions.h"
#include "src/core/settings_keys.h"

namespace horalia::core {

GeometryTwips startPosition(const platform::SettingsStore& settings, const platform::ScreenMetrics& screen) {
    GeometryTwips g;
    g.left = toDouble(settings.read(keys::kData, keys::kFormX, "2000")).value_or(0);
    g.top = toDouble(settings.read(keys::kData, keys::kFormY, "2000")).value_or(0);
    // Beyond the right or bottom edge it starts at the left or top edge; so does a clock that would be wholly
    // off the left or top edge, which a stored position can only be after a change of screens.
    if (g.left > screen.widthTwips() || g.left < -kLayout12.windowWidth) {
        g.left = 0;
    }
    if (g.top > screen.heightTwips() || g.top < -kLayout24.windowHeight) {
        g.top = 0;
    }
    return g;
}

}  // namespace horalia::core

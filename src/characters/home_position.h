// Where a character stands beside the clock: character 1 centred 800 twips right of the clock's right edge,
// character 2 centred 800 twips left of its left edge, both centres 900 twips above its bottom edge.
#pragma once

#include <QPoint>
#include <optional>

#include "src/core/clock_view.h"
#include "src/core/who.h"
#include "src/platform/screen_metrics.h"

namespace horalia::characters {

// The frame's top-left corner in screen pixels for a character of frameWidth x frameHeight pixels, or nullopt
// when it does not fit a 16-bit coordinate (the character then stays where it is).
std::optional<QPoint> homePosition(core::Who who, const core::GeometryTwips& clock,
                                   const platform::ScreenMetrics& screen, int frameWidth, int frameHeight);

}  // namespace horalia::characters

// Where a character stands beside the clock: character 1 centred 800 twips right of the clock's right edge,
// character 2 centred 800 twips left of its left edge, both centres 900 twips above its bottom edge; moved so
// that both stand on the clock's monitor, clear of the clock and of each other.
#pragma once

#include <QPoint>
#include <QSize>
#include <array>
#include <optional>

#include "src/core/clock_view.h"
#include "src/core/who.h"
#include "src/platform/screen_metrics.h"

namespace horalia::characters {

// The frame's top-left corner in screen pixels for a character of frameWidth x frameHeight pixels, or nullopt
// when it does not fit a 16-bit coordinate (the character then stays where it is).
std::optional<QPoint> homePosition(core::Who who, const core::GeometryTwips& clock,
                                   const platform::ScreenMetrics& screen, int frameWidth, int frameHeight);

// Both characters' homes (index 0 character 1, 1 character 2; an empty frame is a character that is not
// there) on the monitor the clock is on, within the part of it windows may use:
// - each stands at its home above, moved up or down as far as it takes to stand within the monitor;
// - a home that sticks out at the monitor's left or right edge is given up for the clock's other side, at
//   the same distance from the clock, beyond the other character if that one stands there;
// - when neither side has room, the character stands above the clock, else below it, as near its own side as
//   the monitor allows;
// - a character that finds no room that way either stands where the first of these places is on the monitor,
//   even though the other character is there too, and, failing that, at its home above.
// Never over the clock further than a home beside it reaches (a wide frame overlaps its edge a little, never
// its time), never across the edge between two monitors.
std::array<std::optional<QPoint>, 2> homesBeside(const core::GeometryTwips& clock,
                                                 const platform::ScreenMetrics& screen,
                                                 const std::array<QSize, 2>& frames);

}  // namespace horalia::characters

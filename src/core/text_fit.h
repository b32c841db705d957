// The time label's font size on a desktop whose font for the clock is wider than the one it was laid out
// for: the text is made smaller rather than cut off at the label's edges.
#pragma once

#include <functional>

namespace horalia::core {

// The largest point size from askedPoints down to 1 at which textWidth (the text's width in pixels at a point
// size) is at most availableWidth: askedPoints itself whenever the text fits, 1 when even that does not fit.
// An asked size below 1 is returned as it is.
int fittingPointSize(int askedPoints, int availableWidth, const std::function<int(int points)>& textWidth);

}  // namespace horalia::core

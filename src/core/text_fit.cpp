#include "src/core/text_fit.h"

namespace horalia::core {

int fittingPointSize(int askedPoints, int availableWidth, const std::function<int(int points)>& textWidth) {
    // Counted down rather than searched: a font's widths need not grow evenly with its size (hinting), and
    // the clock asks at most a few dozen sizes, only when its text or its layout changes.
    for (int points = askedPoints; points > 1; --points) {
        if (textWidth(points) <= availableWidth) {
            return points;
        }
    }
    return askedPoints < 1 ? askedPoints : 1;
}

}  // namespace horalia::core

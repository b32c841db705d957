#include "src/characters/home_position.h"

#include <cmath>
#include <limits>

namespace horalia::characters {

namespace {

std::optional<int> toInt16(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    double rounded = std::nearbyint(value);  // halves to the even neighbour
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(rounded);
}

}  // namespace

std::optional<QPoint> homePosition(core::Who who, const core::GeometryTwips& clock,
                                   const platform::ScreenMetrics& screen, int frameWidth, int frameHeight) {
    const double tppx = screen.twipsPerPixelX();
    const double tppy = screen.twipsPerPixelY();
    if (tppx <= 0 || tppy <= 0) {
        return std::nullopt;
    }
    const double centreX = who == core::Who::First ? clock.left + clock.width + 800 : clock.left - 800;
    std::optional<int> x = toInt16(centreX / tppx - frameWidth / 2.0);
    std::optional<int> y = toInt16((clock.top + clock.height - 900) / tppy - frameHeight / 2.0);
    if (!x || !y) {
        return std::nullopt;
    }
    return QPoint(*x, *y);
}

}  // namespace horalia::characters

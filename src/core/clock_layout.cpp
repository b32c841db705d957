#include "src/core/clock_layout.h"

#include "src/core/conversions.h"
#include "src/core/settings_keys.h"

#include <limits>

namespace horalia::core {

namespace {

// A monitor in twips.
struct Span {
    double left, top, right, bottom;
};

Span inTwips(const QRect& r, const platform::ScreenMetrics& screen) {
    const double tx = screen.twipsPerPixelX();
    const double ty = screen.twipsPerPixelY();
    return {r.left() * tx, r.top() * ty, (r.left() + r.width()) * tx, (r.top() + r.height()) * ty};
}

// A clock whose top left corner is within the monitor, its right or bottom edge included, or that is partly
// off its left or top edge, is on it.
bool onX(double left, const Span& m) {
    return left >= m.left - kLayout12.windowWidth && left <= m.right;
}

bool onY(double top, const Span& m) {
    return top >= m.top - kLayout24.windowHeight && top <= m.bottom;
}

}  // namespace

GeometryTwips startPosition(const platform::SettingsStore& settings, const platform::ScreenMetrics& screen) {
    GeometryTwips g;
    g.left = toDouble(settings.read(keys::kData, keys::kFormX, "2000")).value_or(0);
    g.top = toDouble(settings.read(keys::kData, keys::kFormY, "2000")).value_or(0);
    QList<platform::Monitor> monitors = screen.monitors();
    if (monitors.isEmpty()) {
        monitors.append({QRect(0, 0, screen.widthPixels(), screen.heightPixels()), {}});
    }
    // Kept where it was left on any monitor; one left on a monitor that is gone is brought onto the nearest
    // one: beyond that monitor's right or bottom edge (or wholly off its left or top edge) it starts at its
    // left or top edge.
    const Span* nearest = nullptr;
    double nearestDistance = std::numeric_limits<double>::max();
    QList<Span> spans;
    for (const platform::Monitor& m : monitors) {
        spans.append(inTwips(m.geometry, screen));
    }
    for (const Span& m : spans) {
        if (onX(g.left, m) && onY(g.top, m)) {
            return g;
        }
        const double dx = g.left < m.left ? m.left - g.left : g.left > m.right ? g.left - m.right : 0;
        const double dy = g.top < m.top ? m.top - g.top : g.top > m.bottom ? g.top - m.bottom : 0;
        if (dx * dx + dy * dy < nearestDistance) {
            nearestDistance = dx * dx + dy * dy;
            nearest = &m;
        }
    }
    if (!onX(g.left, *nearest)) {
        g.left = nearest->left;
    }
    if (!onY(g.top, *nearest)) {
        g.top = nearest->top;
    }
    return g;
}

}  // namespace horalia::core

#include "src/core/monitors.h"

#include <limits>

namespace horalia::core {

qint64 distanceSquared(const QRect& r, QPoint p) {
    const qint64 dx = p.x() < r.left() ? r.left() - p.x() : p.x() > r.right() ? p.x() - r.right() : 0;
    const qint64 dy = p.y() < r.top() ? r.top() - p.y() : p.y() > r.bottom() ? p.y() - r.bottom() : 0;
    return dx * dx + dy * dy;
}

int monitorOf(const QList<platform::Monitor>& monitors, const QRect& window) {
    int best = -1;
    qint64 mostShared = 0;
    for (int i = 0; i < int(monitors.size()); ++i) {
        const QRect shared = monitors[i].geometry.intersected(window);
        const qint64 area = shared.isEmpty() ? 0 : qint64(shared.width()) * shared.height();
        if (area > mostShared) {
            best = i;
            mostShared = area;
        }
    }
    if (best >= 0) {
        return best;
    }
    qint64 nearest = std::numeric_limits<qint64>::max();
    for (int i = 0; i < int(monitors.size()); ++i) {
        const qint64 d = distanceSquared(monitors[i].geometry, window.center());
        if (d < nearest) {
            best = i;
            nearest = d;
        }
    }
    return best;
}

}  // namespace horalia::core

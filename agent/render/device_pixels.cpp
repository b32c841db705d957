#include "agent/render/device_pixels.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>
#include <limits>

namespace agent::render {

namespace {

QRect deviceRect(const ScreenScale& s) {
    return QRect(s.logical.topLeft(), QSize(int(std::lround(s.logical.width() * s.ratio)),
                                            int(std::lround(s.logical.height() * s.ratio))));
}

// How far the point is from the rectangle (0 inside), squared.
qint64 distanceSquared(const QRect& r, QPoint p) {
    const qint64 dx = p.x() < r.left() ? r.left() - p.x() : p.x() > r.right() ? p.x() - r.right() : 0;
    const qint64 dy = p.y() < r.top() ? r.top() - p.y() : p.y() > r.bottom() ? p.y() - r.bottom() : 0;
    return dx * dx + dy * dy;
}

int toInt(double v) {
    return int(std::lround(v));
}

}  // namespace

int screenFor(const QList<ScreenScale>& screens, QPoint point, bool device) {
    int best = -1;
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (int i = 0; i < int(screens.size()); ++i) {
        const qint64 d = distanceSquared(device ? deviceRect(screens[i]) : screens[i].logical, point);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

namespace {

// Each screen keeps its corner where X has it and scales what lies inside it.
QPoint rescale(const QList<ScreenScale>& screens, QPoint point, bool fromDevice) {
    const int i = screenFor(screens, point, fromDevice);
    if (i < 0 || !(screens[i].ratio > 0)) {
        return point;
    }
    const double ratio = screens[i].ratio;
    const auto scaled = [&](int v) { return toInt(fromDevice ? v / ratio : v * ratio); };
    const QPoint origin = screens[i].logical.topLeft();
    const QPoint inside = point - origin;
    return origin + QPoint(scaled(inside.x()), scaled(inside.y()));
}

}  // namespace

QPoint logicalFromDevice(const QList<ScreenScale>& screens, QPoint device) {
    return rescale(screens, device, true);
}

QPoint deviceFromLogical(const QList<ScreenScale>& screens, QPoint logical) {
    return rescale(screens, logical, false);
}

QList<ScreenScale> currentScreens() {
    QList<ScreenScale> out;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return out;
    }
    for (const QScreen* s : QGuiApplication::screens()) {
        out.append({s->geometry(), s->devicePixelRatio()});
    }
    return out;
}

}  // namespace agent::render

#include "src/characters/home_position.h"

#include "src/core/monitors.h"

#include <QRect>
#include <algorithm>
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

namespace {

QRect clockInPixels(const core::GeometryTwips& clock, const platform::ScreenMetrics& screen) {
    const double tx = screen.twipsPerPixelX();
    const double ty = screen.twipsPerPixelY();
    const auto px = [](double v) { return int(std::lround(v)); };
    return QRect(px(clock.left / tx), px(clock.top / ty), px(clock.width / tx), px(clock.height / ty));
}

bool within(const QRect& area, const QRect& r) {
    return area.contains(r, false) || (r.isEmpty() && area.contains(r.topLeft()));
}

// The places a character looks at in turn, from its home beside the clock.
class Places {
public:
    Places(const QRect& clock, const QRect& area) : clock_(clock), area_(area) {}

    // At its own side, moved up or down onto the monitor.
    QRect ownSide(const QRect& home) const { return QRect(QPoint(home.x(), fitY(home)), home.size()); }

    // At the other side, as far from the clock as at its own, beyond `other` if that stands in the way.
    QRect otherSide(const QRect& home, bool right, const std::optional<QRect>& other) const {
        QRect r = ownSide(home);
        if (right) {
            // home stood at the left: its gap to the clock's left edge, now at the right edge
            const int gap = clock_.left() - (home.x() + home.width());
            r.moveLeft(clock_.x() + clock_.width() + gap);
            if (other && other->intersects(r)) {
                r.moveLeft(other->x() + other->width());
            }
        } else {
            const int gap = home.x() - (clock_.x() + clock_.width());
            r.moveLeft(clock_.x() - gap - home.width());
            if (other && other->intersects(r)) {
                r.moveLeft(other->x() - home.width());
            }
        }
        return r;
    }

    // Wholly above (or below) the clock, as near its home's column as the monitor allows, beside `other`
    // when that one is already there.
    QRect overOrUnder(const QRect& home, bool above, bool right, const std::optional<QRect>& other) const {
        QRect r(QPoint(fitX(home.x(), home.width()),
                       above ? clock_.y() - home.height() : clock_.y() + clock_.height()),
                home.size());
        if (other && other->intersects(r)) {
            r.moveLeft(right ? other->x() + other->width() : other->x() - home.width());
        }
        return r;
    }

private:
    int fitY(const QRect& r) const {
        return std::clamp(r.y(), area_.y(), std::max(area_.y(), area_.y() + area_.height() - r.height()));
    }
    int fitX(int x, int width) const {
        return std::clamp(x, area_.x(), std::max(area_.x(), area_.x() + area_.width() - width));
    }

    QRect clock_;
    QRect area_;
};

}  // namespace

std::array<std::optional<QPoint>, 2> homesBeside(const core::GeometryTwips& clock,
                                                 const platform::ScreenMetrics& screen,
                                                 const std::array<QSize, 2>& frames) {
    std::array<std::optional<QPoint>, 2> homes;
    std::array<QRect, 2> standard;
    for (core::Who who : core::kBothCharacters) {
        const int i = int(core::slot(who));
        if (frames[i].isEmpty()) {
            continue;
        }
        homes[i] = homePosition(who, clock, screen, frames[i].width(), frames[i].height());
        if (homes[i]) {
            standard[i] = QRect(*homes[i], frames[i]);
        }
    }
    const QList<platform::Monitor> monitors = screen.monitors();
    const QRect clockRect = clockInPixels(clock, screen);
    const int m = core::monitorOf(monitors, clockRect);
    if (m < 0 || !monitors[m].available.isValid()) {
        return homes;
    }
    const Places places(clockRect, monitors[m].available);
    const QRect& area = monitors[m].available;

    // The characters whose own side has room stand there first; the others then look for room around them.
    std::array<std::optional<QRect>, 2> placed;
    for (int i : {0, 1}) {
        if (homes[i] && within(area, places.ownSide(standard[i]))) {
            placed[i] = places.ownSide(standard[i]);
        }
    }
    for (int i : {0, 1}) {
        if (!homes[i] || placed[i]) {
            continue;
        }
        const bool ownRight = i == 0;
        const std::optional<QRect>& other = placed[1 - i];
        const std::array<QRect, 4> tries{
            places.ownSide(standard[i]),
            places.otherSide(standard[i], !ownRight, other),
            places.overOrUnder(standard[i], true, ownRight, other),
            places.overOrUnder(standard[i], false, ownRight, other),
        };
        for (const QRect& r : tries) {
            if (within(area, r) && !(other && other->intersects(r))) {
                placed[i] = r;
                break;
            }
        }
        if (!placed[i]) {
            for (const QRect& r : tries) {
                if (within(area, r)) {
                    placed[i] = r;
                    break;
                }
            }
        }
    }
    for (int i : {0, 1}) {
        if (placed[i]) {
            homes[i] = placed[i]->topLeft();
        }
    }
    return homes;
}

}  // namespace horalia::characters

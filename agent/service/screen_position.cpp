#include "agent/service/screen_position.h"

#include <algorithm>

namespace agent::service {

namespace {

// Wide numbers throughout: a position from the bus may be near the limits of int.
struct Span {
    qint64 from;
    qint64 to;  // past the end
};

qint64 overlap(Span a, Span b) {
    return std::max<qint64>(0, std::min(a.to, b.to) - std::max(a.from, b.from));
}

qint64 gap(Span a, Span b) {
    return std::max<qint64>({0, b.from - a.to, a.from - b.to});
}

qint64 placed(qint64 wanted, qint64 length, Span screen) {
    return std::max(screen.from, std::min(wanted, screen.to - length));
}

}  // namespace

QPoint keepOnScreens(QPoint wanted, QSize size, const QList<QRect>& screens) {
    if (screens.isEmpty()) {
        return wanted;
    }
    const qint64 width = std::max(0, size.width());
    const qint64 height = std::max(0, size.height());
    const Span across{wanted.x(), wanted.x() + width};
    const Span down{wanted.y(), wanted.y() + height};
    const auto spans = [](const QRect& r) {
        return std::pair{Span{r.x(), qint64(r.x()) + r.width()}, Span{r.y(), qint64(r.y()) + r.height()}};
    };
    // most overlap first, then the nearest
    const auto rank = [&](const QRect& screen) {
        const auto [x, y] = spans(screen);
        const double dx = double(gap(across, x));  // squared, these overflow 64 bits
        const double dy = double(gap(down, y));
        return std::pair{-overlap(across, x) * overlap(down, y), dx * dx + dy * dy};
    };
    const QRect& best = *std::min_element(screens.begin(), screens.end(),
                                          [&](const QRect& a, const QRect& b) { return rank(a) < rank(b); });
    const auto [x, y] = spans(best);
    return QPoint(int(placed(wanted.x(), width, x)), int(placed(wanted.y(), height, y)));
}

}  // namespace agent::service

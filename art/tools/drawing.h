// Small drawing helpers our figures share.
#pragma once

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace art {

constexpr double kDeg = std::numbers::pi / 180.0;

inline QPointF along(QPointF from, double length, double angleDeg, double side) {
    // Angles of limbs count from straight down, outward positive, so one number serves either side.
    return from + QPointF(side * std::sin(angleDeg * kDeg), std::cos(angleDeg * kDeg)) * length;
}

inline QPainterPath heart(QPointF c, double s) {
    QPainterPath path;
    path.moveTo(c + QPointF(0, s * 0.9));
    path.cubicTo(c + QPointF(-s * 1.6, -s * 0.1), c + QPointF(-s * 0.7, -s * 1.3), c + QPointF(0, -s * 0.4));
    path.cubicTo(c + QPointF(s * 0.7, -s * 1.3), c + QPointF(s * 1.6, -s * 0.1), c + QPointF(0, s * 0.9));
    return path;
}

// Stroked twice: a dark pen under a coloured one, which gives a tube with an outline.
inline void tube(QPainter& p, const QPolygonF& line, double width, const QPen& outline, const QColor& fill) {
    QPen under = outline;
    under.setWidthF(width + 3);
    p.setPen(under);
    p.drawPolyline(line);
    QPen over(fill, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(over);
    p.drawPolyline(line);
}

}  // namespace art

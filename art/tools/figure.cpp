#include "figure.h"

#include <QPainterPath>

#include <cmath>
#include <numbers>

#include "drawing.h"

namespace art {

Figure::Figure(const QList<QPair<QString, QRgb>>& colors) {
    for (const auto& [name, rgb] : colors) {
        colors_[name] = QColor(rgb);
    }
}

QColor Figure::color(const QString& name) {
    const auto it = colors_.constFind(name);
    if (it == colors_.constEnd()) {
        missing_.insert(name);
        return Qt::black;
    }
    return *it;
}

QPen Figure::outlinePen(double width) {
    return QPen(color(QStringLiteral("outline")), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Figure::star(QPainter& p, QPointF at, double r, const QString& fill) {
    if (r < 1.0) {
        return;
    }
    QPolygonF points;
    for (int i = 0; i < 8; ++i) {
        const double a = i * 45.0 * kDeg;
        const double d = i % 2 == 0 ? r : r * 0.38;
        points << at + QPointF(std::sin(a) * d, -std::cos(a) * d);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(color(fill));
    p.drawPolygon(points);
    if (r >= 4) {
        p.setBrush(color(QStringLiteral("white")));
        p.drawRect(QRectF(at.x() - 1, at.y() - 1, 2, 2));
    }
}

void Figure::drawEffect(QPainter& p, const Pose& pose) {
    const QString fx = pose.word(QStringLiteral("fx"), QStringLiteral("none"));
    if (fx == QLatin1String("none")) {
        return;
    }
    const double t = std::clamp(pose.number(QStringLiteral("fxT")), 0.0, 1.0);
    const QPointF at(pose.number(QStringLiteral("fxX"), 96), pose.number(QStringLiteral("fxY"), 22));
    p.save();
    p.resetTransform();
    if (fx == QLatin1String("sparkle")) {
        // Stars that grow and fade in turn around the anchor.
        for (int i = 0; i < 6; ++i) {
            const double phase = t * 1.6 - i * 0.12;
            if (phase <= 0 || phase >= 1) {
                continue;
            }
            const double a = (i * 67 + t * 90) * kDeg;
            const double d = 6 + phase * 22;
            star(p, at + QPointF(std::cos(a) * d, std::sin(a) * d), 6 * std::sin(phase * std::numbers::pi),
                 i % 2 == 0 ? QStringLiteral("spark") : QStringLiteral("white"));
        }
    } else if (fx == QLatin1String("confetti")) {
        static const char* const kinds[] = {"confetti1", "confetti2", "confetti3", "spark"};
        for (int i = 0; i < 18; ++i) {
            const double start = (i * 37 % 18) / 18.0 * 0.45;
            const double u = (t - start) / 0.55;
            if (u <= 0 || u >= 1) {
                continue;
            }
            const double x = 12 + (i * 53 % 104) + std::sin(u * 6 + i) * 4;
            const double y = 6 + u * 112;
            p.save();
            p.translate(x, y);
            p.rotate(i * 40 + u * 540);
            p.setPen(Qt::NoPen);
            p.setBrush(color(QString::fromLatin1(kinds[i % 4])));
            p.drawRect(QRectF(-2, -3, 4, 6));
            p.restore();
        }
    } else if (fx == QLatin1String("question") || fx == QLatin1String("exclaim")) {
        const double s = std::min(1.0, t * 3.0);
        p.translate(at + QPointF(0, -std::sin(t * std::numbers::pi * 2) * 2));
        p.scale(s, s);
        QPainterPath mark;
        if (fx == QLatin1String("question")) {
            mark.moveTo(-5, -7);
            mark.cubicTo(-5, -14, 6, -14, 6, -7);
            mark.cubicTo(6, -2, 0, -2, 0, 3);
        } else {
            mark.moveTo(0, -12);
            mark.lineTo(0, 2);
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(color(QStringLiteral("outline")), 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(mark);
        p.drawPoint(QPointF(0, 9));
        p.setPen(QPen(color(QStringLiteral("ink")), 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(mark);
        p.drawPoint(QPointF(0, 9));
    } else if (fx == QLatin1String("sleep")) {
        for (int i = 0; i < 3; ++i) {
            const double u = std::fmod(t + i / 3.0, 1.0);
            const double s = 3 + u * 4;
            const QPointF c = at + QPointF(u * 14 + std::sin(u * 6) * 2, -u * 26);
            const QPolygonF z{c + QPointF(-s, -s), c + QPointF(s, -s), c + QPointF(-s, s), c + QPointF(s, s)};
            p.setPen(QPen(color(QStringLiteral("outline")), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(z);
            p.setPen(QPen(color(QStringLiteral("white")), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(z);
        }
    } else if (fx == QLatin1String("heart")) {
        const double s = 2 + std::sin(std::min(1.0, t * 1.5) * std::numbers::pi * 0.5) * 5;
        p.setPen(outlinePen(2));
        p.setBrush(color(QStringLiteral("heart")));
        p.drawPath(heart(at + QPointF(0, -t * 10), s));
    } else if (fx == QLatin1String("notes")) {
        for (int i = 0; i < 2; ++i) {
            const double u = std::fmod(t + i * 0.5, 1.0);
            const QPointF c = at + QPointF(i * 12 + std::sin(u * 8) * 3, 8 - u * 24);
            p.setPen(outlinePen(2));
            p.setBrush(color(QStringLiteral("ink")));
            p.drawEllipse(c, 3.5, 2.5);
            p.drawLine(c + QPointF(3, 0), c + QPointF(3, -10));
            p.drawLine(c + QPointF(3, -10), c + QPointF(7, -7));
        }
    }
    p.restore();
}

void Figure::drawBook(QPainter& p, QPointF m, double lastLineShorter) {
    p.setPen(outlinePen());
    p.setBrush(color(QStringLiteral("book")));
    p.drawRoundedRect(QRectF(m.x() - 16, m.y() - 11, 32, 21), 2, 2);
    p.setBrush(color(QStringLiteral("white")));
    p.drawRect(QRectF(m.x() - 14, m.y() - 10, 14, 17));
    p.drawRect(QRectF(m.x(), m.y() - 10, 14, 17));
    p.setPen(QPen(color(QStringLiteral("ink")), 1));
    for (int row = 0; row < 4; ++row) {
        const double y = m.y() - 6 + row * 3.5;
        p.drawLine(QPointF(m.x() - 12, y), QPointF(m.x() - 3, y));
        p.drawLine(QPointF(m.x() + 3, y), QPointF(m.x() + 12 - (row == 3 ? lastLineShorter : 0), y));
    }
}

void Figure::drawMouth(QPainter& p, const Pose& pose, int shape, QPointF c, const MouthSizes& size,
                       const QPen& line, const std::function<void(double, double)>& open) {
    QString own = pose.word(QStringLiteral("mouth"), QStringLiteral("smile"));
    const bool closedKind = own == QLatin1String("smile") || own == QLatin1String("flat") ||
                            own == QLatin1String("frown") || own == QLatin1String("wavy");
    // While speaking the mouth is the shape spoken; closed, an open kind of mouth of the pose's own
    // (a grin, an "o") would look as if the figure were still speaking.
    if (shape == 0 && !closedKind) {
        own = QStringLiteral("smile");
    }
    if (shape >= 1 && shape <= 6) {
        open(size.open[shape][0], size.open[shape][1]);
        return;
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(line);
    QPainterPath path;
    if (own == QLatin1String("smile")) {
        path.moveTo(c + QPointF(-size.smile[0], -2));
        path.quadTo(c + QPointF(0, size.smile[1]), c + QPointF(size.smile[0], -2));
    } else if (own == QLatin1String("frown")) {
        path.moveTo(c + QPointF(-size.frown[0], 2));
        path.quadTo(c + QPointF(0, -size.frown[1]), c + QPointF(size.frown[0], 2));
    } else if (own == QLatin1String("flat")) {
        path.moveTo(c + QPointF(-size.flat, 0));
        path.lineTo(c + QPointF(size.flat, 0));
    } else if (own == QLatin1String("wavy")) {
        path.moveTo(c + QPointF(-size.wavy, 0));
        path.lineTo(c + QPointF(-size.wavy / 2, -2));
        path.lineTo(c + QPointF(0, 0));
        path.lineTo(c + QPointF(size.wavy / 2, -2));
        path.lineTo(c + QPointF(size.wavy, 0));
    } else if (own == QLatin1String("grin")) {
        p.setBrush(color(QStringLiteral("mouthIn")));
        path.moveTo(c + QPointF(-size.grin[0], -3));
        path.quadTo(c + QPointF(0, size.grin[1]), c + QPointF(size.grin[0], -3));
        path.closeSubpath();
    } else if (own == QLatin1String("o")) {
        open(size.o[0], size.o[1]);
        return;
    } else {
        open(size.fallback[0], size.fallback[1]);
        return;
    }
    p.drawPath(path);
}

std::unique_ptr<Figure> makeFigure(const QString& name, const QList<QPair<QString, QRgb>>& colors) {
    if (name == QLatin1String("robot")) {
        return makeRobot(colors);
    }
    if (name == QLatin1String("plane")) {
        return makePlane(colors);
    }
    return nullptr;
}

}  // namespace art

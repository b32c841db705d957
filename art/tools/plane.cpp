#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "drawing.h"
#include "figure.h"

namespace art {

namespace {

// plany: a little propeller plane whose face is on its nose, seen from the side and facing right.
class Plane : public Figure {
public:
    using Figure::Figure;

    void draw(QPainter& p, const Pose& pose, int mouth, int frame) override {
        const double scale = pose.number(QStringLiteral("scale"), 1);
        if (scale <= 0.02) {
            return;
        }
        p.save();
        p.translate(66 + pose.number(QStringLiteral("x")), 66 + pose.number(QStringLiteral("y")));
        p.rotate(pose.number(QStringLiteral("tilt")));
        const double s = 1.08 * scale;
        p.scale(pose.number(QStringLiteral("face"), 1) * s, s * pose.number(QStringLiteral("squash"), 1));

        const bool gear = pose.number(QStringLiteral("gear"), 1) > 0.5;
        if (gear) {
            wheel(p, QPointF(15, 27), 4.5, QPointF(12, 14));
        }
        wing(p, QPointF(4, -7), pose.number(QStringLiteral("armL"), -10), QStringLiteral("wingFar"));

        // Tail fin and the far tailplane sit behind the body.
        p.setPen(outlinePen());
        p.setBrush(color(QStringLiteral("body")));
        const QPolygonF fin{QPointF(-34, -10), QPointF(-46, -33), QPointF(-37, -35), QPointF(-22, -14)};
        p.drawPolygon(fin);
        p.setPen(QPen(color(QStringLiteral("belly")), 3, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(-42, -27), QPointF(-35, -28));

        QPainterPath body;
        body.addEllipse(QRectF(-24, -21, 62, 40));
        QPainterPath tail;
        tail.moveTo(-14, -18);
        tail.lineTo(-48, -8);
        tail.quadTo(-53, -3, -48, 2);
        tail.lineTo(-14, 17);
        tail.closeSubpath();
        body = body.united(tail);
        p.setPen(Qt::NoPen);
        p.setBrush(color(QStringLiteral("body")));
        p.drawPath(body);
        p.save();
        p.setClipPath(body);
        p.setBrush(color(QStringLiteral("belly")));
        p.drawEllipse(QRectF(-70, 5, 120, 40));
        p.setBrush(color(QStringLiteral("trim")));
        p.drawRect(QRectF(-17, -30, 6, 60));
        p.restore();
        p.setPen(outlinePen());
        p.setBrush(Qt::NoBrush);
        p.drawPath(body);
        // Near tailplane.
        p.setBrush(color(QStringLiteral("trim")));
        p.drawRoundedRect(QRectF(-56, -4, 22, 7), 3.5, 3.5);

        drawFace(p, pose, mouth);
        drawPropeller(p, frame * 52.0 + pose.number(QStringLiteral("spin")));
        if (gear) {
            wheel(p, QPointF(7, 29), 6, QPointF(5, 16));
        }
        wing(p, QPointF(0, 5), pose.number(QStringLiteral("armR"), -15), QStringLiteral("wing"));
        // Held up by the near wing, whose tip tucks behind it.
        if (pose.word(QStringLiteral("prop"), QStringLiteral("none")) == QLatin1String("book")) {
            drawBook(p, QPointF(17, 27), 0);
        }
        p.restore();
        drawEffect(p, pose);
    }

private:
    void wheel(QPainter& p, QPointF c, double r, QPointF strutTop) {
        tube(p, QPolygonF{strutTop, c}, 2, outlinePen(), color(QStringLiteral("metal")));
        p.setPen(outlinePen());
        p.setBrush(color(QStringLiteral("tire")));
        p.drawEllipse(c, r, r);
        p.setBrush(color(QStringLiteral("metal")));
        p.drawEllipse(c, r * 0.4, r * 0.4);
    }

    // A wing hinged at `root`; 0 points it back along the body, positive raises its tip, 180 points it ahead.
    void wing(QPainter& p, QPointF root, double angle, const QString& fill) {
        p.save();
        p.translate(root);
        p.rotate(180 + angle);
        p.setPen(outlinePen());
        p.setBrush(color(fill));
        p.drawRoundedRect(QRectF(-4, -6, 40, 12), 6, 6);
        p.setPen(QPen(color(QStringLiteral("belly")), 3, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(26, -4), QPointF(26, 4));
        p.restore();
    }

    void drawFace(QPainter& p, const Pose& pose, int mouth) {
        const double lookX = pose.number(QStringLiteral("lookX"));
        const double lookY = pose.number(QStringLiteral("lookY"));
        const double lids = std::clamp(pose.number(QStringLiteral("lids")), 0.0, 1.0);
        const QString eyes = pose.word(QStringLiteral("eyes"), QStringLiteral("open"));
        struct Eye {
            QPointF c;
            double rx, ry, pupil;
        };
        const Eye far{QPointF(30, -7), 4.5, 8, 2.5};
        const Eye nearEye{QPointF(18, -7), 7, 9, 3.5};
        for (const Eye& e : {far, nearEye}) {
            if (eyes == QLatin1String("happy")) {
                p.setPen(QPen(color(QStringLiteral("outline")), 2.5, Qt::SolidLine, Qt::RoundCap));
                p.setBrush(Qt::NoBrush);
                p.drawPolyline(
                    QPolygonF{e.c + QPointF(-e.rx + 1, 2), e.c + QPointF(0, -3), e.c + QPointF(e.rx - 1, 2)});
                continue;
            }
            QPainterPath ball;
            ball.addEllipse(e.c, e.rx, e.ry);
            p.setPen(Qt::NoPen);
            p.setBrush(color(QStringLiteral("white")));
            p.drawPath(ball);
            p.save();
            p.setClipPath(ball);
            const QPointF pupil = e.c + QPointF(1 + lookX * e.rx * 0.45, 1 + lookY * e.ry * 0.4);
            p.setBrush(color(QStringLiteral("pupil")));
            p.drawEllipse(pupil, e.pupil, e.pupil * 1.25);
            p.setBrush(color(QStringLiteral("white")));
            p.drawRect(QRectF(pupil.x() - 1, pupil.y() - e.pupil * 0.9, 1.6, 1.6));
            if (lids > 0.02) {
                const double edge = e.c.y() - e.ry + 2 * e.ry * lids;
                p.setBrush(color(QStringLiteral("body")));
                p.drawRect(
                    QRectF(e.c.x() - e.rx - 1, e.c.y() - e.ry - 1, 2 * e.rx + 2, edge - e.c.y() + e.ry + 1));
                p.setPen(outlinePen(1.5));
                p.drawLine(QPointF(e.c.x() - e.rx, edge), QPointF(e.c.x() + e.rx, edge));
            }
            p.restore();
            p.setPen(outlinePen(1.5));
            p.setBrush(Qt::NoBrush);
            p.drawPath(ball);
        }
        const double raise = pose.number(QStringLiteral("brows")) * 2.5;
        const double tiltIn = pose.number(QStringLiteral("browTilt")) * 2;
        p.setPen(QPen(color(QStringLiteral("outline")), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(13, -19 - raise - tiltIn), QPointF(21, -19 - raise + tiltIn));
        p.drawLine(QPointF(27, -18 - raise + tiltIn), QPointF(32, -18 - raise - tiltIn));
        drawMouth(p, pose, mouth, QPointF(26 + lookX, 9));
    }

    void drawMouth(QPainter& p, const Pose& pose, int shape, QPointF c) {
        static const MouthSizes sizes{.open = {{0, 0}, {10, 4}, {11, 6}, {12, 8}, {13, 10}, {9, 7}, {5, 6}},
                                      .smile = {6, 4},
                                      .frown = {5, 3},
                                      .flat = 4,
                                      .wavy = 6,
                                      .grin = {7, 9},
                                      .o = {5, 6},
                                      .fallback = {12, 8}};
        Figure::drawMouth(p, pose, shape, c, sizes, outlinePen(2), [&](double w, double h) {
            QPainterPath m;
            m.addRoundedRect(QRectF(c.x() - w / 2, c.y() - h / 2, w, h), std::min(w, h) / 2,
                             std::min(w, h) / 2);
            p.setPen(Qt::NoPen);
            p.setBrush(color(QStringLiteral("mouthIn")));
            p.drawPath(m);
            if (h >= 6) {
                p.save();
                p.setClipPath(m);
                p.setBrush(color(QStringLiteral("tongue")));
                p.drawEllipse(QPointF(c.x() + 1, c.y() + h / 2), w * 0.32, h * 0.3);
                p.restore();
            }
            p.setPen(outlinePen(1.5));
            p.setBrush(Qt::NoBrush);
            p.drawPath(m);
        });
    }

    void drawPropeller(QPainter& p, double spin) {
        const double len = 22 * std::abs(std::cos(spin * kDeg));
        p.setPen(QPen(color(QStringLiteral("propDisc")), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(43, 0), 3, 22);
        tube(p, QPolygonF{QPointF(43, -std::max(len, 2.0)), QPointF(43, std::max(len, 2.0))}, 3, outlinePen(),
             color(QStringLiteral("prop")));
        p.setPen(outlinePen());
        p.setBrush(color(QStringLiteral("metal")));
        p.drawEllipse(QPointF(40, 0), 4.5, 6.5);
    }
};

}  // namespace

std::unique_ptr<Figure> makePlane(const QList<QPair<QString, QRgb>>& colors) {
    return std::make_unique<Plane>(colors);
}

}  // namespace art

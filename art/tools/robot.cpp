#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "drawing.h"
#include "figure.h"

namespace art {

namespace {

// max: a small robot on one wheel, with a screen for a face.
class Robot : public Figure {
public:
    using Figure::Figure;

    void draw(QPainter& p, const Pose& pose, int mouth, int frame) override {
        Q_UNUSED(frame);
        const double scale = pose.number(QStringLiteral("scale"), 1);
        if (scale <= 0.02) {
            return;
        }
        p.save();
        p.translate(64 + pose.number(QStringLiteral("x")), 124 + pose.number(QStringLiteral("y")));
        p.rotate(pose.number(QStringLiteral("tilt")));
        p.scale(pose.number(QStringLiteral("face"), 1) * scale,
                scale * pose.number(QStringLiteral("squash"), 1));

        drawWheel(p, pose.number(QStringLiteral("roll")));
        p.setPen(outlinePen());
        p.setBrush(color(QStringLiteral("metal")));
        p.drawRect(QRectF(-6, -24, 12, 8));

        // Body.
        p.setBrush(color(QStringLiteral("body")));
        p.drawRoundedRect(QRectF(-21, -55, 42, 37), 9, 9);
        p.setBrush(color(QStringLiteral("panel")));
        p.drawRoundedRect(QRectF(-12, -48, 24, 17), 4, 4);
        p.setBrush(color(QStringLiteral("heart")));
        p.setPen(outlinePen(1));
        p.drawPath(heart(QPointF(0, -39.5), 4.2 + pose.number(QStringLiteral("beat")) * 1.5));

        // Head, turning on its neck.
        p.save();
        p.translate(0, -55);
        p.rotate(pose.number(QStringLiteral("headTilt")));
        p.translate(0, pose.number(QStringLiteral("headY")));
        drawHead(p, pose, mouth);
        p.restore();

        drawArms(p, pose);
        p.restore();
        drawEffect(p, pose);
    }

private:
    void drawWheel(QPainter& p, double roll) {
        p.setPen(outlinePen());
        p.setBrush(color(QStringLiteral("tire")));
        p.drawEllipse(QPointF(0, -10), 10, 10);
        p.setBrush(color(QStringLiteral("metal")));
        p.drawEllipse(QPointF(0, -10), 5.5, 5.5);
        p.setPen(Qt::NoPen);
        p.setBrush(color(QStringLiteral("outline")));
        for (int i = 0; i < 3; ++i) {
            const double a = (roll + i * 120) * kDeg;
            p.drawRect(QRectF(std::cos(a) * 7.5 - 1, -10 + std::sin(a) * 7.5 - 1, 2.5, 2.5));
        }
    }

    // Drawn with the neck at the origin.
    void drawHead(QPainter& p, const Pose& pose, int mouth) {
        const double glow = pose.number(QStringLiteral("glow"));
        p.setPen(outlinePen());
        p.drawLine(QPointF(0, -44), QPointF(0, -53 - glow * 2));
        p.setBrush(color(glow > 0.5 ? QStringLiteral("spark") : QStringLiteral("light")));
        p.drawEllipse(QPointF(0, -56 - glow * 2), 4 + glow, 4 + glow);
        p.setBrush(color(QStringLiteral("metal")));
        p.drawEllipse(QPointF(-29, -23), 5, 7);
        p.drawEllipse(QPointF(29, -23), 5, 7);
        p.setBrush(color(QStringLiteral("head")));
        p.drawRoundedRect(QRectF(-27, -45, 54, 45), 11, 11);
        p.setBrush(color(QStringLiteral("screen")));
        p.drawRoundedRect(QRectF(-21, -39, 42, 33), 7, 7);

        const double lookX = pose.number(QStringLiteral("lookX")) * 3;
        const double lookY = pose.number(QStringLiteral("lookY")) * 2.5;
        const double lids = std::clamp(pose.number(QStringLiteral("lids")), 0.0, 1.0);
        const QString eyes = pose.word(QStringLiteral("eyes"), QStringLiteral("open"));
        const QColor glowColor = color(QStringLiteral("glow"));
        for (int side : {-1, 1}) {
            const QPointF c(side * 9 + lookX, -27 + lookY);
            if (eyes == QLatin1String("happy")) {
                p.setPen(QPen(glowColor, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                p.setBrush(Qt::NoBrush);
                p.drawPolyline(QPolygonF{c + QPointF(-4, 2), c + QPointF(0, -3), c + QPointF(4, 2)});
            } else {
                const double h = std::max(2.0, 11 * (1 - lids));
                p.setPen(Qt::NoPen);
                p.setBrush(glowColor);
                p.drawRoundedRect(QRectF(c.x() - 4, c.y() + 5.5 - h, 8, h), 3, 3);
                if (h > 6) {
                    p.setBrush(color(QStringLiteral("white")));
                    p.drawRect(QRectF(c.x() - 2 + side * 0.0, c.y() + 5.5 - h + 2, 2, 2));
                }
            }
            // Brows: raised when surprised, tilted in when cross, out when worried.
            const double raise = pose.number(QStringLiteral("brows")) * 2.5;
            const double tiltIn = pose.number(QStringLiteral("browTilt")) * 2.5;
            if (pose.word(QStringLiteral("browsShown"), QStringLiteral("yes")) == QLatin1String("yes")) {
                p.setPen(QPen(glowColor, 2, Qt::SolidLine, Qt::RoundCap));
                p.drawLine(QPointF(side * 5 + lookX * 0.5, -35 - raise + tiltIn),
                           QPointF(side * 12 + lookX * 0.5, -35 - raise - tiltIn));
            }
        }
        drawMouth(p, pose, mouth, QPointF(lookX * 0.5, -13 + lookY * 0.4));
    }

    void drawMouth(QPainter& p, const Pose& pose, int shape, QPointF c) {
        static const MouthSizes sizes{.open = {{0, 0}, {12, 4}, {13, 6}, {14, 8}, {15, 10}, {10, 7}, {6, 7}},
                                      .smile = {7, 5},
                                      .frown = {6, 4},
                                      .flat = 5,
                                      .wavy = 7,
                                      .grin = {9, 10},
                                      .o = {6, 7},
                                      .fallback = {14, 8}};
        const QPen line(color(QStringLiteral("glow")), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        Figure::drawMouth(p, pose, shape, c, sizes, line, [&](double w, double h) {
            p.setPen(line);
            p.setBrush(color(QStringLiteral("mouthIn")));
            p.drawRoundedRect(QRectF(c.x() - w / 2, c.y() - h / 2, w, h), std::min(w, h) / 2,
                              std::min(w, h) / 2);
        });
    }

    void drawArms(QPainter& p, const Pose& pose) {
        const QString prop = pose.word(QStringLiteral("prop"), QStringLiteral("none"));
        QPointF hands[2];
        QPolygonF arms[2];
        double foreAngle[2] = {0, 0};
        for (int i = 0; i < 2; ++i) {
            const double side = i == 0 ? -1 : 1;
            const QString s = i == 0 ? QStringLiteral("L") : QStringLiteral("R");
            const double a = pose.number(QStringLiteral("arm") + s, 20);
            const double b = a + pose.number(QStringLiteral("elbow") + s);
            const QPointF shoulder(side * 20, -47);
            const QPointF elbow = along(shoulder, 14, a, side);
            hands[i] = along(elbow, 12, b, side);
            arms[i] = QPolygonF{shoulder, elbow, hands[i]};
            foreAngle[i] = b;
        }
        const QColor metal = color(QStringLiteral("metal"));
        for (int i = 0; i < 2; ++i) {
            tube(p, arms[i], 4, outlinePen(), metal);
        }
        if (prop == QLatin1String("book")) {
            drawBook(p, (hands[0] + hands[1]) / 2 + QPointF(0, -4), 4);
        } else if (prop == QLatin1String("wand")) {
            const QPointF tip = along(hands[1], 16, foreAngle[1], 1);
            tube(p, QPolygonF{hands[1], tip}, 2, outlinePen(), color(QStringLiteral("ink")));
            star(p, tip, 6, QStringLiteral("spark"));
        }
        p.setPen(outlinePen());
        p.setBrush(color(QStringLiteral("hand")));
        for (const QPointF& h : hands) {
            p.drawEllipse(h, 5, 5);
        }
    }
};

}  // namespace

std::unique_ptr<Figure> makeRobot(const QList<QPair<QString, QRgb>>& colors) {
    return std::make_unique<Robot>(colors);
}

}  // namespace art

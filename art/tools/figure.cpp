#include "figure.h"

#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace art {

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;

QPointF along(QPointF from, double length, double angleDeg, double side) {
    // Angles of limbs count from straight down, outward positive, so one number serves either side.
    return from + QPointF(side * std::sin(angleDeg * kDeg), std::cos(angleDeg * kDeg)) * length;
}

QPainterPath heart(QPointF c, double s) {
    QPainterPath path;
    path.moveTo(c + QPointF(0, s * 0.9));
    path.cubicTo(c + QPointF(-s * 1.6, -s * 0.1), c + QPointF(-s * 0.7, -s * 1.3), c + QPointF(0, -s * 0.4));
    path.cubicTo(c + QPointF(s * 0.7, -s * 1.3), c + QPointF(s * 1.6, -s * 0.1), c + QPointF(0, s * 0.9));
    return path;
}

// Stroked twice: a dark pen under a coloured one, which gives a tube with an outline.
void tube(QPainter& p, const QPolygonF& line, double width, const QPen& outline, const QColor& fill) {
    QPen under = outline;
    under.setWidthF(width + 3);
    p.setPen(under);
    p.drawPolyline(line);
    QPen over(fill, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(over);
    p.drawPolyline(line);
}

}  // namespace

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
        QString own = pose.word(QStringLiteral("mouth"), QStringLiteral("smile"));
        const bool closedKind = own == QLatin1String("smile") || own == QLatin1String("flat") ||
                                own == QLatin1String("frown") || own == QLatin1String("wavy");
        if (shape == 0 && !closedKind) {
            own = QStringLiteral("smile");
        }
        const QColor glowColor = color(QStringLiteral("glow"));
        const QPen line(glowColor, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        auto open = [&](double w, double h) {
            p.setPen(line);
            p.setBrush(color(QStringLiteral("mouthIn")));
            p.drawRoundedRect(QRectF(c.x() - w / 2, c.y() - h / 2, w, h), std::min(w, h) / 2,
                              std::min(w, h) / 2);
        };
        static const double sizes[7][2] = {{0, 0}, {12, 4}, {13, 6}, {14, 8}, {15, 10}, {10, 7}, {6, 7}};
        if (shape >= 1 && shape <= 6) {
            open(sizes[shape][0], sizes[shape][1]);
            return;
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(line);
        QPainterPath path;
        if (own == QLatin1String("smile")) {
            path.moveTo(c + QPointF(-7, -2));
            path.quadTo(c + QPointF(0, 5), c + QPointF(7, -2));
        } else if (own == QLatin1String("frown")) {
            path.moveTo(c + QPointF(-6, 2));
            path.quadTo(c + QPointF(0, -4), c + QPointF(6, 2));
        } else if (own == QLatin1String("flat")) {
            path.moveTo(c + QPointF(-5, 0));
            path.lineTo(c + QPointF(5, 0));
        } else if (own == QLatin1String("wavy")) {
            path.moveTo(c + QPointF(-7, 0));
            path.lineTo(c + QPointF(-3.5, -2));
            path.lineTo(c + QPointF(0, 0));
            path.lineTo(c + QPointF(3.5, -2));
            path.lineTo(c + QPointF(7, 0));
        } else if (own == QLatin1String("grin")) {
            p.setBrush(color(QStringLiteral("mouthIn")));
            path.moveTo(c + QPointF(-9, -3));
            path.quadTo(c + QPointF(0, 10), c + QPointF(9, -3));
            path.closeSubpath();
        } else if (own == QLatin1String("o")) {
            open(6, 7);
            return;
        } else {
            open(14, 8);
            return;
        }
        p.drawPath(path);
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
            const QPointF m = (hands[0] + hands[1]) / 2 + QPointF(0, -4);
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
                p.drawLine(QPointF(m.x() + 3, y), QPointF(m.x() + 12 - (row == 3 ? 4 : 0), y));
            }
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
            drawBook(p);
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
        QString own = pose.word(QStringLiteral("mouth"), QStringLiteral("smile"));
        const bool closedKind = own == QLatin1String("smile") || own == QLatin1String("flat") ||
                                own == QLatin1String("frown") || own == QLatin1String("wavy");
        if (shape == 0 && !closedKind) {
            own = QStringLiteral("smile");
        }
        auto open = [&](double w, double h) {
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
        };
        static const double sizes[7][2] = {{0, 0}, {10, 4}, {11, 6}, {12, 8}, {13, 10}, {9, 7}, {5, 6}};
        if (shape >= 1 && shape <= 6) {
            open(sizes[shape][0], sizes[shape][1]);
            return;
        }
        p.setBrush(Qt::NoBrush);
        p.setPen(outlinePen(2));
        QPainterPath path;
        if (own == QLatin1String("smile")) {
            path.moveTo(c + QPointF(-6, -2));
            path.quadTo(c + QPointF(0, 4), c + QPointF(6, -2));
        } else if (own == QLatin1String("frown")) {
            path.moveTo(c + QPointF(-5, 2));
            path.quadTo(c + QPointF(0, -3), c + QPointF(5, 2));
        } else if (own == QLatin1String("flat")) {
            path.moveTo(c + QPointF(-4, 0));
            path.lineTo(c + QPointF(4, 0));
        } else if (own == QLatin1String("wavy")) {
            path.moveTo(c + QPointF(-6, 0));
            path.lineTo(c + QPointF(-3, -2));
            path.lineTo(c + QPointF(0, 0));
            path.lineTo(c + QPointF(3, -2));
            path.lineTo(c + QPointF(6, 0));
        } else if (own == QLatin1String("grin")) {
            p.setBrush(color(QStringLiteral("mouthIn")));
            path.moveTo(c + QPointF(-7, -3));
            path.quadTo(c + QPointF(0, 9), c + QPointF(7, -3));
            path.closeSubpath();
        } else if (own == QLatin1String("o")) {
            open(5, 6);
            return;
        } else {
            open(12, 8);
            return;
        }
        p.drawPath(path);
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

    void drawBook(QPainter& p) {
        const QPointF m(17, 27);
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
            p.drawLine(QPointF(m.x() + 3, y), QPointF(m.x() + 12, y));
        }
    }
};

}  // namespace

std::unique_ptr<Figure> makeFigure(const QString& name, const QList<QPair<QString, QRgb>>& colors) {
    if (name == QLatin1String("robot")) {
        return std::make_unique<Robot>(colors);
    }
    if (name == QLatin1String("plane")) {
        return std::make_unique<Plane>(colors);
    }
    return nullptr;
}

}  // namespace art

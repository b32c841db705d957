// The drawing code of our characters. A figure draws one pose into a frame with QPainter, using only the
// colours of the character's palette and no anti-aliasing, so that every pixel is a palette colour and the
// edge against the transparent colour stays crisp.
#pragma once

#include "anim_file.h"

#include <QPainter>
#include <QSet>

#include <functional>
#include <memory>

namespace art {

class Figure {
public:
    explicit Figure(const QList<QPair<QString, QRgb>>& colors);
    virtual ~Figure() = default;

    // Draws `pose` into a frame of the character's size. `mouth` is a mouth shape (0 closed, 1-4 wide open
    // from least to most, 5 medium, 6 narrow) to draw instead of the pose's own mouth, or -1. `frame` counts
    // the frames of the animation, for parts that keep moving on their own such as a propeller.
    virtual void draw(QPainter& p, const Pose& pose, int mouth, int frame) = 0;

    // Colour names the drawing asked for that the file does not define.
    const QSet<QString>& missingColors() const { return missing_; }

protected:
    // How large a figure draws its mouths: the open shapes 1-6 (width, height), and the pose's own closed
    // ones (half width, then how far the middle bends).
    struct MouthSizes {
        double open[7][2];
        double smile[2];
        double frown[2];
        double flat;
        double wavy;
        double grin[2];
        double o[2];         // width, height: an open mouth of surprise
        double fallback[2];  // width, height: a mouth name we do not know
    };

    QColor color(const QString& name);
    QPen outlinePen(double width = 2.0);
    // Effects drawn around the figure in frame coordinates: sparkles, confetti, a question mark, sleep.
    void drawEffect(QPainter& p, const Pose& pose);
    void star(QPainter& p, QPointF at, double r, const QString& fill);
    // An open book held at `middle`, four lines of text a page; the last line of the right page may end
    // early.
    void drawBook(QPainter& p, QPointF middle, double lastLineShorter);
    // The mouth of `shape` while speaking, or the pose's own. Lines are drawn with `line`; `open` draws an
    // open mouth of a size in the figure's own style.
    void drawMouth(QPainter& p, const Pose& pose, int shape, QPointF c, const MouthSizes& size,
                   const QPen& line, const std::function<void(double, double)>& open);

private:
    QMap<QString, QColor> colors_;
    QSet<QString> missing_;
};

// "robot" (max) or "plane" (plany); null for a name we have no drawing for.
std::unique_ptr<Figure> makeFigure(const QString& name, const QList<QPair<QString, QRgb>>& colors);
std::unique_ptr<Figure> makeRobot(const QList<QPair<QString, QRgb>>& colors);
std::unique_ptr<Figure> makePlane(const QList<QPair<QString, QRgb>>& colors);

}  // namespace art

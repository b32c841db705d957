// The drawing code of our characters. A figure draws one pose into a frame with QPainter, using only the
// colours of the character's palette and no anti-aliasing, so that every pixel is a palette colour and the
// edge against the transparent colour stays crisp.
#pragma once

#include "anim_file.h"

#include <QPainter>
#include <QSet>

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
    QColor color(const QString& name);
    QPen outlinePen(double width = 2.0);
    // Effects drawn around the figure in frame coordinates: sparkles, confetti, a question mark, sleep.
    void drawEffect(QPainter& p, const Pose& pose);
    void star(QPainter& p, QPointF at, double r, const QString& fill);

private:
    QMap<QString, QColor> colors_;
    QSet<QString> missing_;
};

// "robot" (max) or "plane" (plany); null for a name we have no drawing for.
std::unique_ptr<Figure> makeFigure(const QString& name, const QList<QPair<QString, QRgb>>& colors);

}  // namespace art

// The X server counts in the device's pixels, the engine (as Qt does) in logical pixels: a screen scaled by
// 2 has twice as many device pixels as logical ones each way. Every position asked of or given to the X
// server directly (not through Qt) is converted here, and only here.
//
// Qt keeps each screen's top left corner where the X server has it and scales what lies inside the screen
// by that screen's device pixel ratio: a screen of logical geometry (x, y, w, h) and ratio r covers the
// device rectangle (x, y, w * r, h * r).
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

namespace agent::render {

struct ScreenScale {
    QRect logical;       // the screen's geometry in logical pixels
    double ratio = 1.0;  // device pixels per logical pixel
};

// The screen that holds `point` (device pixels when `device`, else logical), or the nearest one; -1 when
// there are no screens.
int screenFor(const QList<ScreenScale>& screens, QPoint point, bool device);

QPoint logicalFromDevice(const QList<ScreenScale>& screens, QPoint device);
QPoint deviceFromLogical(const QList<ScreenScale>& screens, QPoint logical);

// The application's screens as they are now.
QList<ScreenScale> currentScreens();

}  // namespace agent::render

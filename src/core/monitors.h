// Which of the desktop's monitors a window is on, in logical pixels.
#pragma once

#include <QList>
#include <QRect>

#include "src/platform/screen_metrics.h"

namespace horalia::core {

// How far a point is from a rectangle, squared; 0 inside it.
qint64 distanceSquared(const QRect& rect, QPoint point);

// The monitor that holds most of `window`; for a window on none of them, the nearest one. -1 when there
// are no monitors.
int monitorOf(const QList<platform::Monitor>& monitors, const QRect& window);

}  // namespace horalia::core

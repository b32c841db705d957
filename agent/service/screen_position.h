// Where a client's character may go: a position asked for over the bus is any pair of numbers, and the
// character goes as near to it as it can while staying whole on one of the screens.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace agent::service {

// The top-left corner nearest to `wanted` at which a character of `size` lies on the screen that it overlaps
// most there (or the nearest one), within it where it fits and at its top-left where it does not. `wanted`
// itself when there are no screens.
QPoint keepOnScreens(QPoint wanted, QSize size, const QList<QRect>& screens);

}  // namespace agent::service

// Shapes a window to what it draws, so that it looks right without a compositor and clicks on its clear parts
// reach the windows below.
#pragma once

#include <QRegion>
#include <QWidget>

namespace agent::render {

// An empty region would mean no shape at all, the whole window; a window with nothing to show keeps one
// pixel.
inline void shapeWindow(QWidget& window, const QRegion& shape) {
    window.setMask(shape.isEmpty() ? QRegion(0, 0, 1, 1) : shape);
}

}  // namespace agent::render

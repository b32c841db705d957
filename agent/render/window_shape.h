// Shapes a window to what it draws, so that it looks right without a compositor and clicks on its clear parts
// reach the windows below.
#pragma once

#include <QImage>
#include <QRegion>
#include <QWidget>
#include <QWindow>

namespace agent::render {

// The shape goes to the native window only. A widget mask (QWidget::setMask) would also clip the widget's
// own painting to the new shape, so whatever the last frame drew outside it would stay in the window's
// buffer: hidden by the shape on X11, but on Wayland, where a mask only limits where clicks land, and under a
// compositor that ignores shapes, old arms and sparkles would stay on the screen. Painted unclipped, each
// frame replaces the whole window.
//
// An empty region would mean no shape at all, the whole window; a window with nothing to show keeps one
// pixel.
void shapeWindow(QWidget& window, const QRegion& shape);

// Where a picture is not clear (alpha above zero), as a region of rows merged into bands: what Qt's alpha
// mask gives, worked out in one pass over the pixels instead of through a mask bitmap.
QRegion opaqueRegion(const QImage& picture);

}  // namespace agent::render

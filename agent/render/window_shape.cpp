#include "agent/render/window_shape.h"

#include <QList>
#include <QRect>

namespace agent::render {

void shapeWindow(QWidget& window, const QRegion& shape) {
    window.winId();
    if (QWindow* handle = window.windowHandle()) {
        handle->setMask(shape.isEmpty() ? QRegion(0, 0, 1, 1) : shape);
    }
}

QRegion opaqueRegion(const QImage& picture) {
    const QImage argb =
        picture.format() == QImage::Format_ARGB32_Premultiplied || picture.format() == QImage::Format_ARGB32
            ? picture
            : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Each row's opaque runs; a row whose runs are the previous row's makes that band one taller, so the
    // rectangles come out in the banded order QRegion::setRects wants.
    QList<QRect> rects;
    QList<QRect> row;
    qsizetype bandStart = 0;  // where the previous row's band begins in `rects`
    const int width = argb.width();
    const int height = argb.height();
    for (int y = 0; y < height; ++y) {
        row.clear();
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < width;) {
            if (qAlpha(line[x]) == 0) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && qAlpha(line[x]) != 0) {
                ++x;
            }
            row.append(QRect(start, y, x - start, 1));
        }
        const qsizetype bandSize = rects.size() - bandStart;
        bool same = !row.isEmpty() && bandSize == row.size() && rects[bandStart].bottom() == y - 1;
        for (qsizetype i = 0; same && i < row.size(); ++i) {
            same = rects[bandStart + i].left() == row[i].left() &&
                   rects[bandStart + i].right() == row[i].right();
        }
        if (same) {
            for (qsizetype i = 0; i < row.size(); ++i) {
                rects[bandStart + i].setBottom(y);
            }
        } else if (!row.isEmpty()) {
            bandStart = rects.size();
            rects.append(row);
        }
    }
    QRegion region;
    region.setRects(rects.constData(), int(rects.size()));
    return region;
}

}  // namespace agent::render

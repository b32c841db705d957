#include "agent/render/window_shape.h"

#include <QList>
#include <QRect>

#include <algorithm>

namespace agent::render {

void shapeWindow(QWidget& window, const QRegion& shape) {
    window.winId();
    if (QWindow* handle = window.windowHandle()) {
        handle->setMask(shape.isEmpty() ? QRegion(0, 0, 1, 1) : shape);
    }
}

namespace {

// The opaque runs of each row, as told by `opaque(line, x)`; a row whose runs are the previous row's makes
// that band one taller, so the rectangles come out in the banded order QRegion::setRects wants.
template <typename Opaque>
QRegion opaqueRows(const QImage& picture, Opaque opaque) {
    QList<QRect> rects;
    QList<QRect> row;
    qsizetype bandStart = 0;  // where the previous row's band begins in `rects`
    const int width = picture.width();
    const int height = picture.height();
    for (int y = 0; y < height; ++y) {
        row.clear();
        const uchar* line = picture.constScanLine(y);
        for (int x = 0; x < width;) {
            if (!opaque(line, x)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && opaque(line, x)) {
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

}  // namespace

QRegion opaqueRegion(const QImage& picture) {
    if (picture.format() == QImage::Format_Indexed8) {
        bool opaque[256] = {};
        const QList<QRgb> colors = picture.colorTable();
        for (qsizetype i = 0; i < std::min<qsizetype>(256, colors.size()); ++i) {
            opaque[i] = qAlpha(colors[i]) != 0;
        }
        return opaqueRows(picture, [&opaque](const uchar* line, int x) { return opaque[line[x]]; });
    }
    const QImage argb =
        picture.format() == QImage::Format_ARGB32_Premultiplied || picture.format() == QImage::Format_ARGB32
            ? picture
            : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return opaqueRows(
        argb, [](const uchar* line, int x) { return qAlpha(reinterpret_cast<const QRgb*>(line)[x]) != 0; });
}

}  // namespace agent::render

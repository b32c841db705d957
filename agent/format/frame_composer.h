// Draws a frame of a character: its images from last to first, then the mouth overlay when one is asked
// for, into a picture of the character's size. Frames are drawn as the images are, in 8-bit colour indices
// with the character's palette, which takes a quarter of the memory of a 32-bit picture: recently drawn
// frames are kept so, as an animation shows the same few frames over and over.
#pragma once

#include "agent/format/acs_file.h"

#include <QCache>
#include <QImage>
#include <QRect>
#include <QString>

namespace agent::format {

class FrameComposer {
public:
    // Keeps drawn frames up to `cacheKiB` kibibytes (the default holds about a thousand frames of a usual
    // character, for tools that draw a whole file; a window that shows one frame at a time keeps fewer).
    explicit FrameComposer(const AcsFile& file, int cacheKiB = 16 * 1024);

    // A Format_ARGB32_Premultiplied picture of info().width x info().height, clear where no image covers.
    // `mouth` is a MouthShape value, or -1 for the frame as drawn; a shape the frame has no overlay for gives
    // the plain frame. Fails when an index is out of range or an image is damaged.
    Result<QImage> compose(int animation, int frame, int mouth = -1);
    Result<QImage> compose(const Frame& frame, int mouth = -1) const;
    // The same frame as a Format_Indexed8 picture whose colour table is the palette, with the transparent
    // index clear: what a window keeps and draws from.
    Result<QImage> composeIndexed(int animation, int frame, int mouth = -1);
    Result<QImage> composeIndexed(const Frame& frame, int mouth = -1) const;

    void clearCache() { cache_.clear(); }

    // The most a frame may draw, in layers of the character's size.
    static constexpr int kMaxLayers = 32;

private:
    // `onClear`: nothing is drawn in the target yet, so the transparent index may simply be copied.
    Status draw(QImage& target, int image, int x, int y, bool onClear) const;

    const AcsFile& file_;
    QList<QRgb> colorTable_;  // the palette, opaque, with the transparent index clear
    QCache<quint64, QImage> cache_;
};

}  // namespace agent::format

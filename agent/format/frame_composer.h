// Draws a frame of a character: its images from last to first, then the mouth overlay when one is asked
// for, into a picture of the character's size. Recently composed frames are kept, as an animation shows the
// same few frames over and over.
#pragma once

#include "agent/format/acs_file.h"

#include <QCache>
#include <QImage>
#include <QRect>
#include <QString>

namespace agent::format {

class FrameComposer {
public:
    // Keeps composed frames up to `cacheKiB` kibibytes (the default holds a few hundred frames of a usual
    // character, for tools that compose a whole file; a window that shows one frame at a time keeps few).
    explicit FrameComposer(const AcsFile& file, int cacheKiB = 16 * 1024);

    // A Format_ARGB32_Premultiplied picture of info().width x info().height, clear where no image covers.
    // `mouth` is a MouthShape value, or -1 for the frame as drawn; a shape the frame has no overlay for gives
    // the plain frame. Fails when an index is out of range or an image is damaged.
    Result<QImage> compose(int animation, int frame, int mouth = -1);
    Result<QImage> compose(const Frame& frame, int mouth = -1) const;

    void clearCache() { cache_.clear(); }

    // The most a frame may draw, in layers of the character's size.
    static constexpr int kMaxLayers = 32;

private:
    // `onClear`: nothing is drawn in the target yet, so the transparent index may simply write clear.
    Status draw(QImage& target, int image, int x, int y, bool onClear) const;

    const AcsFile& file_;
    QRgb colors_[256];
    QRgb colorsOrClear_[256];  // colors_ with the transparent index clear
    QCache<quint64, QImage> cache_;
};

}  // namespace agent::format

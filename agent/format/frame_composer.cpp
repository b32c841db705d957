// Frame composition by hand over scan lines: the images are 8-bit and the transparent index is a colour
// key, which QPainter cannot apply without first converting each image. Frames stay 8-bit until drawn.
#include "agent/format/frame_composer.h"

#include <algorithm>
#include <cstring>

namespace agent::format {

FrameComposer::FrameComposer(const AcsFile& file, int cacheKiB) : file_(file), cache_(cacheKiB) {
    const QList<QRgb>& palette = file.info().palette;
    colorTable_.resize(256);
    for (int i = 0; i < 256; ++i) {
        colorTable_[i] = i == file.info().transparentIndex ? 0u
                         : i < palette.size()              ? (palette[i] | 0xFF000000u)
                                                           : 0xFF000000u;
    }
}

namespace {

Result<QImage> premultiplied(Result<QImage> indexed) {
    if (!indexed) {
        return indexed;
    }
    return indexed->convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

Result<QImage> FrameComposer::compose(int animation, int frame, int mouth) {
    return premultiplied(composeIndexed(animation, frame, mouth));
}

Result<QImage> FrameComposer::compose(const Frame& frame, int mouth) const {
    return premultiplied(composeIndexed(frame, mouth));
}

Result<QImage> FrameComposer::composeIndexed(int animation, int frame, int mouth) {
    const QList<Animation>& animations = file_.animations();
    if (animation < 0 || animation >= animations.size() || frame < 0 ||
        frame >= animations[animation].frames.size()) {
        return fail(QStringLiteral("no frame %1 in animation %2").arg(frame).arg(animation));
    }
    const quint64 key =
        (quint64(quint32(animation)) << 32) | (quint64(quint32(frame)) << 8) | quint8(mouth + 1);
    if (const QImage* cached = cache_.object(key)) {
        return *cached;
    }
    Result<QImage> out = composeIndexed(animations[animation].frames[frame], mouth);
    if (out) {
        cache_.insert(key, new QImage(*out), int(std::max<qsizetype>(1, out->sizeInBytes() / 1024)));
    }
    return out;
}

Result<QImage> FrameComposer::composeIndexed(const Frame& frame, int mouth) const {
    const CharacterInfo& info = file_.info();
    QImage out(info.width, info.height, QImage::Format_Indexed8);
    if (out.isNull()) {
        return fail(QStringLiteral("out of memory for a %1x%2 frame").arg(info.width).arg(info.height));
    }
    out.setColorTable(colorTable_);
    out.fill(uint(info.transparentIndex));

    const MouthOverlay* overlay = nullptr;
    if (mouth >= 0) {
        for (const MouthOverlay& o : frame.overlays) {
            if (o.shape == mouth) {
                overlay = &o;
                break;
            }
        }
    }
    // A few bytes of a file can make a frame stack thousands of large images; refuse such a frame before
    // drawing rather than spend minutes on it. Genuine frames draw a handful of layers.
    const QRect bounds(0, 0, info.width, info.height);
    qint64 work = 0;
    auto area = [&](std::uint32_t image, int x, int y) {
        const Result<ImageInfo> img = file_.imageInfo(int(image));
        if (!img) {
            return qint64(0);  // reported by draw()
        }
        const QRect r = bounds.intersected(QRect(x, y, img->width, img->height));
        return r.isEmpty() ? qint64(0) : qint64(r.width()) * r.height();
    };
    for (const FrameImage& fi : frame.images) {
        work += area(fi.image, fi.x, fi.y);
    }
    if (overlay != nullptr) {
        work += area(overlay->image, overlay->x, overlay->y);
    }
    if (work > kMaxLayers * qint64(info.width) * info.height) {
        return fail(QStringLiteral("frame stacks %1 images, more than %2 layers of the character's size")
                        .arg(frame.images.size())
                        .arg(kMaxLayers));
    }
    bool clear = true;
    for (qsizetype i = frame.images.size() - 1; i >= 0; --i) {
        const FrameImage& fi = frame.images[i];
        if (i == 0 && overlay != nullptr && overlay->replacesTopImage) {
            continue;
        }
        if (Status drawn = draw(out, int(fi.image), fi.x, fi.y, clear); !drawn) {
            return drawn.failure();
        }
        clear = false;
    }
    if (overlay != nullptr) {
        if (Status drawn = draw(out, overlay->image, overlay->x, overlay->y, false); !drawn) {
            return drawn.failure();
        }
    }
    return out;
}

Status FrameComposer::draw(QImage& target, int image, int x, int y, bool onClear) const {
    // An image of no pixels comes back null and draws nothing.
    const Result<QImage> decoded = file_.image(image);
    if (!decoded) {
        return decoded.failure();
    }
    const QImage& src = *decoded;
    const int transparent = file_.info().transparentIndex;
    const int x0 = std::max(0, x);
    const int x1 = std::min(target.width(), x + src.width());
    const int y0 = std::max(0, y);
    const int y1 = std::min(target.height(), y + src.height());
    if (x1 <= x0) {
        return {};
    }
    for (int ty = y0; ty < y1; ++ty) {
        const uchar* s = src.constScanLine(ty - y) + (x0 - x);
        uchar* d = target.scanLine(ty) + x0;
        if (onClear) {
            // The bottom layer of a frame: copied whole, as the transparent index over clear changes nothing.
            std::memcpy(d, s, size_t(x1 - x0));
            continue;
        }
        for (int n = x1 - x0; n > 0; --n, ++s, ++d) {
            if (*s != transparent) {
                *d = *s;
            }
        }
    }
    return {};
}

}  // namespace agent::format

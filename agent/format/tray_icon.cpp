// Decoding of the two device-independent bitmaps of a tray icon, with every size checked against the
// bytes stored: the icon comes from the same untrusted file as everything else.
#include "agent/format/tray_icon.h"

#include <QtEndian>

#include <cstdlib>

namespace agent::format {

namespace {

struct Bitmap {
    int width = 0;
    int height = 0;
    bool bottomUp = true;
    int bits = 0;
    QList<QRgb> colors;
    const std::uint8_t* pixels = nullptr;
    qsizetype stride = 0;

    int index(int x, int y) const {
        const std::uint8_t* row = pixels + qsizetype(bottomUp ? height - 1 - y : y) * stride;
        switch (bits) {
            case 1:
                return (row[x / 8] >> (7 - x % 8)) & 1;
            case 4:
                return (row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF;
            default:
                return row[x];
        }
    }
    QRgb color(int x, int y) const {
        if (bits <= 8) {
            const int i = index(x, y);
            return i < colors.size() ? colors[i] : qRgb(0, 0, 0);
        }
        const std::uint8_t* row = pixels + qsizetype(bottomUp ? height - 1 - y : y) * stride;
        const std::uint8_t* p = row + qsizetype(x) * (bits / 8);
        return qRgb(p[2], p[1], p[0]);
    }
};

Result<Bitmap> parseBitmap(const QByteArray& data, const char* what) {
    auto fail = [what](const QString& message) {
        return agent::fail(QStringLiteral("tray icon %1 bitmap: %2").arg(QLatin1String(what), message));
    };
    const auto* b = reinterpret_cast<const std::uint8_t*>(data.constData());
    const qsizetype size = data.size();
    if (size < 40) {
        return fail(QStringLiteral("%1 bytes, too short for its header").arg(size));
    }
    const std::uint32_t headerSize = qFromLittleEndian<std::uint32_t>(b);
    const std::int32_t width = qFromLittleEndian<std::int32_t>(b + 4);
    const std::int32_t height = qFromLittleEndian<std::int32_t>(b + 8);
    const int bits = qFromLittleEndian<std::uint16_t>(b + 14);
    const std::uint32_t compression = qFromLittleEndian<std::uint32_t>(b + 16);
    std::uint32_t colorsUsed = qFromLittleEndian<std::uint32_t>(b + 32);
    if (headerSize < 40 || headerSize > std::uint32_t(size)) {
        return fail(QStringLiteral("header size %1 does not fit").arg(headerSize));
    }
    if (width <= 0 || width > 256 || height == 0 || height < -256 || height > 256) {
        return fail(QStringLiteral("size %1x%2 is not an icon's").arg(width).arg(height));
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
        return fail(QStringLiteral("%1 bits a pixel is not supported").arg(bits));
    }
    if (compression != 0) {
        return fail(QStringLiteral("compressed bitmaps are not supported"));
    }
    if (bits <= 8 && (colorsUsed == 0 || colorsUsed > (1u << bits))) {
        colorsUsed = 1u << bits;
    } else if (bits > 8) {
        colorsUsed = 0;
    }
    Bitmap out;
    out.width = width;
    out.height = std::abs(height);
    out.bottomUp = height > 0;
    out.bits = bits;
    out.stride = ((qsizetype(width) * bits + 31) / 32) * 4;
    const qsizetype tableEnd = qsizetype(headerSize) + qsizetype(colorsUsed) * 4;
    const qsizetype needed = tableEnd + out.stride * out.height;
    if (needed > size) {
        return fail(QStringLiteral("needs %1 bytes but holds %2").arg(needed).arg(size));
    }
    for (std::uint32_t i = 0; i < colorsUsed; ++i) {
        const std::uint8_t* c = b + headerSize + i * 4;
        out.colors.append(qRgb(c[2], c[1], c[0]));
    }
    out.pixels = b + tableEnd;
    return out;
}

}  // namespace

Result<QImage> decodeTrayIcon(const TrayIcon& icon) {
    const Result<Bitmap> maskRead = parseBitmap(icon.monochrome, "mask");
    if (!maskRead) {
        return maskRead.failure();
    }
    const Result<Bitmap> colorRead = parseBitmap(icon.color, "colour");
    if (!colorRead) {
        return colorRead.failure();
    }
    const Bitmap& mask = *maskRead;
    const Bitmap& color = *colorRead;
    if (mask.bits != 1 || mask.width != color.width || mask.height != color.height) {
        return fail(
            QStringLiteral("tray icon: the mask (%1x%2, %3 bits) does not match the colour bitmap (%4x%5)")
                .arg(mask.width)
                .arg(mask.height)
                .arg(mask.bits)
                .arg(color.width)
                .arg(color.height));
    }
    QImage out(color.width, color.height, QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            // A set mask bit lets the background through; icons keep their colour bits black there.
            line[x] = mask.index(x, y) != 0 ? qRgba(0, 0, 0, 0) : color.color(x, y);
        }
    }
    return out;
}

}  // namespace agent::format

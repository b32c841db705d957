// The desktop's screens: the primary screen's size, the twips-per-pixel factors that convert window
// positions, and the monitors, all in Qt's logical pixels.
#pragma once

#include <QList>
#include <QRect>
#include <utility>

namespace horalia::platform {

// One monitor: all of it, and the part windows are meant to use (without the panels along its edges).
struct Monitor {
    QRect geometry;
    QRect available;
    bool operator==(const Monitor&) const = default;
};

class ScreenMetrics {
public:
    virtual ~ScreenMetrics() = default;
    virtual int widthPixels() const = 0;
    virtual int heightPixels() const = 0;
    virtual int twipsPerPixelX() const = 0;
    virtual int twipsPerPixelY() const = 0;
    // Every monitor of the desktop, the primary one first.
    virtual QList<Monitor> monitors() const = 0;

    int widthTwips() const { return widthPixels() * twipsPerPixelX(); }
    int heightTwips() const { return heightPixels() * twipsPerPixelY(); }
};

// Screens of fixed size: one monitor for the console mode, where there is no screen at all, or the monitors
// given.
class FixedScreenMetrics : public ScreenMetrics {
public:
    FixedScreenMetrics(int width = 1024, int height = 768, int twipsPerPixel = 15)
        : width_(width),
          height_(height),
          twips_(twipsPerPixel),
          monitors_{{QRect(0, 0, width, height), QRect(0, 0, width, height)}} {}
    FixedScreenMetrics(QList<Monitor> monitors, int twipsPerPixel = 15)
        : width_(monitors.isEmpty() ? 0 : monitors[0].geometry.width()),
          height_(monitors.isEmpty() ? 0 : monitors[0].geometry.height()),
          twips_(twipsPerPixel),
          monitors_(std::move(monitors)) {}
    int widthPixels() const override { return width_; }
    int heightPixels() const override { return height_; }
    int twipsPerPixelX() const override { return twips_; }
    int twipsPerPixelY() const override { return twips_; }
    QList<Monitor> monitors() const override { return monitors_; }

private:
    int width_;
    int height_;
    int twips_;
    QList<Monitor> monitors_;
};

}  // namespace horalia::platform

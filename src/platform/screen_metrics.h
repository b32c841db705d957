// The primary screen's size and the twips-per-pixel factors that convert window positions.
#pragma once

namespace horalia::platform {

class ScreenMetrics {
public:
    virtual ~ScreenMetrics() = default;
    virtual int widthPixels() const = 0;
    virtual int heightPixels() const = 0;
    virtual int twipsPerPixelX() const = 0;
    virtual int twipsPerPixelY() const = 0;

    int widthTwips() const { return widthPixels() * twipsPerPixelX(); }
    int heightTwips() const { return heightPixels() * twipsPerPixelY(); }
};

// A screen of fixed size, for the console mode where there is no screen at all.
class FixedScreenMetrics : public ScreenMetrics {
public:
    FixedScreenMetrics(int width = 1024, int height = 768, int twipsPerPixel = 15)
        : width_(width), height_(height), twips_(twipsPerPixel) {}
    int widthPixels() const override { return width_; }
    int heightPixels() const override { return height_; }
    int twipsPerPixelX() const override { return twips_; }
    int twipsPerPixelY() const override { return twips_; }

private:
    int width_;
    int height_;
    int twips_;
};

}  // namespace horalia::platform

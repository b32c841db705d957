// The desktop's screens as Qt sees them.
#pragma once

#include "src/platform/screen_metrics.h"

namespace horalia::platform {

class QtScreenMetrics : public ScreenMetrics {
public:
    int widthPixels() const override;
    int heightPixels() const override;
    // 1440 twips make an inch: twips per pixel = 1440 / the screen's logical DPI (15 at 96 DPI).
    int twipsPerPixelX() const override;
    int twipsPerPixelY() const override;
    QList<Monitor> monitors() const override;
};

}  // namespace horalia::platform

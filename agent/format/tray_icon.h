// The character's tray icon as a picture: its two stored Windows bitmaps (a one-bit mask and a colour
// bitmap) made into one image with transparency, for the tray.
#pragma once

#include "agent/format/acs_types.h"
#include "agent/result.h"

#include <QImage>
#include <QString>

namespace agent::format {

// A Format_ARGB32 image, clear where the mask is set. Fails when a bitmap is damaged or of a kind icons do
// not use (only 1, 4, 8, 24 and 32 bits a pixel, uncompressed, up to 256x256).
Result<QImage> decodeTrayIcon(const TrayIcon& icon);

}  // namespace agent::format

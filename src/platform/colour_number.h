// Colour numbers as the settings keep them: red in the lowest byte, green in the next, blue in the third.
// 0x80000000 plus an index stands for one of the desktop's own colours (5 the window background, 8 the
// window text, 15 a button's face, ...), which the palette of the moment gives.
#pragma once

#include <QColor>
#include <QPalette>
#include <optional>

namespace horalia::platform {

inline qint32 colourNumber(int red, int green, int blue) {
    return static_cast<qint32>((red & 0xff) | ((green & 0xff) << 8) | ((blue & 0xff) << 16));
}

inline qint32 colourNumber(const QColor& colour) {
    return colourNumber(colour.red(), colour.green(), colour.blue());
}

// The colour a number stands for; nothing for a number that is neither a colour nor a desktop colour.
std::optional<QColor> colourFromNumber(qint32 number, const QPalette& palette);

// The red, green and blue bytes of a number that is known to be no desktop colour (one a colour dialog gave).
QColor rgbFromNumber(qint32 number);

}  // namespace horalia::platform

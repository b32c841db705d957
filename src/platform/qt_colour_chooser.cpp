#include "src/platform/qt_colour_chooser.h"

#include <QColorDialog>

#include "src/platform/colour_number.h"

namespace horalia::platform {

qint32 QtColourChooser::choose() {
    const QColor start = rgbFromNumber(held_);
    const QColor chosen = QColorDialog::getColor(start);
    if (chosen.isValid()) {
        held_ = colourNumber(chosen);
    }
    return held_;
}

}  // namespace horalia::platform

#include "src/platform/qt_colour_chooser.h"

#include <QColorDialog>

namespace horalia::platform {

qint32 QtColourChooser::choose() {
    const QColor start(held_ & 0xff, (held_ >> 8) & 0xff, (held_ >> 16) & 0xff);
    const QColor chosen = QColorDialog::getColor(start);
    if (chosen.isValid()) {
        held_ = colourNumber(chosen.red(), chosen.green(), chosen.blue());
    }
    return held_;
}

}  // namespace horalia::platform

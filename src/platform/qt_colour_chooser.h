// The colour-choice dialog on the desktop: QColorDialog, keeping the last colour between uses.
#pragma once

#include "src/platform/colour_chooser.h"

namespace horalia::platform {

class QtColourChooser : public ColourChooser {
public:
    qint32 choose() override;

private:
    // Nothing chosen yet: black, the clock's own text colour.
    qint32 held_ = 0;
};

}  // namespace horalia::platform

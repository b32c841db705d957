// The colour-choice dialog the clock window shares between its colour buttons: it keeps the colour it last
// held, so a cancelled choice hands back that one again.
#pragma once

#include <QtGlobal>

namespace horalia::platform {

class ColourChooser {
public:
    virtual ~ColourChooser() = default;
    // Shows the dialog and waits for it. The colour it holds afterwards, as a colour number (red in the low
    // byte): the chosen one, or after a cancel the one it held before.
    virtual qint32 choose() = 0;
};

}  // namespace horalia::platform

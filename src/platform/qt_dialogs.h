// Message boxes, file dialogs and the beep of the desktop.
#pragma once

#include "src/platform/dialogs.h"

namespace horalia::platform {

class QtDialogs : public Dialogs {
public:
    Answer messageBox(const QString& text, const QString& title, int styleNumber) override;
    QString openFile(const QString& filter, const QString& initialFolder) override;
    void beep() override;
};

}  // namespace horalia::platform

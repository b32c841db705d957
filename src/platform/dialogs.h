// Modal questions and choices put to the user.
#pragma once

#include <QString>

namespace horalia::platform {

// Message box styles as numbers, combined by adding them.
namespace style {
constexpr int kOk = 0;
constexpr int kYesNo = 4;
constexpr int kExclamation = 48;
}  // namespace style

enum class Answer { Ok, Yes, No };

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // An empty title means the program's name.
    virtual Answer messageBox(const QString& text, const QString& title, int styleNumber) = 0;
    // An open-file dialog; filter is "description|pattern" pairs joined by '|' ("Agent Characters
    // (*.acs)|*.acs"). The chosen file's full path, or an empty string when the user cancelled.
    virtual QString openFile(const QString& filter, const QString& initialFolder) = 0;
    virtual void beep() = 0;
};

}  // namespace horalia::platform

// The dialog's controls that the user works, each with the handler it calls: one table, walked by the window
// to connect its widgets and by the console to take a script's typing and clicks.
#pragma once

#include <QList>
#include <QString>
#include <functional>

namespace horalia::settings_dialog {

class SettingsLogic;

enum class ControlKind {
    Button,    // a push button, clicked
    CheckBox,  // clicked by the user; the logic setting it is no click
    Text,      // a text box whose every change is handled
    Entry,     // a text box or combo box read when a button is pressed; typing in it calls nothing
    Interval,  // the interval combo box: every change of its text, and a hint when it takes the focus
    Label,     // a label that is clicked
};

struct ControlHandler {
    QString name;
    ControlKind kind;
    std::function<void(SettingsLogic&)> handle = {};   // on a click or a change; none for an Entry
    std::function<void(SettingsLogic&)> focused = {};  // when the user moves to the control
};

const QList<ControlHandler>& controlHandlers();
// The entry of that name, or nothing when the user cannot work such a control.
const ControlHandler* findControlHandler(const QString& name);

}  // namespace horalia::settings_dialog

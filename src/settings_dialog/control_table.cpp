#include "src/settings_dialog/control_table.h"

#include "src/settings_dialog/settings_logic.h"

namespace horalia::settings_dialog {

namespace {

using K = ControlKind;
using core::Who;

QList<ControlHandler> makeTable() {
    return {
        {"com_set1", K::Button, [](SettingsLogic& l) { l.setAlarm(1); }},
        {"com_set2", K::Button, [](SettingsLogic& l) { l.setAlarm(2); }},
        {"com_clear1", K::Button, [](SettingsLogic& l) { l.clearAlarm(1); }},
        {"com_clear2", K::Button, [](SettingsLogic& l) { l.clearAlarm(2); }},
        {"com_change1", K::Button, [](SettingsLogic& l) { l.changeLaunch(1); }},
        {"com_change2", K::Button, [](SettingsLogic& l) { l.changeLaunch(2); }},
        {"com_changechar1", K::Button, [](SettingsLogic& l) { l.changeCharacter(Who::First); }},
        {"com_changechar2", K::Button, [](SettingsLogic& l) { l.changeCharacter(Who::Second); }},
        {"com_changefore", K::Button, [](SettingsLogic& l) { l.changeColour(true); }},
        {"com_changeback", K::Button, [](SettingsLogic& l) { l.changeColour(false); }},
        {"com_speak", K::Button, [](SettingsLogic& l) { l.speak(); }},
        {"Command2", K::Button, [](SettingsLogic& l) { l.setFormat(); }},
        {"com_setquiet", K::Button, [](SettingsLogic& l) { l.setQuiet(); }},
        {"chk_repeat1", K::CheckBox, [](SettingsLogic& l) { l.repeatClicked(1); }},
        {"chk_repeat2", K::CheckBox, [](SettingsLogic& l) { l.repeatClicked(2); }},
        {"chk_hide1", K::CheckBox, [](SettingsLogic& l) { l.hideClicked(Who::First); }},
        {"chk_hide2", K::CheckBox, [](SettingsLogic& l) { l.hideClicked(Who::Second); }},
        {"chk_effects1", K::CheckBox, [](SettingsLogic& l) { l.effectsClicked(Who::First); }},
        {"chk_effects2", K::CheckBox, [](SettingsLogic& l) { l.effectsClicked(Who::Second); }},
        {"chk_LWW", K::CheckBox, [](SettingsLogic& l) { l.startWithLoginClicked(); }},
        {"txt_message1", K::Text, [](SettingsLogic& l) { l.messageChanged(1); }},
        {"txt_message2", K::Text, [](SettingsLogic& l) { l.messageChanged(2); }},
        {"txt_startupmessage", K::Text, [](SettingsLogic& l) { l.startupMessageChanged(); }},
        {"txt_username", K::Text, [](SettingsLogic& l) { l.userNameChanged(); }},
        {"Combo2", K::Interval, [](SettingsLogic& l) { l.intervalChanged(); },
         [](SettingsLogic& l) { l.intervalFocused(); }},
        {"txt_hour1", K::Entry},
        {"txt_min1", K::Entry},
        {"txt_hour2", K::Entry},
        {"txt_min2", K::Entry},
        {"txt_quiet1", K::Entry},
        {"txt_quiet2", K::Entry},
        {"txt_speech", K::Entry},
        {"Combo1", K::Entry},
        {"com_format", K::Entry},
        {"lab_mode", K::Label, [](SettingsLogic& l) { l.modeLabelClicked(); }},
    };
}

}  // namespace

const QList<ControlHandler>& controlHandlers() {
    static const QList<ControlHandler> table = makeTable();
    return table;
}

const ControlHandler* findControlHandler(const QString& name) {
    for (const ControlHandler& entry : controlHandlers()) {
        if (entry.name == name) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace horalia::settings_dialog

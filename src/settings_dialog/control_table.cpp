#include "src/settings_dialog/control_table.h"

#include "src/settings_dialog/settings_logic.h"

namespace horalia::settings_dialog {

namespace {

using K = ControlKind;
using core::Who;

// Each alarm's page has the same controls, named with the alarm's number.
void addAlarmControls(QList<ControlHandler>& table, int n) {
    const QString number = QString::number(n);
    table.append({
        {"com_set" + number, K::Button, [n](SettingsLogic& l) { l.setAlarm(n); }},
        {"com_clear" + number, K::Button, [n](SettingsLogic& l) { l.clearAlarm(n); }},
        {"com_change" + number, K::Button, [n](SettingsLogic& l) { l.changeLaunch(n); }},
        {"chk_repeat" + number, K::CheckBox, [n](SettingsLogic& l) { l.repeatClicked(n); }},
        {"txt_message" + number, K::Text, [n](SettingsLogic& l) { l.messageChanged(n); }},
        {"txt_hour" + number, K::Entry},
        {"txt_min" + number, K::Entry},
    });
}

QList<ControlHandler> makeTable() {
    QList<ControlHandler> table;
    for (const core::Alarm& alarm : core::alarms()) {
        addAlarmControls(table, alarm.number);
    }
    table.append({
        {"com_changechar1", K::Button, [](SettingsLogic& l) { l.changeCharacter(Who::First); }},
        {"com_changechar2", K::Button, [](SettingsLogic& l) { l.changeCharacter(Who::Second); }},
        {"com_changefore", K::Button, [](SettingsLogic& l) { l.changeColour(true); }},
        {"com_changeback", K::Button, [](SettingsLogic& l) { l.changeColour(false); }},
        {"com_speak", K::Button, [](SettingsLogic& l) { l.speak(); }},
        {"Command2", K::Button, [](SettingsLogic& l) { l.setFormat(); }},
        {"com_setquiet", K::Button, [](SettingsLogic& l) { l.setQuiet(); }},
        {"chk_hide1", K::CheckBox, [](SettingsLogic& l) { l.hideClicked(Who::First); }},
        {"chk_hide2", K::CheckBox, [](SettingsLogic& l) { l.hideClicked(Who::Second); }},
        {"chk_effects1", K::CheckBox, [](SettingsLogic& l) { l.effectsClicked(Who::First); }},
        {"chk_effects2", K::CheckBox, [](SettingsLogic& l) { l.effectsClicked(Who::Second); }},
        {"chk_LWW", K::CheckBox, [](SettingsLogic& l) { l.startWithLoginClicked(); }},
        {"txt_startupmessage", K::Text, [](SettingsLogic& l) { l.startupMessageChanged(); }},
        {"txt_username", K::Text, [](SettingsLogic& l) { l.userNameChanged(); }},
        {"Combo2", K::Interval, [](SettingsLogic& l) { l.intervalChanged(); },
         [](SettingsLogic& l) { l.intervalFocused(); }},
        {"txt_quiet1", K::Entry},
        {"txt_quiet2", K::Entry},
        {"txt_speech", K::Entry},
        {"Combo1", K::Entry},
        {"com_format", K::Entry},
        {"lab_mode", K::Label, [](SettingsLogic& l) { l.modeLabelClicked(); }},
    });
    return table;
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

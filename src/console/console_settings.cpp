#include "src/console/console_settings.h"

#include "src/settings_dialog/control_table.h"

namespace horalia::console {

namespace {
const QString kSettings = QStringLiteral("frm_settings");
}

qint32 ConsoleColourChooser::choose() {
    sink_.line(QStringLiteral("dia_choose"), QStringLiteral("ShowColor"), {qint64(colour_)});
    return colour_;
}

ConsoleSettings::ConsoleSettings(agent::console::Sink& sink, settings_dialog::DialogContext context)
    : sink_(sink), logic_(std::make_unique<settings_dialog::SettingsLogic>(std::move(context), *this)) {
    logic_->load();
}

ConsoleSettings::~ConsoleSettings() = default;

void ConsoleSettings::print(const QString& name, const agent::console::Arg& value) {
    // Filling the controls at load is not news; what the user and the handlers change is.
    if (!logic_ || !logic_->loading()) {
        sink_.line(kSettings, name, {value});
    }
}

void ConsoleSettings::setText(const QString& name, const QString& text) {
    texts_.insert(name, text);
    print(name, text);
}

void ConsoleSettings::setChecked(const QString& name, bool checked) {
    if (checked) {
        checked_.insert(name);
    } else {
        checked_.remove(name);
    }
    print(name, checked);
}

bool ConsoleSettings::type(const QString& name, const QString& text) {
    using settings_dialog::ControlKind;
    const settings_dialog::ControlHandler* control = settings_dialog::findControlHandler(name);
    if (control == nullptr || (control->kind != ControlKind::Text && control->kind != ControlKind::Entry &&
                               control->kind != ControlKind::Interval)) {
        return false;
    }
    texts_.insert(name, text);
    if (control->focused) {
        control->focused(*logic_);
    }
    if (control->handle) {
        control->handle(*logic_);
    }
    return true;
}

bool ConsoleSettings::click(const QString& name) {
    using settings_dialog::ControlKind;
    const settings_dialog::ControlHandler* control = settings_dialog::findControlHandler(name);
    if (control == nullptr ||
        (control->kind != ControlKind::Button && control->kind != ControlKind::CheckBox &&
         control->kind != ControlKind::Label)) {
        return false;
    }
    control->handle(*logic_);
    return true;
}

}  // namespace horalia::console

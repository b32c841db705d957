#include "src/app/console_settings.h"

#include <functional>

namespace horalia::app {

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
    using Handler = std::function<void()>;
    settings_dialog::SettingsLogic* logic = logic_.get();
    const QHash<QString, Handler> edited = {
        {QStringLiteral("txt_message1"), [logic] { logic->messageChanged(1); }},
        {QStringLiteral("txt_message2"), [logic] { logic->messageChanged(2); }},
        {QStringLiteral("txt_startupmessage"), [logic] { logic->startupMessageChanged(); }},
        {QStringLiteral("txt_username"), [logic] { logic->userNameChanged(); }},
        {QStringLiteral("Combo2"), [logic] { logic->intervalChanged(); }},
    };
    // Boxes whose text only counts when a button is pressed.
    static const QSet<QString> plain = {"txt_hour1",  "txt_min1",   "txt_hour2", "txt_min2",  "txt_quiet1",
                                        "txt_quiet2", "txt_speech", "Combo1",    "com_format"};
    if (!edited.contains(name) && !plain.contains(name)) {
        return false;
    }
    texts_.insert(name, text);
    if (name == u"Combo2") {
        logic->intervalFocused();
    }
    if (auto handler = edited.value(name)) {
        handler();
    }
    return true;
}

bool ConsoleSettings::click(const QString& name) {
    using Handler = std::function<void()>;
    settings_dialog::SettingsLogic* logic = logic_.get();
    const QHash<QString, Handler> clicks = {
        {QStringLiteral("com_set1"), [logic] { logic->setAlarm(1); }},
        {QStringLiteral("com_set2"), [logic] { logic->setAlarm(2); }},
        {QStringLiteral("com_clear1"), [logic] { logic->clearAlarm(1); }},
        {QStringLiteral("com_clear2"), [logic] { logic->clearAlarm(2); }},
        {QStringLiteral("com_change1"), [logic] { logic->changeLaunch(1); }},
        {QStringLiteral("com_change2"), [logic] { logic->changeLaunch(2); }},
        {QStringLiteral("com_changechar1"), [logic] { logic->changeCharacter(1); }},
        {QStringLiteral("com_changechar2"), [logic] { logic->changeCharacter(2); }},
        {QStringLiteral("chk_repeat1"), [logic] { logic->repeatClicked(1); }},
        {QStringLiteral("chk_repeat2"), [logic] { logic->repeatClicked(2); }},
        {QStringLiteral("chk_hide1"), [logic] { logic->hideClicked(1); }},
        {QStringLiteral("chk_hide2"), [logic] { logic->hideClicked(2); }},
        {QStringLiteral("chk_effects1"), [logic] { logic->effectsClicked(1); }},
        {QStringLiteral("chk_effects2"), [logic] { logic->effectsClicked(2); }},
        {QStringLiteral("chk_LWW"), [logic] { logic->startWithLoginClicked(); }},
        {QStringLiteral("com_changefore"), [logic] { logic->changeColour(true); }},
        {QStringLiteral("com_changeback"), [logic] { logic->changeColour(false); }},
        {QStringLiteral("com_speak"), [logic] { logic->speak(); }},
        {QStringLiteral("Command2"), [logic] { logic->setFormat(); }},
        {QStringLiteral("com_setquiet"), [logic] { logic->setQuiet(); }},
        {QStringLiteral("lab_mode"), [logic] { logic->modeLabelClicked(); }},
    };
    const Handler handler = clicks.value(name);
    if (!handler) {
        return false;
    }
    handler();
    return true;
}

}  // namespace horalia::app

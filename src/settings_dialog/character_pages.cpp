// The characters, colours, type-and-speak and misc pages.
#include "src/core/settings_keys.h"
#include "src/platform/colour_number.h"
#include "src/settings_dialog/settings_logic.h"

namespace horalia::settings_dialog {

namespace keys = core::keys;

namespace {

QString numbered(const char* control, core::Who who) {
    return QLatin1String(control) + QString::number(core::slot(who) + 1);
}

}  // namespace

void SettingsLogic::effectsClicked(core::Who who) {
    if (loading_) {
        return;
    }
    const QString& key = core::characterKeys(who).effects;
    // A missing key means the effects are off, as the characters' set-up reads it.
    const bool wasOff = platform_.settings.read(keys::kData, key, keys::kTrue) == keys::kTrue;
    controls_.setChecked(numbered("chk_effects", who), !wasOff);
    store(key, wasOff ? keys::kFalse : keys::kTrue);
    // The characters take their sound effects only when they are set up, which a restart does.
    const platform::Answer answer = platform_.dialogs.messageBox(
        QStringLiteral(
            "You will need to re start Horalia Deluxe for this to take effect, do you want to re start "
            "it now? (If you choose no, it will take effect next time you run Horalia Deluxe)"),
        QStringLiteral("Warning!"), platform::style::kYesNo);
    if (answer == platform::Answer::Yes) {
        restartClock();
    }
}

void SettingsLogic::hideClicked(core::Who who) {
    if (loading_) {
        return;
    }
    const QString& key = core::characterKeys(who).hide;
    const bool wasOn = platform_.settings.read(keys::kData, key) == keys::kTrue;
    controls_.setChecked(numbered("chk_hide", who), !wasOn);
    store(key, wasOn ? keys::kFalse : keys::kTrue);
}

void SettingsLogic::startWithLoginClicked() {
    if (loading_) {
        return;
    }
    const bool wasOn = platform_.settings.read(keys::kData, keys::kLoadWithWindows) == keys::kTrue;
    controls_.setChecked(QStringLiteral("chk_LWW"), !wasOn);
    store(keys::kLoadWithWindows, wasOn ? keys::kFalse : keys::kTrue);
    // The setting and the box change even when the entry cannot be placed or removed.
    if (wasOn) {
        say(QStringLiteral("Horalia will no longer start when windows does!"), QStringLiteral("genie"));
        context_.autostart.remove();
    } else {
        say(QStringLiteral("Horalia will now start with windows"), QStringLiteral("peedy"));
        context_.autostart.place();
    }
}

void SettingsLogic::changeCharacter(core::Who who) {
    const auto& change = who == core::Who::First ? context_.clock.newcharacter : context_.clock.newcharacter2;
    if (change) {
        change();
    }
    // Closed whether or not a new character was chosen.
    if (context_.clock.closeDialog) {
        context_.clock.closeDialog();
    }
}

void SettingsLogic::changeColour(bool text) {
    // A cancelled dialog still hands back the colour it held, and that one is applied and stored.
    const qint32 colour = context_.colours.choose();
    const QColor shown = platform::rgbFromNumber(colour);
    controls_.setBackground(text ? QStringLiteral("txt_forecolour") : QStringLiteral("txt_backcolour"),
                            shown);
    if (core::ClockView* view = context_.clock.view) {
        if (text) {
            view->setColours(colour, std::nullopt);
        } else {
            view->setColours(std::nullopt, colour);
        }
    }
    store(text ? keys::kForeColour : keys::kBackColour, QString::number(colour));
    platform_.dialogs.beep();
}

void SettingsLogic::speak() {
    // Only the exact name of character 1 picks it; any other text in the chooser picks character 2.
    const bool first = platform_.settings.read(keys::kData, keys::kLastCharacter) ==
                       controls_.text(QStringLiteral("Combo1"));
    say(controls_.text(QStringLiteral("txt_speech")),
        core::speakerOf(first ? core::Who::First : core::Who::Second));
}

void SettingsLogic::startupMessageChanged() {
    if (!loading_) {
        store(keys::kStartupMessage, controls_.text(QStringLiteral("txt_startupmessage")));
    }
}

void SettingsLogic::userNameChanged() {
    if (!loading_) {
        store(keys::kUserName, controls_.text(QStringLiteral("txt_username")));
    }
}

}  // namespace horalia::settings_dialog

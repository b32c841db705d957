// The two alarm pages: time, daily repetition, the program to launch and the spoken message.
#include "src/core/alarms.h"
#include "src/core/conversions.h"
#include "src/core/settings_keys.h"
#include "src/settings_dialog/settings_logic.h"

namespace horalia::settings_dialog {

namespace keys = core::keys;

namespace {

QString numbered(const char* name, int alarm) {
    return QString::fromLatin1(name) + QString::number(alarm);
}

bool inRange(const QString& text, double low, double high) {
    // Text that is no number at all counts as out of range.
    const std::optional<double> value = core::toDouble(text);
    return value && *value >= low && *value <= high;
}

}  // namespace

void SettingsLogic::setAlarm(int alarm) {
    const QString hour = controls_.text(numbered("txt_hour", alarm));
    const QString minute = controls_.text(numbered("txt_min", alarm));
    if (!inRange(hour, 0, 23) || !inRange(minute, 0, 59)) {
        platform_.dialogs.messageBox(QStringLiteral("You must enter a valid time in 24 hour format"), {},
                                     platform::style::kOk);
        return;
    }
    if (hour.size() < 2 || minute.size() < 2) {
        platform_.dialogs.messageBox(QStringLiteral("You must enter TWO digits in each time box, e.g. 02 21"),
                                     {}, platform::style::kOk);
        return;
    }
    // Stored exactly as typed.
    store(core::alarm(alarm).timeKey, hour + minute);
    // Each alarm is confirmed by the other character.
    say(QStringLiteral("Your alarm has been set"), core::speakerOf(core::other(core::alarm(alarm).speaker)));
}

void SettingsLogic::clearAlarm(int alarm) {
    store(core::alarm(alarm).timeKey, keys::kNoAlarm);
    platform_.dialogs.beep();
    controls_.setText(numbered("txt_hour", alarm), QStringLiteral("99"));
    controls_.setText(numbered("txt_min", alarm), QStringLiteral("99"));
}

void SettingsLogic::repeatClicked(int alarm) {
    if (loading_) {
        return;
    }
    const QString& key = core::alarm(alarm).repeatKey;
    // The stored value decides, not the box, which is then brought into line with it.
    const bool wasOn = platform_.settings.read(keys::kData, key) == keys::kTrue;
    controls_.setChecked(numbered("chk_repeat", alarm), !wasOn);
    store(key, wasOn ? keys::kFalse : keys::kTrue);
}

void SettingsLogic::changeLaunch(int alarm) {
    const QString file = platform_.dialogs.openFile(
        QStringLiteral("Program files (*.exe)|*.exe|Pif files (*.pif)|*.pif|Batch files (*.bat)|*.bat"),
        QStringLiteral("/"));
    // A cancelled dialog gives no file, which is how a launch program is taken off.
    store(core::alarm(alarm).launchKey, file);
    controls_.setText(numbered("txt_launch", alarm), file);
    platform_.dialogs.beep();
}

void SettingsLogic::messageChanged(int alarm) {
    if (loading_) {
        return;
    }
    store(core::alarm(alarm).messageKey, controls_.text(numbered("txt_message", alarm)));
}

}  // namespace horalia::settings_dialog

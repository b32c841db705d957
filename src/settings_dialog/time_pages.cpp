// The announcement interval, the time format and the quiet hours.
#include "src/core/conversions.h"

#include "src/core/settings_keys.h"
#include "src/core/time_texts.h"
#include "src/platform/failure_report.h"
#include "src/settings_dialog/settings_logic.h"

namespace horalia::settings_dialog {

namespace keys = core::keys;

namespace {

bool inRange(const QString& text, double low, double high) {
    const std::optional<double> value = core::toDouble(text);
    return value && *value >= low && *value <= high;
}

}  // namespace

void SettingsLogic::intervalChanged() {
    if (loading_) {
        return;
    }
    // The user may still be typing: let the box settle for a second. Keys typed meanwhile run this handler
    // again inside the wait, and each run reads the box when its own wait is over.
    platform_.pause.pause(1);
    const QString text = controls_.text(QStringLiteral("Combo2"));
    if (text.isEmpty()) {
        return;
    }
    if (!inRange(text, 0, 60)) {
        say(QStringLiteral("Hey, you entered an invalid number, please choose one between zero and 60"),
            QStringLiteral("genie"));
        return;
    }
    store(keys::kAnnounce, text);
    say(QStringLiteral("I will announce the time, every ") + text + QStringLiteral(" minutes!"),
        QStringLiteral("genie"));
}

void SettingsLogic::intervalFocused() {
    say(QStringLiteral("You can enter any number between 1 and 60 in this box"), QStringLiteral("peedy"));
}

void SettingsLogic::setFormat() {
    const QString choice = controls_.text(QStringLiteral("com_format"));
    if (choice == u"24 Hour") {
        platform::reported(
            platform_.settings.write(keys::kFormatSection, keys::kFormat, QStringLiteral("0")));
    } else if (choice == u"12 Hour am/pm") {
        platform::reported(
            platform_.settings.write(keys::kFormatSection, keys::kFormat, QStringLiteral("1")));
    } else {
        platform_.dialogs.messageBox(QStringLiteral("You didn`t enter a correct format, please try again"),
                                     {}, platform::style::kOk);
        return;
    }
    // What is stored decides, so a store that failed leaves the clock showing what it showed.
    const QString stored = platform_.settings.read(keys::kFormatSection, keys::kFormat, QStringLiteral("1"));
    if (core::ClockView* view = context_.clock.view) {
        view->setTimeFormat(core::is24HourFormat(stored));
        view->setTimeText(core::displayText(platform_.clock.now().time(), stored));
    }
    platform_.dialogs.beep();
}

void SettingsLogic::setQuiet() {
    QString from = controls_.text(QStringLiteral("txt_quiet1"));
    QString to = controls_.text(QStringLiteral("txt_quiet2"));
    // The leading zero goes into the box before the check, and stays there whatever the check says.
    if (from.size() == 1) {
        from.prepend(u'0');
        controls_.setText(QStringLiteral("txt_quiet1"), from);
    }
    if (to.size() == 1) {
        to.prepend(u'0');
        controls_.setText(QStringLiteral("txt_quiet2"), to);
    }
    if (!inRange(from, 0, 23) || !inRange(to, 0, 23)) {
        say(QStringLiteral("Hey, you did not enter a vaild hour from and to, please try again"),
            QStringLiteral("peedy"));
        return;
    }
    store(keys::kQuietTime, from + to);
    platform_.dialogs.beep();
    say(QStringLiteral("\\chr=\"Whisper\"\\We will whisper between ") + from + QStringLiteral(" and ") + to +
            QStringLiteral(" hours"),
        QStringLiteral("peedy"));
}

}  // namespace horalia::settings_dialog

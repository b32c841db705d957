// Loading the dialog, the simple and advanced modes and the blinking mode label.
#include "src/settings_dialog/settings_logic.h"

#include "src/core/settings_keys.h"
#include "src/platform/failure_report.h"
#include "src/platform/paths.h"

namespace horalia::settings_dialog {

namespace keys = core::keys;

namespace {

// The controls that simple mode keeps out of sight.
const char* const kAdvancedOnly[] = {
    "Label32", "chk_effects1", "Label33", "chk_effects2", "txt_startupmessage", "Label22", "com_clear1"};

}  // namespace

SettingsLogic::SettingsLogic(DialogContext context, Controls& controls)
    : context_(std::move(context)), platform_(context_.platform), controls_(controls) {}

SettingsLogic::~SettingsLogic() = default;

void SettingsLogic::say(const QString& talk, const QString& who) {
    if (context_.clock.say) {
        context_.clock.say(talk, who);
    }
}

void SettingsLogic::store(const QString& key, const QString& value) {
    platform::reported(platform_.settings.write(keys::kData, key, value));
}

void SettingsLogic::setCheckedFromKey(const QString& box, const QString& key, const QString& defaultValue) {
    controls_.setChecked(box, platform_.settings.read(keys::kData, key, defaultValue) == keys::kTrue);
}

void SettingsLogic::splitInto(const QString& value, const QString& first, const QString& second) {
    // A value shorter than four characters gives shorter or empty boxes.
    controls_.setText(first, value.left(2));
    controls_.setText(second, value.mid(2, 2));
}

void SettingsLogic::load() {
    auto& settings = platform_.settings;
    mode_ = settings.read(keys::kData, keys::kMode, QStringLiteral("simple"));
    if (mode_ == u"simple") {
        controls_.setPageEnabled(core::page::kAlarm2, false);
        for (const char* name : kAdvancedOnly) {
            controls_.setShown(QString::fromLatin1(name), false);
        }
        controls_.setText(QStringLiteral("lab_mode"), kSimpleModeCaption);
    } else if (mode_ == u"advanced") {
        controls_.setText(QStringLiteral("lab_mode"), kAdvancedModeCaption);
    }

    loading_ = true;
    for (const core::Alarm& alarm : core::alarms()) {
        const QString n = QString::number(alarm.number);
        setCheckedFromKey(QStringLiteral("chk_repeat") + n, alarm.repeatKey);
        splitInto(settings.read(keys::kData, alarm.timeKey, keys::kNoAlarm), QStringLiteral("txt_hour") + n,
                  QStringLiteral("txt_min") + n);
        controls_.setText(QStringLiteral("txt_launch") + n, settings.read(keys::kData, alarm.launchKey));
        controls_.setText(QStringLiteral("txt_message") + n, settings.read(keys::kData, alarm.messageKey));
    }
    controls_.setText(QStringLiteral("txt_character1"), settings.read(keys::kData, keys::kLastCharacter));
    controls_.setText(QStringLiteral("txt_character2"), settings.read(keys::kData, keys::kLastCharacter2));
    setCheckedFromKey(QStringLiteral("chk_hide1"), keys::kCharHide);
    setCheckedFromKey(QStringLiteral("chk_hide2"), keys::kCharHide2);
    // The colours in use on the clock, which may differ from the stored ones.
    if (context_.clock.timeForeColour) {
        controls_.setBackground(QStringLiteral("txt_forecolour"), context_.clock.timeForeColour());
    }
    if (context_.clock.timeBackColour) {
        controls_.setBackground(QStringLiteral("txt_backcolour"), context_.clock.timeBackColour());
    }
    setCheckedFromKey(QStringLiteral("chk_LWW"), keys::kLoadWithWindows);
    const QString character1 = settings.read(keys::kData, keys::kLastCharacter);
    controls_.setText(QStringLiteral("Combo1"), character1);
    controls_.setItems(QStringLiteral("Combo1"),
                       {settings.read(keys::kData, keys::kLastCharacter2), character1});
    controls_.setText(QStringLiteral("Combo2"), settings.read(keys::kData, keys::kAnnounce));
    controls_.setItems(QStringLiteral("Combo2"),
                       {QStringLiteral("5"), QStringLiteral("10"), QStringLiteral("15"), QStringLiteral("20"),
                        QStringLiteral("30"), QStringLiteral("60")});
    controls_.setText(
        QStringLiteral("txt_startupmessage"),
        settings.read(keys::kData, keys::kStartupMessage, QStringLiteral("Welcome To Horalia Deluxe")));
    controls_.setText(QStringLiteral("txt_username"),
                      settings.read(keys::kData, keys::kUserName, QStringLiteral("Nobody")));
    splitInto(settings.read(keys::kData, keys::kQuietTime, keys::kNoQuietHours), QStringLiteral("txt_quiet1"),
              QStringLiteral("txt_quiet2"));
    const bool twentyFour = settings.read(keys::kFormatSection, keys::kFormat, QStringLiteral("0")) == u"0";
    controls_.setText(QStringLiteral("com_format"),
                      twentyFour ? QStringLiteral("24 Hour") : QStringLiteral("12 Hour am/pm"));
    controls_.setItems(QStringLiteral("com_format"),
                       {QStringLiteral("24 Hour"), QStringLiteral("12 Hour am/pm")});
    setCheckedFromKey(QStringLiteral("chk_effects1"), keys::kEffects1, keys::kTrue);
    setCheckedFromKey(QStringLiteral("chk_effects2"), keys::kEffects2, keys::kTrue);
    loading_ = false;

    // Timer1 runs from load to unload.
    showModeLabelColour();
    timer1_ = platform_.clock.createTimer();
    timer1_->start(kBlinkMs, [this] { blink(); });

    say(QStringLiteral("Main Options, you are in ") + mode_ + QStringLiteral(" mode!"),
        QStringLiteral("genie"));
}

void SettingsLogic::blink() {
    if (modeLabelColour_ == kRed) {
        modeLabelColour_ = kMenuColour;
    } else if (modeLabelColour_ == kMenuColour) {
        modeLabelColour_ = kRed;
    }
    showModeLabelColour();
    timer1_->start(kBlinkMs, [this] { blink(); });
}

void SettingsLogic::showModeLabelColour() {
    // The menu colour of light desktop themes would hide the label's white text: a dark blue stands in.
    const QColor colour = modeLabelColour_ == kRed ? QColor(255, 0, 0) : QColor(0, 0, 128);
    controls_.setBackground(QStringLiteral("lab_mode"), colour);
}

void SettingsLogic::modeLabelClicked() {
    if (mode_ == u"simple") {
        mode_ = QStringLiteral("advanced");
    } else if (mode_ == u"advanced") {
        mode_ = QStringLiteral("simple");
    } else {
        return;
    }
    store(keys::kMode, mode_);
    restartClock();
}

void SettingsLogic::restartClock() {
    // A missing companion changes nothing: the clock still ends.
    platform::reported(platform_.shell.start(platform::programFile(QStringLiteral("reboot")),
                                             context_.clock.restartArguments,
                                             platform::WindowStyle::NormalFocus));
    if (context_.clock.unloadClock) {
        context_.clock.unloadClock();
    }
}

}  // namespace horalia::settings_dialog

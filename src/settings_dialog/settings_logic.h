// Everything the settings dialog does, without widgets: filling the controls from the stored settings, and
// each control's handler, which stores its option at once. frm_settings builds the widgets and calls these;
// the handlers are spread over one source file per page group.
#pragma once

#include <QColor>
#include <memory>

#include "src/core/alarms.h"
#include "src/core/who.h"
#include "src/settings_dialog/clock_link.h"
#include "src/settings_dialog/controls.h"

namespace horalia::settings_dialog {

inline const QString kSimpleModeCaption =
    QStringLiteral("YOU ARE IN SIMPLE MODE, CLICK HERE ----> CLICK <---- TO CHANGE");
inline const QString kAdvancedModeCaption =
    QStringLiteral("YOU ARE IN ADVANCED MODE, CLICK HERE ----> CLICK <---- TO CHANGE");
// The mode label's two background colours as colour numbers: the system's menu colour and pure red.
constexpr qint32 kMenuColour = static_cast<qint32>(0x80000004u);
constexpr qint32 kRed = 255;
constexpr int kBlinkMs = 500;

class SettingsLogic {
public:
    SettingsLogic(DialogContext context, Controls& controls);
    ~SettingsLogic();

    // Fills every control from the settings and starts Timer1. Called once, before the dialog is shown.
    void load();
    bool loading() const { return loading_; }
    // The mode label's background as a colour number (kMenuColour or kRed while it blinks).
    qint32 modeLabelColour() const { return modeLabelColour_; }

    // Alarm pages; alarm is 1 or 2.
    void setAlarm(int alarm);
    void clearAlarm(int alarm);
    void repeatClicked(int alarm);
    void changeLaunch(int alarm);
    void messageChanged(int alarm);

    // Announcement interval, time format and quiet hours.
    void intervalChanged();
    void intervalFocused();
    void setFormat();
    void setQuiet();

    // Characters, colours, type and speak, misc; character is 1 or 2.
    void effectsClicked(core::Who who);
    void hideClicked(core::Who who);
    void changeCharacter(core::Who who);
    void changeColour(bool text);
    void speak();
    void startWithLoginClicked();
    void startupMessageChanged();
    void userNameChanged();
    void modeLabelClicked();

private:
    void say(const QString& talk, const QString& who);
    void store(const QString& key, const QString& value);
    void setCheckedFromKey(const QString& box, const QString& key, const QString& defaultValue = {});
    void splitInto(const QString& value, const QString& first, const QString& second);
    void blink();
    void showModeLabelColour();
    void restartClock();

    DialogContext context_;
    platform::Platform& platform_;
    Controls& controls_;
    QString mode_;
    bool loading_ = false;
    qint32 modeLabelColour_ = kMenuColour;
    std::unique_ptr<platform::Timer> timer1_;
};

}  // namespace horalia::settings_dialog

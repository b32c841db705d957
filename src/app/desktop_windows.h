// The application's other windows on the desktop: the settings dialog and the about box.
#pragma once

#include <functional>
#include <memory>

#include "src/clock_window/app_windows.h"
#include "src/settings_dialog/frm_settings.h"
#include "src/wiring/about_windows.h"

namespace horalia::app {

class DesktopWindows : public clock_window::AppWindows {
public:
    DesktopWindows(platform::Shell& shell, platform::Dialogs& dialogs);
    ~DesktopWindows() override;

    void showSettings(int pageIndex, bool focusHour1) override;
    void hideSettings() override;
    void closeSettings() override;
    void showAbout() override;
    void sisterapplink(const QString& address) override;

    // How the settings dialog is made: it needs the clock window, which is built after these windows.
    void setSettingsFactory(std::function<std::unique_ptr<settings_dialog::frm_settings>()> factory) {
        settingsFactory_ = std::move(factory);
    }
    wiring::AboutWindows& about() { return about_; }
    settings_dialog::frm_settings* settings() const { return settings_.get(); }

private:
    std::function<std::unique_ptr<settings_dialog::frm_settings>()> settingsFactory_;
    std::unique_ptr<settings_dialog::frm_settings> settings_;
    // The dialog closed last, kept until a handler of its own that closed it has returned.
    std::unique_ptr<settings_dialog::frm_settings> closed_;
    wiring::AboutWindows about_;
};

}  // namespace horalia::app

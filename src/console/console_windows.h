// The application's other windows in the console mode: each request printed as a line.
#pragma once

#include "agent/console/console_sink.h"
#include "src/clock_window/app_windows.h"
#include "src/console/console_about_view.h"
#include "src/console/console_settings.h"
#include "src/wiring/about_windows.h"

namespace horalia::console {

class ConsoleWindows : public clock_window::AppWindows {
public:
    ConsoleWindows(agent::console::Sink& sink, platform::Shell& shell, platform::Dialogs& dialogs);
    void showSettings(int pageIndex, bool focusHour1) override;
    void hideSettings() override;
    void closeSettings() override;
    void showAbout() override;
    void sisterapplink(const QString& address) override;

    wiring::AboutWindows& about() { return about_; }
    // How the settings dialog is made when it is first shown.
    void setSettingsFactory(std::function<std::unique_ptr<ConsoleSettings>()> factory) {
        settingsFactory_ = std::move(factory);
    }
    // The settings dialog while it is loaded.
    ConsoleSettings* settings() const { return settings_.get(); }
    // The about box's window, once it was loaded; its links can be clicked from the console script.
    ConsoleAboutView* aboutView() const { return aboutView_; }

private:
    agent::console::Sink& sink_;
    std::function<std::unique_ptr<ConsoleSettings>()> settingsFactory_;
    std::unique_ptr<ConsoleSettings> settings_;
    // A dialog closed by one of its own handlers lives until that handler has returned.
    std::unique_ptr<ConsoleSettings> closed_;
    ConsoleAboutView* aboutView_ = nullptr;
    wiring::AboutWindows about_;
};

}  // namespace horalia::console

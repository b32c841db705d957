// The application's other windows in the console mode: each request printed as a line.
#pragma once

#include "agent/console/console_sink.h"
#include "src/clock_window/app_windows.h"

namespace horalia::app {

class ConsoleWindows : public clock_window::AppWindows {
public:
    explicit ConsoleWindows(agent::console::Sink& sink) : sink_(sink) {}
    void showSettings(int pageIndex, bool focusHour1) override;
    void hideSettings() override;
    void closeSettings() override;
    void showAbout() override;
    void sisterapplink(const QString& address) override;

private:
    agent::console::Sink& sink_;
};

}  // namespace horalia::app

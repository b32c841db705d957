// The tray icon in console mode: each request to the desktop is printed as a line ("Tray Add \"tip\""), and
// the console driver plays the user: clicks on the icon and choices from the open menu.
#pragma once

#include <optional>

#include "agent/console/console_sink.h"
#include "src/tray/tray_backend.h"

namespace horalia::console {

class ConsoleTrayBackend : public tray::TrayBackend {
public:
    explicit ConsoleTrayBackend(agent::console::Sink& sink) : sink_(sink) {}

    void notifyIcon(tray::NotifyMessage message, const tray::NotifyIconData& data) override;
    void showMenu(const tray::TrayMenu& menu) override;

    // A mouse message on the icon (wm::kLButtonDown, ...); nothing happens while there is no icon.
    void mouseMessage(quint32 message);
    // A whole click, as the desktop reports it: down, then up. button is 1 (left) or 2 (right).
    void click(int button);
    // Chooses the item of the open menu with this key (the first visible, enabled one). False, and nothing
    // happens, when no menu is open or no such item is in it. The menu closes either way.
    bool chooseMenuItem(const QString& key);

    bool menuOpen() const { return openMenu_.has_value(); }

private:
    agent::console::Sink& sink_;
    bool shown_ = false;
    std::optional<tray::TrayMenu> openMenu_;
};

}  // namespace horalia::console

// What the tray component needs from a desktop: show, change and remove the icon described by its record,
// pop up its menu; and what the desktop reports back: mouse messages on the icon and the chosen menu item.
#pragma once

#include <QList>
#include <QString>

#include "src/tray/notify_icon_data.h"

namespace horalia::tray {

struct TrayMenuItem {
    int index = 0;  // the item's place in the component's menu, reported back when it is chosen
    QString caption;
    QString key;
    bool visible = true;
    bool enabled = true;
    bool separator = false;  // a caption of "-" draws a line
};

struct TrayMenu {
    QList<TrayMenuItem> items;
    int defaultIndex = -1;  // the bold item; -1 when it names no item
};

// The side of the component that a backend reports to.
class TrayBackendClient {
public:
    virtual ~TrayBackendClient() = default;
    virtual void trayMouseMessage(quint32 message) = 0;
    virtual void trayMenuChosen(int index) = 0;
};

class TrayBackend {
public:
    virtual ~TrayBackend() = default;
    // The record is the whole notification record; what a modify changes is in its uFlags. A request the
    // desktop cannot carry out is the backend's to report; the clock carries on without its icon.
    virtual void notifyIcon(NotifyMessage message, const NotifyIconData& data) = 0;
    // Pops the menu up at the pointer; a choice comes back through the client, possibly later.
    virtual void showMenu(const TrayMenu& menu) = 0;
    // The menu as it is now, after every change. A desktop that shows the menu itself (a StatusNotifierItem
    // host reads it over D-Bus) needs it before any click; the others wait for showMenu.
    virtual void menuChanged(const TrayMenu& /*menu*/) {}

    // One component at a time listens to a backend.
    void attach(TrayBackendClient* client) { client_ = client; }
    TrayBackendClient* client() const { return client_; }

protected:
    void reportMouseMessage(quint32 message) {
        if (client_ != nullptr) {
            client_->trayMouseMessage(message);
        }
    }
    void reportMenuChoice(int index) {
        if (client_ != nullptr) {
            client_->trayMenuChosen(index);
        }
    }

private:
    TrayBackendClient* client_ = nullptr;
};

}  // namespace horalia::tray

// The tray icon on the desktop through QSystemTrayIcon (a StatusNotifierItem or an XEmbed icon), with its
// menu as a QMenu at the pointer. Qt's activation reasons become the mouse messages the component decodes.
#pragma once

#include <QHash>
#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>

#include "src/tray/tray_backend.h"

namespace horalia::tray {

class QtTrayBackend : public TrayBackend {
public:
    // warn receives the one line said when the desktop has no tray; by default it goes to standard error.
    explicit QtTrayBackend(std::function<void(const QString&)> warn = {});
    ~QtTrayBackend() override;
    QtTrayBackend(const QtTrayBackend&) = delete;
    QtTrayBackend& operator=(const QtTrayBackend&) = delete;

    // Icons are named by handles; 0 is the application's own window icon. Handles start at 1.
    quintptr registerIcon(const QIcon& icon);

    void notifyIcon(NotifyMessage message, const NotifyIconData& data) override;
    void showMenu(const TrayMenu& menu) override;
    // On a StatusNotifierItem host the menu is handed to Qt, which exports it over D-Bus for the host to
    // show; under an XEmbed tray Qt would pop it up itself beside ours, so it is kept back there.
    void menuChanged(const TrayMenu& menu) override;

    // The icon while it is added, and the menu last popped up; null otherwise.
    QSystemTrayIcon* trayIcon() const { return icon_; }
    QMenu* popupMenu() const { return menu_; }
    // The menu handed to a StatusNotifierItem host; null under other trays.
    QMenu* exportedMenu() const { return exported_; }

    // What Qt's activation reasons mean as mouse messages on the icon, in the order the desktop sends them.
    static QList<quint32> mouseMessagesFor(QSystemTrayIcon::ActivationReason reason);

private:
    QIcon iconFor(quintptr handle) const;
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    QMenu* buildMenu(const TrayMenu& menu);
    void exportMenu();

    std::function<void(const QString&)> warn_;
    bool warned_ = false;
    QHash<quintptr, QIcon> icons_;
    quintptr nextHandle_ = 1;
    QPointer<QSystemTrayIcon> icon_;
    QPointer<QMenu> menu_;
    bool hostShowsMenu_ = false;
    TrayMenu lastMenu_;
    QPointer<QMenu> exported_;
};

}  // namespace horalia::tray

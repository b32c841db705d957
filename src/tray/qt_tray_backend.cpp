#include "src/tray/qt_tray_backend.h"

#include <QAction>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <cstdio>

namespace horalia::tray {

namespace {

void toStandardError(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

// An icon to show when the application has none: a plain clock face.
QIcon fallbackIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(2, 2, 28, 28));
    painter.drawLine(QPointF(16, 16), QPointF(16, 7));
    painter.drawLine(QPointF(16, 16), QPointF(23, 16));
    painter.end();
    return QIcon(pixmap);
}

// Qt itself takes the registered watcher as the sign of a StatusNotifierItem tray, and so do we.
bool statusNotifierHostRunning() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() != nullptr &&
           bus.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher")).value();
}

}  // namespace

QtTrayBackend::QtTrayBackend(std::function<void(const QString&)> warn)
    : warn_(warn ? std::move(warn) : std::function<void(const QString&)>(toStandardError)) {}

QtTrayBackend::~QtTrayBackend() {
    delete icon_.data();
    delete menu_.data();
    delete exported_.data();
}

quintptr QtTrayBackend::registerIcon(const QIcon& icon) {
    const quintptr handle = nextHandle_++;
    icons_.insert(handle, icon);
    return handle;
}

QIcon QtTrayBackend::iconFor(quintptr handle) const {
    if (const auto found = icons_.constFind(handle); found != icons_.constEnd() && !found->isNull()) {
        return *found;
    }
    const QIcon own = QGuiApplication::windowIcon();
    return own.isNull() ? fallbackIcon() : own;
}

QList<quint32> QtTrayBackend::mouseMessagesFor(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            return {wm::kLButtonDown, wm::kLButtonUp};
        case QSystemTrayIcon::Context:
            return {wm::kRButtonDown, wm::kRButtonUp};
        case QSystemTrayIcon::DoubleClick:
            // Qt has already reported the first click as a Trigger; the desktop ends a double-click with an
            // up.
            return {wm::kLButtonDblClk, wm::kLButtonUp};
        case QSystemTrayIcon::MiddleClick:
            return {wm::kMButtonDown, wm::kMButtonUp};
        case QSystemTrayIcon::Unknown:
            break;
    }
    return {};
}

void QtTrayBackend::onActivated(QSystemTrayIcon::ActivationReason reason) {
    for (quint32 message : mouseMessagesFor(reason)) {
        reportMouseMessage(message);
    }
}

void QtTrayBackend::notifyIcon(NotifyMessage message, const NotifyIconData& data) {
    switch (message) {
        case NotifyMessage::Add: {
            if (!QSystemTrayIcon::isSystemTrayAvailable() && !warned_) {
                warned_ = true;
                warn_(
                    QStringLiteral("horalia: the desktop has no system tray; the clock runs on without its "
                                   "tray icon"));
            }
            if (icon_ == nullptr) {
                icon_ = new QSystemTrayIcon;
                QObject::connect(icon_.data(), &QSystemTrayIcon::activated, icon_.data(),
                                 [this](QSystemTrayIcon::ActivationReason reason) { onActivated(reason); });
            }
            hostShowsMenu_ = statusNotifierHostRunning();
            icon_->setIcon(iconFor(data.hIcon));
            icon_->setToolTip(data.tipText());
            exportMenu();
            icon_->show();
            return;
        }
        case NotifyMessage::Modify:
            if (icon_ == nullptr) {
                return;
            }
            if ((data.uFlags & nif::kTip) != 0) {
                icon_->setToolTip(data.tipText());
            }
            if ((data.uFlags & nif::kIcon) != 0) {
                icon_->setIcon(iconFor(data.hIcon));
            }
            return;
        case NotifyMessage::Delete:
            if (icon_ == nullptr) {
                return;
            }
            // The request may come from inside the icon's own signal: let Qt delete it afterwards.
            icon_->hide();
            icon_->deleteLater();
            icon_ = nullptr;
            return;
    }
}

QMenu* QtTrayBackend::buildMenu(const TrayMenu& menu) {
    auto* built = new QMenu;
    built->setAttribute(Qt::WA_DeleteOnClose, false);
    for (const TrayMenuItem& item : menu.items) {
        if (!item.visible) {
            continue;
        }
        QAction* action = item.separator ? built->addSeparator() : built->addAction(item.caption);
        action->setEnabled(item.enabled);
        if (item.separator) {
            continue;
        }
        const int index = item.index;
        QObject::connect(action, &QAction::triggered, built, [this, index] { reportMenuChoice(index); });
        if (item.index == menu.defaultIndex) {
            built->setDefaultAction(action);
        }
    }
    return built;
}

void QtTrayBackend::showMenu(const TrayMenu& menu) {
    // The previous menu may be the one whose choice led here: it goes once its signal is done.
    if (menu_ != nullptr) {
        menu_->deleteLater();
    }
    menu_ = buildMenu(menu);
    menu_->popup(QCursor::pos());
}

void QtTrayBackend::menuChanged(const TrayMenu& menu) {
    lastMenu_ = menu;
    exportMenu();
}

void QtTrayBackend::exportMenu() {
    if (icon_ == nullptr || !hostShowsMenu_) {
        return;
    }
    // A choice from the old menu may be what changed it: the old one goes once its signal is done.
    QPointer<QMenu> old = exported_;
    exported_ = buildMenu(lastMenu_);
    icon_->setContextMenu(exported_);
    if (old != nullptr) {
        old->deleteLater();
    }
}

}  // namespace horalia::tray

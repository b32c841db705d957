#include "agent/render/desktop_motion.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace agent::render {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString kAppearance = QStringLiteral("org.freedesktop.appearance");
const QString kReducedMotion = QStringLiteral("reduced-motion");
const QString kGnomeInterface = QStringLiteral("org.gnome.desktop.interface");
const QString kEnableAnimations = QStringLiteral("enable-animations");

// The portal wraps values in variants, the older Read in two.
QVariant unwrapped(QVariant value) {
    for (int depth = 0; depth < 4 && value.metaType() == QMetaType::fromType<QDBusVariant>(); ++depth) {
        value = qvariant_cast<QDBusVariant>(value).variant();
    }
    return value;
}

}  // namespace

std::optional<bool> reducedMotionSetting(const QString& group, const QString& key, const QVariant& value) {
    const QVariant v = unwrapped(value);
    if (group == kAppearance && key == kReducedMotion && v.metaType() == QMetaType::fromType<uint>()) {
        // 1 asks for less motion; 0 and values not known yet are no preference.
        return v.toUInt() == 1;
    }
    if (group == kGnomeInterface && key == kEnableAnimations && v.metaType() == QMetaType::fromType<bool>()) {
        return !v.toBool();
    }
    return std::nullopt;
}

DesktopMotion::DesktopMotion(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    bus.connect(kService, kPath, kInterface, QStringLiteral("SettingChanged"), this,
                SLOT(settingChanged(QString, QString, QDBusVariant)));
    ask(kAppearance, kReducedMotion, QStringLiteral("ReadOne"));
    ask(kGnomeInterface, kEnableAnimations, QStringLiteral("ReadOne"));
}

void DesktopMotion::ask(const QString& group, const QString& key, const QString& method) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call << group << key;
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, group, key, method] {
        watcher->deleteLater();
        const QDBusMessage reply = watcher->reply();
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
            take(group, key, reply.arguments().constFirst());
        } else if (method == u"ReadOne" && reply.errorName() == u"org.freedesktop.DBus.Error.UnknownMethod") {
            // A portal older than ReadOne (version 2) has Read.
            ask(group, key, QStringLiteral("Read"));
        }
        // Anything else (no portal, a key it does not have): the desktop asks for nothing.
    });
}

void DesktopMotion::settingChanged(const QString& group, const QString& key, const QDBusVariant& value) {
    take(group, key, value.variant());
}

void DesktopMotion::take(const QString& group, const QString& key, const QVariant& value) {
    const std::optional<bool> reduced = reducedMotionSetting(group, key, value);
    if (!reduced) {
        return;
    }
    const bool before = this->reduced();
    (group == kAppearance ? portalReduced_ : animationsOff_) = *reduced;
    if (this->reduced() != before) {
        emit changed();
    }
}

}  // namespace agent::render

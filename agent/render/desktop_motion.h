// Whether the desktop asks programs for less movement on the screen, for people whom it troubles: the
// freedesktop settings portal's "reduced-motion" appearance key, or GNOME's animations turned off (which its
// portal passes on as well). The answer is asked for once without waiting for it, and followed as the user
// changes it. Without a session bus or a portal the desktop asks for nothing, and nothing is said about it.
#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <optional>

class QDBusVariant;

namespace agent::render {

// What one portal setting says about motion: true when it asks for less, false when it allows it, nothing
// when the setting is not about motion (or its value is not one the portal documents).
std::optional<bool> reducedMotionSetting(const QString& group, const QString& key, const QVariant& value);

class DesktopMotion : public QObject {
    Q_OBJECT
public:
    // Asks the session bus's portal.
    explicit DesktopMotion(QObject* parent = nullptr);

    // Either setting asks for less motion.
    bool reduced() const { return portalReduced_ || animationsOff_; }

    // A setting's value, as the portal reports it.
    void take(const QString& group, const QString& key, const QVariant& value);

signals:
    void changed();

private slots:
    void settingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    void ask(const QString& group, const QString& key, const QString& method);

    bool portalReduced_ = false;
    bool animationsOff_ = false;
};

}  // namespace agent::render

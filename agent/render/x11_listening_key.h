// The listening key on an X display: grabbed on every root window with any modifiers, so it reaches this
// program whichever window has the focus; its events are taken out of Qt's stream before any widget sees
// them.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QList>

#include "agent/render/key_repeat_filter.h"
#include "agent/render/listening_key.h"

struct xcb_connection_t;

namespace agent::render {

class X11ListeningKey final : public ListeningKey, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    X11ListeningKey();
    ~X11ListeningKey() override;

    Status grab(const QString& keyName) override;
    void ungrab() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void emitChanges(const QList<KeyChange>& changes);
    void settleLater();

    xcb_connection_t* connection_ = nullptr;
    QList<quint32> roots_;
    QList<quint8> keycodes_;  // every key of the keyboard that gives the key symbol
    KeyRepeatFilter filter_;
    bool settlePosted_ = false;
    bool filterInstalled_ = false;
};

}  // namespace agent::render

#include "agent/render/x11_listening_key.h"

#include <QtGui/qguiapplication_platform.h>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>

#include <xcb/xcb.h>

#include <cstdlib>

#include "agent/render/listening_key_names.h"

namespace agent::render {

namespace {

// Finds every keycode that gives `keysym` in any of its columns (plain, shifted, other groups).
QList<quint8> keycodesFor(xcb_connection_t* connection, quint32 keysym) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const int first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, quint8(count)), nullptr);
    QList<quint8> codes;
    if (reply == nullptr) {
        return codes;
    }
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
    const int perCode = reply->keysyms_per_keycode;
    const int total = xcb_get_keyboard_mapping_keysyms_length(reply);
    for (int i = 0; i < count && (i + 1) * perCode <= total; ++i) {
        for (int column = 0; column < perCode; ++column) {
            if (syms[i * perCode + column] == keysym) {
                codes.append(quint8(first + i));
                break;
            }
        }
    }
    std::free(reply);
    return codes;
}

}  // namespace

X11ListeningKey::X11ListeningKey() = default;

X11ListeningKey::~X11ListeningKey() {
    ungrab();
    if (filterInstalled_ && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

Status X11ListeningKey::grab(const QString& keyName) {
    ungrab();
    const ListeningKeyName* key = findListeningKey(keyName);
    if (key == nullptr) {
        return fail(QStringLiteral("\"%1\" is not a key that can be used for listening").arg(keyName));
    }
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (QGuiApplication::platformName() != QLatin1String("xcb") || x11 == nullptr) {
        return fail(QStringLiteral("the %1 key can only be used on an X display (this desktop is \"%2\"); "
                                   "choose Listen from a character's menu instead")
                        .arg(key->caption, QGuiApplication::platformName()));
    }
    connection_ = x11->connection();
    const QList<quint8> codes = keycodesFor(connection_, key->keysym);
    if (codes.isEmpty()) {
        return fail(QStringLiteral("the keyboard has no %1 key").arg(key->caption));
    }
    QList<quint32> roots;
    for (xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_)); it.rem;
         xcb_screen_next(&it)) {
        roots.append(it.data->root);
    }
    bool taken = true;
    for (quint32 root : roots) {
        for (quint8 code : codes) {
            xcb_generic_error_t* error = xcb_request_check(
                connection_, xcb_grab_key_checked(connection_, 1, root, XCB_MOD_MASK_ANY, code,
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
            if (error != nullptr) {
                taken = false;
                std::free(error);
            }
        }
    }
    roots_ = roots;
    keycodes_ = codes;
    if (!taken) {
        ungrab();
        return fail(QStringLiteral("another program already uses the %1 key").arg(key->caption));
    }
    if (!filterInstalled_) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        filterInstalled_ = true;
    }
    return {};
}

void X11ListeningKey::ungrab() {
    if (connection_ != nullptr && !keycodes_.isEmpty()) {
        for (quint32 root : std::as_const(roots_)) {
            for (quint8 code : std::as_const(keycodes_)) {
                xcb_ungrab_key(connection_, code, root, XCB_MOD_MASK_ANY);
            }
        }
        xcb_flush(connection_);
    }
    keycodes_.clear();
    roots_.clear();
    // A key held while it is given back is let go: whoever listens must not wait for its release.
    const bool wasDown = filter_.isDown();
    filter_.reset();
    if (wasDown) {
        emit released();
    }
}

bool X11ListeningKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (keycodes_.isEmpty() || eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const int type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE) {
        return false;
    }
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);
    if (!keycodes_.contains(key->detail)) {
        return false;
    }
    if (type == XCB_KEY_PRESS) {
        emitChanges(filter_.press(key->time));
    } else {
        filter_.release(key->time);
        settleLater();
    }
    return true;
}

void X11ListeningKey::settleLater() {
    if (settlePosted_) {
        return;
    }
    settlePosted_ = true;
    // X sends both halves of a repeat together; once the events read with this one are handled, a release
    // that no press followed is real.
    QMetaObject::invokeMethod(
        this,
        [this] {
            settlePosted_ = false;
            emitChanges(filter_.settle());
        },
        Qt::QueuedConnection);
}

void X11ListeningKey::emitChanges(const QList<KeyChange>& changes) {
    for (KeyChange change : changes) {
        if (change == KeyChange::Pressed) {
            emit pressed();
        } else {
            emit released();
        }
    }
}

}  // namespace agent::render

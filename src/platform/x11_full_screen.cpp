#include "src/platform/x11_full_screen.h"

#include <QtGui/qguiapplication_platform.h>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QList>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace horalia::platform {

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

xcb_connection_t* connection() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr && QGuiApplication::platformName() == QLatin1String("xcb") ? x11->connection()
                                                                                     : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, quint16(qstrlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The 32-bit values of a window's property of that type; empty when it has none.
QList<quint32> values(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
    QList<quint32> out;
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, 64), nullptr));
    if (reply && reply->format == 32 && reply->type == type) {
        const auto* data = static_cast<const quint32*>(xcb_get_property_value(reply.get()));
        out = QList<quint32>(data, data + xcb_get_property_value_length(reply.get()) / 4);
    }
    return out;
}

// Adds property changes to the events this program hears of the window, keeping those it hears already (a
// window of its own has Qt's).
void followProperties(xcb_connection_t* c, xcb_window_t window) {
    const Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    if (!attributes || (attributes->your_event_mask & XCB_EVENT_MASK_PROPERTY_CHANGE) != 0) {
        return;
    }
    const quint32 mask = attributes->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
}

}  // namespace

X11FullScreen::X11FullScreen() {
    xcb_connection_t* c = connection();
    if (c == nullptr) {
        return;
    }
    x11_ = true;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    activeAtom_ = atom(c, "_NET_ACTIVE_WINDOW");
    stateAtom_ = atom(c, "_NET_WM_STATE");
    fullScreenAtom_ = atom(c, "_NET_WM_STATE_FULLSCREEN");
    followProperties(c, root_);
    QCoreApplication::instance()->installNativeEventFilter(this);
    recheck();
}

X11FullScreen::~X11FullScreen() {
    if (x11_ && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool X11FullScreen::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
        const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if ((change->window == root_ && change->atom == activeAtom_) ||
            (change->window == watched_ && change->atom == stateAtom_)) {
            recheck();
        }
    }
    return false;  // Qt handles every event as before
}

void X11FullScreen::recheck() {
    const bool now = fullScreenNow();
    if (now != active_) {
        active_ = now;
        changed();
    }
}

bool X11FullScreen::fullScreenNow() {
    xcb_connection_t* c = connection();
    if (c == nullptr || activeAtom_ == XCB_ATOM_NONE) {
        return false;
    }
    const QList<quint32> active = values(c, root_, activeAtom_, XCB_ATOM_WINDOW);
    const xcb_window_t window = active.isEmpty() ? xcb_window_t(XCB_WINDOW_NONE) : active.first();
    if (window != watched_) {
        watched_ = window;
        if (window != XCB_WINDOW_NONE) {
            followProperties(c, window);
        }
    }
    if (window == XCB_WINDOW_NONE ||
        !values(c, window, stateAtom_, XCB_ATOM_ATOM).contains(fullScreenAtom_)) {
        return false;
    }
    const QRect clock = clockArea_ ? clockArea_() : QRect();
    if (clock.isEmpty()) {
        return true;
    }
    const Reply<xcb_get_geometry_reply_t> size(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    const Reply<xcb_translate_coordinates_reply_t> at(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, root_, 0, 0), nullptr));
    if (!size || !at) {
        return false;  // gone meanwhile
    }
    return QRect(at->dst_x, at->dst_y, size->width, size->height).contains(clock.center());
}

}  // namespace horalia::platform

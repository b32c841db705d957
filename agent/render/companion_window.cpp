#include "agent/render/companion_window.h"
#include "agent/render/device_pixels.h"

#include <QtGui/qguiapplication_platform.h>
#include <QEvent>
#include <QGuiApplication>
#include <QHash>
#include <QList>

#include <xcb/xcb.h>

#include <cstdlib>

namespace agent::render {

namespace {

xcb_connection_t* x11Connection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return QGuiApplication::platformName() == QLatin1String("xcb") && x11 != nullptr ? x11->connection()
                                                                                     : nullptr;
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    static QHash<QByteArray, xcb_atom_t> known;
    const QByteArray key(name);
    if (auto found = known.constFind(key); found != known.constEnd()) {
        return *found;
    }
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, quint16(key.size()), key.constData()), nullptr);
    const xcb_atom_t value = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    if (value != XCB_ATOM_NONE) {
        known.insert(key, value);
    }
    return value;
}

QList<xcb_atom_t> atomList(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property) {
    QList<xcb_atom_t> atoms;
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_ATOM, 0, 1024), nullptr);
    if (reply != nullptr && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        atoms = QList<xcb_atom_t>(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return atoms;
}

void setAtomList(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                 const QList<xcb_atom_t>& atoms) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, type, 32, quint32(atoms.size()),
                        atoms.constData());
}

class CompanionHints : public QObject {
public:
    explicit CompanionHints(QWidget& window) : QObject(&window), window_(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        // The show event comes before Qt maps the window: the states written now are there when the window
        // manager looks.
        if (watched == &window_ && event->type() == QEvent::Show && !event->spontaneous()) {
            apply();
        }
        return false;
    }

private:
    void apply() {
        xcb_connection_t* c = x11Connection();
        if (c == nullptr) {
            return;
        }
        const auto id = xcb_window_t(window_.winId());
        if (!protocolsDone_) {
            // Qt offers WM_TAKE_FOCUS to every window; with it a window manager would still hand the focus
            // over on a click, input hint or not.
            const xcb_atom_t protocols = atom(c, "WM_PROTOCOLS");
            QList<xcb_atom_t> offered = atomList(c, id, protocols);
            if (offered.removeAll(atom(c, "WM_TAKE_FOCUS")) > 0) {
                setAtomList(c, id, protocols, XCB_ATOM_ATOM, offered);
            }
            protocolsDone_ = true;
        }
        const xcb_atom_t state = atom(c, "_NET_WM_STATE");
        QList<xcb_atom_t> states = atomList(c, id, state);
        for (const char* name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER",
                                 "_KDE_NET_WM_STATE_SKIP_SWITCHER", "_NET_WM_STATE_ABOVE"}) {
            const xcb_atom_t a = atom(c, name);
            if (a != XCB_ATOM_NONE && !states.contains(a)) {
                states.append(a);
            }
        }
        setAtomList(c, id, state, XCB_ATOM_ATOM, states);
    }

    QWidget& window_;
    bool protocolsDone_ = false;
};

}  // namespace

std::optional<QPoint> windowSystemPosition(const QWidget& window) {
    xcb_connection_t* c = x11Connection();
    if (c == nullptr || !window.testAttribute(Qt::WA_WState_Created)) {
        return std::nullopt;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, xcb_window_t(window.internalWinId()), screen->root, 0, 0), nullptr);
    if (reply == nullptr) {
        return std::nullopt;
    }
    const QPoint at(reply->dst_x, reply->dst_y);
    std::free(reply);
    // The X server answers in device pixels; the window's place in Qt is in logical ones.
    return logicalFromDevice(currentScreens(), at);
}

void makeCompanionWindow(QWidget& window) {
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    // Unlike a tool window, an ordinary one would count for quitting when the last window closes.
    window.setAttribute(Qt::WA_QuitOnClose, false);
    window.setFocusPolicy(Qt::NoFocus);
    window.installEventFilter(new CompanionHints(window));
}

}  // namespace agent::render

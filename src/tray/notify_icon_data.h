// The record that describes the notification-area icon to the desktop, kept whole by the tray component and
// handed to its backend on every add, modify and delete, with the message numbers the desktop reports back.
#pragma once

#include <QString>
#include <QtGlobal>
#include <array>

namespace horalia::tray {

// What the backend is asked to do with the icon.
enum class NotifyMessage : quint32 { Add = 0, Modify = 1, Delete = 2 };

// Which fields of the record a call carries.
namespace nif {
constexpr quint32 kMessage = 1;
constexpr quint32 kIcon = 2;
constexpr quint32 kTip = 4;
}  // namespace nif

// Mouse messages on the icon, as the desktop reports them.
namespace wm {
constexpr quint32 kMouseMove = 0x200;
constexpr quint32 kLButtonDown = 0x201;
constexpr quint32 kLButtonUp = 0x202;
constexpr quint32 kLButtonDblClk = 0x203;
constexpr quint32 kRButtonDown = 0x204;
constexpr quint32 kRButtonUp = 0x205;
constexpr quint32 kRButtonDblClk = 0x206;
constexpr quint32 kMButtonDown = 0x207;
constexpr quint32 kMButtonUp = 0x208;
constexpr quint32 kMButtonDblClk = 0x209;
}  // namespace wm

constexpr quint32 kNotifyIconDataSize = 88;
constexpr int kTipFieldLength = 64;

struct NotifyIconData {
    quint32 cbSize = 0;
    quintptr hWnd = 0;
    quintptr uID = 0;
    quint32 uFlags = 0;
    quint32 uCallbackMessage = 0;
    quintptr hIcon = 0;
    // The tip text, then a NUL, then space padding, as a fixed-length field.
    std::array<QChar, kTipFieldLength> szTip{};

    // The tip field up to its first NUL; the whole field when it holds none.
    QString tipText() const {
        QString text;
        for (QChar c : szTip) {
            if (c.isNull()) {
                break;
            }
            text += c;
        }
        return text;
    }
};

}  // namespace horalia::tray

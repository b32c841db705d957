#include "src/tray/sys_tray.h"

namespace horalia::tray {

namespace {

// The hidden window measures in twips at the standard 15 twips per pixel.
constexpr qint64 kTwipsPerPixel = 15;

}  // namespace

frmSysTray::frmSysTray(TrayBackend& backend, const QString& fileDescription, quintptr ownIcon)
    : backend_(backend), fileDescription_(fileDescription), ownIcon_(ownIcon) {
    backend_.attach(this);
}

frmSysTray::~frmSysTray() {
    unload();
    if (backend_.client() == this) {
        backend_.attach(nullptr);
    }
}

void frmSysTray::ensureLoaded() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    items_ = {Element{}};
    taken_ = false;
    defaultIndex_ = 0;
    record_ = NotifyIconData{};
    record_.cbSize = kNotifyIconDataSize;
    record_.hWnd = reinterpret_cast<quintptr>(this);
    record_.uID = ownIcon_;
    record_.uFlags = nif::kMessage | nif::kIcon | nif::kTip;
    record_.uCallbackMessage = wm::kMouseMove;
    record_.hIcon = ownIcon_;
    setTipField(fileDescription_);
    backend_.attach(this);
    backend_.notifyIcon(NotifyMessage::Add, record_);
}

void frmSysTray::unload() {
    if (!loaded_) {
        return;
    }
    loaded_ = false;
    backend_.notifyIcon(NotifyMessage::Delete, record_);
}

void frmSysTray::setTipField(const QString& text) {
    // The text and its NUL fit the field; what is left is padded with spaces like any fixed-length text.
    record_.szTip.fill(QChar(u' '));
    const qsizetype length = std::min<qsizetype>(text.size(), kTipFieldLength - 1);
    for (qsizetype i = 0; i < length; ++i) {
        record_.szTip[static_cast<std::size_t>(i)] = text.at(i);
    }
    record_.szTip[static_cast<std::size_t>(length)] = QChar(u'\0');
}

void frmSysTray::setToolTip(const QString& sTip) {
    ensureLoaded();
    setTipField(sTip);
    record_.uFlags = nif::kTip;
    backend_.notifyIcon(NotifyMessage::Modify, record_);
}

void frmSysTray::setIconHandle(quintptr hIcon) {
    ensureLoaded();
    if (hIcon == record_.hIcon) {
        return;
    }
    record_.hIcon = hIcon;
    record_.uFlags = nif::kIcon;
    backend_.notifyIcon(NotifyMessage::Modify, record_);
}

int frmSysTray::AddMenuItem(const QString& sCaption, const QString& sKey, bool bDefault) {
    ensureLoaded();
    int index = 0;
    if (!taken_) {
        taken_ = true;
    } else {
        index = static_cast<int>(items_.size());
        items_.append(Element{});
    }
    Element& element = items_[index];
    element.visible = true;
    element.tag = sKey;
    element.caption = sCaption;
    if (bDefault) {
        defaultIndex_ = index;
    }
    backend_.menuChanged(menu());
    return index;
}

void frmSysTray::EnableMenuItem(int lIndex, bool bState) {
    ensureLoaded();
    if (isValidIndex(lIndex)) {
        items_[lIndex].enabled = bState;
        backend_.menuChanged(menu());
    }
}

int frmSysTray::RemoveMenuItem(int iIndex) {
    ensureLoaded();
    if (!isValidIndex(iIndex)) {
        return 0;
    }
    if (iIndex == 0) {
        // The first element can never be destroyed: it only loses its caption.
        items_[0].caption.clear();
        backend_.menuChanged(menu());
        return 0;
    }
    for (qsizetype i = iIndex + 1; i < items_.size(); ++i) {
        items_[i - 1].caption = items_[i].caption;
        items_[i - 1].tag = items_[i].tag;
    }
    items_.removeLast();
    backend_.menuChanged(menu());
    return 0;
}

void frmSysTray::setDefaultMenuIndex(int lIndex) {
    ensureLoaded();
    defaultIndex_ = isValidIndex(lIndex) ? lIndex : 0;
    backend_.menuChanged(menu());
}

TrayMenu frmSysTray::menu() const {
    TrayMenu menu;
    for (qsizetype i = 0; i < items_.size(); ++i) {
        const Element& element = items_[i];
        menu.items.append(TrayMenuItem{static_cast<int>(i), element.caption, element.tag, element.visible,
                                       element.enabled, element.caption == u"-"});
    }
    // After a removal the default may name an element that is gone: then no item is bold.
    menu.defaultIndex = isValidIndex(defaultIndex_) ? defaultIndex_ : -1;
    return menu;
}

void frmSysTray::ShowMenu() {
    ensureLoaded();
    backend_.showMenu(menu());
}

void frmSysTray::trayMouseMessage(quint32 message) {
    if (!loaded_) {
        return;  // no icon, so nothing can have happened on it
    }
    decodeMouseMove(static_cast<qint64>(message) * kTwipsPerPixel);
}

void frmSysTray::decodeMouseMove(qint64 xTwips) {
    // Handlers are copied before they run: a handler may replace them or destroy the component.
    const auto raiseButton = [](const std::function<void(int)>& event, int button) {
        if (std::function<void(int)> handler = event) {
            handler(button);
        }
    };
    switch (xTwips) {
        case wm::kMouseMove* kTwipsPerPixel:
            if (std::function<void()> handler = SysTrayMouseMove) {
                handler();
            }
            break;
        case wm::kLButtonDown* kTwipsPerPixel:
            raiseButton(SysTrayMouseDown, kLeftButton);
            break;
        case wm::kLButtonUp* kTwipsPerPixel:
            raiseButton(SysTrayMouseUp, kLeftButton);
            break;
        case wm::kLButtonDblClk* kTwipsPerPixel:
            raiseButton(SysTrayDoubleClick, kLeftButton);
            break;
        case wm::kRButtonDown* kTwipsPerPixel:
            raiseButton(SysTrayMouseDown, kRightButton);
            break;
        case wm::kRButtonUp* kTwipsPerPixel:
            raiseButton(SysTrayMouseUp, kRightButton);
            break;
        case wm::kRButtonDblClk* kTwipsPerPixel:
            raiseButton(SysTrayDoubleClick, kRightButton);
            break;
        default:
            break;  // the middle button and anything else
    }
}

void frmSysTray::trayMenuChosen(int index) {
    if (!loaded_ || !isValidIndex(index)) {
        return;
    }
    const QString key = items_[index].tag;
    if (std::function<void(int, const QString&)> handler = MenuClick) {
        handler(index, key);
    }
}

}  // namespace horalia::tray

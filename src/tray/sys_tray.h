// The tray icon component: one icon in the notification area with its tip, a menu built at run time with a
// default item, and events for mouse activity on the icon and for menu choices. It holds no widgets; a
// TrayBackend puts the icon on the desktop (or prints it, or records it).
#pragma once

#include <QList>
#include <QString>
#include <functional>

#include "src/tray/notify_icon_data.h"
#include "src/tray/tray_backend.h"

namespace horalia::tray {

class frmSysTray : public TrayBackendClient {
public:
    static constexpr int kLeftButton = 1;
    static constexpr int kRightButton = 2;

    // fileDescription is the tip the icon starts with; ownIcon is the icon handle the icon starts with and
    // that identifies it for good (uID).
    explicit frmSysTray(TrayBackend& backend,
                        const QString& fileDescription = QStringLiteral("Horalia Deluxe"),
                        quintptr ownIcon = 0);
    ~frmSysTray() override;
    frmSysTray(const frmSysTray&) = delete;
    frmSysTray& operator=(const frmSysTray&) = delete;

    // The window caption of the component's hidden window.
    static QString caption() { return QStringLiteral("Sys Tray Interface"); }

    // Every member that changes something first loads the component, which adds the icon; the getters read
    // what is there without loading it.
    QString ToolTip() const { return record_.tipText(); }
    void setToolTip(const QString& sTip);
    quintptr IconHandle() const { return record_.hIcon; }
    void setIconHandle(quintptr hIcon);
    int AddMenuItem(const QString& sCaption, const QString& sKey = {}, bool bDefault = false);
    void EnableMenuItem(int lIndex, bool bState);
    int RemoveMenuItem(int iIndex);
    int DefaultMenuIndex() const { return defaultIndex_; }
    void setDefaultMenuIndex(int lIndex);
    void ShowMenu();

    // Removes the icon; the next change loads the component afresh (new icon, menu back to its first
    // element). Unloading an unloaded component does nothing. The destructor unloads.
    void unload();
    bool isLoaded() const { return loaded_; }

    // Events, raised synchronously while the backend reports; a handler may call back into the component,
    // and may even destroy it.
    std::function<void(int eButton)> SysTrayMouseDown;
    std::function<void(int eButton)> SysTrayMouseUp;
    std::function<void()> SysTrayMouseMove;
    std::function<void(int eButton)> SysTrayDoubleClick;
    std::function<void(int lIndex, const QString& sKey)> MenuClick;

    // What the component holds, for views and tests.
    const NotifyIconData& record() const { return record_; }
    TrayMenu menu() const;

    // From the backend.
    void trayMouseMessage(quint32 message) override;
    void trayMenuChosen(int index) override;

private:
    struct Element {
        QString caption;
        QString tag;
        bool visible = false;
        bool enabled = true;
    };

    void ensureLoaded();
    bool isValidIndex(qint64 index) const { return index >= 0 && index < items_.size(); }
    void setTipField(const QString& text);
    // The callback arrives as a mouse move whose X, in twips, carries the message number.
    void decodeMouseMove(qint64 xTwips);

    TrayBackend& backend_;
    QString fileDescription_;
    quintptr ownIcon_;
    NotifyIconData record_;
    QList<Element> items_{Element{}};
    bool taken_ = false;
    int defaultIndex_ = 0;
    bool loaded_ = false;
};

}  // namespace horalia::tray

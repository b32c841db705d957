// frm_settings, "General Settings": the window in which every option is edited, one tab per group of options.
// It builds the widgets with their given names and hands every change and click to SettingsLogic, which
// stores the option at once; there is no OK or Cancel.
#pragma once

#include <QHash>
#include <QTabWidget>
#include <QWidget>
#include <functional>
#include <memory>

#include "src/settings_dialog/controls.h"
#include "src/settings_dialog/settings_logic.h"

namespace horalia::settings_dialog {

class frm_settings : public QWidget, public Controls {
public:
    static constexpr int kPageCount = 7;
    explicit frm_settings(DialogContext context, QWidget* parent = nullptr);
    ~frm_settings() override;

    QTabWidget* SSTab1() const { return tabs_; }
    SettingsLogic& logic() { return *logic_; }
    // Fills the controls from the stored settings, once; showPage does it before the first showing.
    void load();
    // Shows the window modeless (bringing it up again when it is open) on the page.
    void showPage(int page);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The window's close box unloads the dialog: the next open reads every setting again and a time typed
    // without SET is gone. Hiding it (while a character file is chosen) keeps it loaded.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildAlarmPage(int alarm);
    void buildCharactersPage();
    void buildColoursPage();
    void buildHelpPage();
    void buildTypeAndSpeakPage();
    void buildMiscPage();
    void findControls();
    // The control of that name; a missing one is a fault in the dialog, said on standard error.
    QWidget* control(const QString& name) const;
    void connectHandlers();

public:
    // Controls, by the given names of the widgets.
    QString text(const QString& name) const override;
    void setText(const QString& name, const QString& text) override;
    void setChecked(const QString& name, bool checked) override;
    void setItems(const QString& name, const QStringList& items) override;
    void setShown(const QString& name, bool shown) override;
    void setPageEnabled(int page, bool enabled) override;
    void setBackground(const QString& name, const QColor& colour) override;

private:
    QTabWidget* tabs_;
    QHash<QString, QWidget*> controls_;
    std::unique_ptr<SettingsLogic> logic_;
    // The owner's way of unloading this dialog, the same one a character change uses.
    std::function<void()> unload_;
    bool loaded_ = false;
    // The control whose focus went with the window or to a popup; its focus coming back is no move to it.
    const QObject* leftWithWindow_ = nullptr;
    // Set while a handler brings a check box into line with the stored value, so that change is not taken
    // for another click.
    bool settingBox_ = false;
};

}  // namespace horalia::settings_dialog

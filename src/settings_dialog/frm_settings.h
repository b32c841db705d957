// frm_settings, "General Settings": the window in which every option is edited, one page per group of
// options. The pages are filled in by the settings dialog's own code; this is the window and its seven tabs.
#pragma once

#include <QTabWidget>
#include <QWidget>

namespace horalia::settings_dialog {

class frm_settings : public QWidget {
public:
    static constexpr int kPageCount = 7;
    explicit frm_settings(QWidget* parent = nullptr);

    QTabWidget* SSTab1() const { return tabs_; }
    // Shows the window modeless (bringing it up again when it is open) on the page.
    void showPage(int page);

private:
    QTabWidget* tabs_;
};

}  // namespace horalia::settings_dialog

// frm_wait, the installer screen: a yellow window asking the user to wait while the packages run. Its
// timers and what they start live in WaitScreen.
#pragma once

#include <QLabel>
#include <QWidget>

#include "src/setup/wait_screen.h"

namespace horalia::setup {

class frm_wait : public QWidget {
public:
    frm_wait(platform::Platform& platform, const QString& programFolder, QWidget* parent = nullptr);

    QLabel* Label1() const { return label1_; }
    WaitScreen& screen() { return screen_; }
    // Load, then shown centred on the primary screen.
    void showCentred();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* label1_;
    WaitScreen screen_;
};

// The text of Label1.
QString waitText();

}  // namespace horalia::setup

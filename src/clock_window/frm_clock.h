// frm_clock: the clock window on the desktop. A small frameless window showing the time in lab_time; drag it
// by the time, double-click it to hear the time, right-click it for its menu. It draws and takes the mouse;
// everything else is the ClockController's.
#pragma once

#include <QFont>
#include <QLabel>
#include <QMenu>
#include <QPoint>
#include <QWidget>
#include <memory>
#include <vector>

#include "src/clock_window/clock_controller.h"

namespace horalia::clock_window {

class frm_clock : public QWidget, public core::ClockView {
public:
    frm_clock(platform::Platform& platform, AppWindows& windows, tray::TrayBackend& tray, quintptr trayIcon);
    ~frm_clock() override;

    // The window's start-up.
    void load();

    // Public operations of the clock.
    void say(const QString& talk, const QString& who) { controller_.say(talk, who); }
    void saytime() { controller_.saytime(); }
    void alarmclock(const QString& who) { controller_.alarmclock(who); }
    void checkboxes() { controller_.checkboxes(); }
    void characterset() { controller_.characterset(); }
    void GenieMove() { controller_.GenieMove(); }
    bool newcharacter() { return controller_.newcharacter(); }
    bool newcharacter2() { return controller_.newcharacter2(); }

    ClockController& controller() { return controller_; }
    QLabel* lab_time() const { return lab_time_; }
    QMenu* mnu_settings() const { return mnu_settings_; }

    // ClockView
    core::GeometryTwips geometryTwips() const override;
    bool isMinimized() const override;
    bool isVisible() const override { return QWidget::isVisible(); }
    void setVisible(bool visible) override;
    void setTimeText(const QString& text) override;
    void moveTo(double leftTwips, double topTwips) override;
    void setTimeFormat(bool twentyFourHour) override;
    void setColours(std::optional<qint32> fore, std::optional<qint32> back) override;
    void setSimpleMenus(bool simple) override;
    void whenDrawn(std::function<void()> then) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption);
    void storePosition();
    // lab_time's font: timeFont_, at a smaller size when the text would not fit the label at its own.
    void fitTimeText();
    void runWhenDrawn();

    platform::Platform& platform_;
    QLabel* lab_time_;
    QFont timeFont_;
    QMenu* mnu_settings_;
    ClockController controller_;
    bool dragging_ = false;
    QPoint dragStartGlobal_;
    QPoint windowStart_;
    // What waits for the first picture; run after the first paint of lab_time has reached the screen, or
    // after a second where no paint comes (a window the desktop keeps covered is never exposed).
    std::vector<std::function<void()>> whenDrawn_;
    bool painted_ = false;
    bool drawnRun_ = false;
    std::unique_ptr<platform::Timer> drawnFallback_;
};

}  // namespace horalia::clock_window

// frm_wait's behaviour without its window: the two packages started fifteen seconds apart, the blinking,
// and the restart once the packages have had their time.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "src/platform/platform.h"

namespace horalia::setup {

constexpr qint32 kRed = 255;
constexpr qint32 kYellow = 65535;

class WaitScreen {
public:
    // setBackColour paints the window; restartArguments go to reboot.
    WaitScreen(platform::Platform& platform, QString programFolder, std::function<void(qint32)> setBackColour,
               QStringList restartArguments = {});

    // Form load and show: the counter at 0, both timers running, the window yellow.
    void load();
    // The timers stop and nothing more is started.
    void unload();
    // The window closed before its time: with no window left the program ends; a package already started
    // runs on.
    void closed();

    void Timer2_Timer();
    void Timer1_Timer();

    int counter() const { return counter_; }
    qint32 backColour() const { return backColour_; }
    bool running() const;

private:
    void setBackColour(qint32 colour);

    platform::Platform& platform_;
    QString programFolder_;
    std::function<void(qint32)> paint_;
    QStringList restartArguments_;
    std::unique_ptr<platform::Timer> timer1_;
    std::unique_ptr<platform::Timer> timer2_;
    qint16 counter_ = 0;
    qint32 backColour_ = kYellow;
};

}  // namespace horalia::setup

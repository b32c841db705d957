#include "src/setup/wait_screen.h"

#include "src/platform/failure_report.h"

namespace horalia::setup {

namespace {

constexpr int kTimer2Ms = 1000;
constexpr int kTimer1Ms = 40000;
// The packages' own switch for an installation that asks nothing.
const QString kQuiet = QStringLiteral("/Q:A");

}  // namespace

WaitScreen::WaitScreen(platform::Platform& platform, QString programFolder,
                       std::function<void(qint32)> setBackColour, QStringList restartArguments)
    : platform_(platform),
      programFolder_(std::move(programFolder)),
      paint_(std::move(setBackColour)),
      restartArguments_(std::move(restartArguments)) {}

void WaitScreen::load() {
    counter_ = 0;
    setBackColour(kYellow);
    timer2_ = platform_.clock.createTimer();
    timer1_ = platform_.clock.createTimer();
    timer2_->start(kTimer2Ms, [this] { Timer2_Timer(); });
    timer1_->start(kTimer1Ms, [this] { Timer1_Timer(); });
}

void WaitScreen::unload() {
    if (timer1_) {
        timer1_->stop();
    }
    if (timer2_) {
        timer2_->stop();
    }
}

void WaitScreen::closed() {
    unload();
    platform_.program.endProgram();
}

bool WaitScreen::running() const {
    return timer1_ && timer1_->isActive();
}

void WaitScreen::setBackColour(qint32 colour) {
    backColour_ = colour;
    if (paint_) {
        paint_(colour);
    }
}

void WaitScreen::Timer2_Timer() {
    // The platform's timers fire once: re-arm first, so the second goes on whatever happens below.
    timer2_->start(kTimer2Ms, [this] { Timer2_Timer(); });
    if (counter_ == 0) {
        platform::reported(platform_.shell.start(programFolder_ + QStringLiteral("/agent"), {kQuiet},
                                                 platform::WindowStyle::NormalFocus));
    }
    if (counter_ == 15) {
        platform::reported(platform_.shell.start(programFolder_ + QStringLiteral("/speech"), {kQuiet},
                                                 platform::WindowStyle::NormalFocus));
    }
    // The counter stops short of overflowing rather than wrapping round to 0 and starting agent again.
    if (counter_ < 32767) {
        ++counter_;
    }
    if (backColour_ == kRed) {
        setBackColour(kYellow);
    } else if (backColour_ == kYellow) {
        setBackColour(kRed);
    }
}

void WaitScreen::Timer1_Timer() {
    unload();
    platform::reported(platform_.shell.start(programFolder_ + QStringLiteral("/reboot"), restartArguments_,
                                             platform::WindowStyle::MinimisedFocus));
    platform_.program.endProgram();
}

}  // namespace horalia::setup

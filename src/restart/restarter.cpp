#include "src/restart/restarter.h"

namespace horalia::restart {

Restarter::Restarter(platform::Clock& clock, Actions actions)
    : clock_(clock), actions_(std::move(actions)), timer_(clock.createTimer()) {}

void Restarter::run() {
    startMs_ = clock_.now().toMSecsSinceEpoch();
    // From the event loop, so that an immediate end reaches a running loop.
    timer_->start(0, [this] { check(); });
}

void Restarter::check() {
    if (!actions_.clockRunning()) {
        if (const agent::Status started = actions_.startClock()) {
            actions_.finished(0, {});
        } else {
            actions_.finished(
                1, QStringLiteral("reboot: the clock could not be started again: ") + started.error());
        }
        return;
    }
    if (clock_.now().toMSecsSinceEpoch() - startMs_ >= kGiveUpMs) {
        actions_.finished(1,
                          QStringLiteral("reboot: the clock did not end within 30 seconds; it is not started "
                                         "again"));
        return;
    }
    timer_->start(kPollMs, [this] { check(); });
}

}  // namespace horalia::restart

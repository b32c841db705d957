// The restart companion's one job: wait until the clock that started it has ended, then start the clock
// again; give up when it does not end in time.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "agent/result.h"
#include "src/platform/clock.h"

namespace horalia::restart {

class Restarter {
public:
    static constexpr int kPollMs = 100;
    static constexpr int kGiveUpMs = 30000;

    struct Actions {
        // True while the old clock still runs.
        std::function<bool()> clockRunning;
        // Starts the clock again.
        std::function<agent::Status()> startClock;
        // Called once with the exit code and, for a failure, a message for standard error.
        std::function<void(int exitCode, const QString& message)> finished;
    };

    Restarter(platform::Clock& clock, Actions actions);
    void run();

private:
    void check();

    platform::Clock& clock_;
    Actions actions_;
    std::unique_ptr<platform::Timer> timer_;
    qint64 startMs_ = 0;
};

}  // namespace horalia::restart

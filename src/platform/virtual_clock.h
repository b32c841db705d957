// A clock that moves only when told to, firing its timers in time order as it passes them: a whole day runs
// in milliseconds. The console mode previews a day on it, and the tests run on it.
#pragma once

#include <QList>
#include <QTimeZone>

#include "src/platform/clock.h"
#include "src/platform/pause.h"

namespace horalia::platform {

class VirtualClock : public Clock {
public:
    explicit VirtualClock(const QDateTime& start);
    ~VirtualClock() override;

    QDateTime now() const override;
    std::unique_ptr<Timer> createTimer() override;

    qint64 nowMs() const { return now_; }
    // Moves the clock forward, firing every timer that falls due on the way, each at its due time. A timer
    // callback may itself advance the clock (a pause); time never runs backwards.
    void advanceBy(qint64 milliseconds);
    void advanceTo(const QDateTime& time);
    // Moves the wall clock without moving the timers on: each keeps the time it has left, as when the
    // computer sleeps or the clock is set (backwards too). Nothing fires on the way.
    void jumpBy(qint64 milliseconds);
    // Local time from now on is this zone's (the process's own zone until then).
    void setTimeZone(const QTimeZone& zone) { zone_ = zone; }
    // How many timer callbacks have run so far.
    quint64 firedCount() const { return fired_; }

protected:
    // Extra delay added to each timer when it is armed, as a busy desktop would add it. None by default.
    virtual int latencyMs() { return 0; }

private:
    class VirtualTimer;
    void advanceToMs(qint64 target);

    qint64 now_;
    QTimeZone zone_;
    quint64 sequence_ = 0;
    quint64 fired_ = 0;
    QList<VirtualTimer*> timers_;
};

// The pause routine on a virtual clock: moves the clock on, which fires whatever falls due meanwhile.
class VirtualPause : public Pause {
public:
    explicit VirtualPause(VirtualClock& clock) : clock_(clock) {}
    void pause(int seconds) override;

private:
    VirtualClock& clock_;
};

}  // namespace horalia::platform

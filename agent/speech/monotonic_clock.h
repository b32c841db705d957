// The time source speech playback paces itself by when there is no sound to follow; tests substitute their
// own.
#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

namespace agent::speech {

class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    virtual qint64 nowMs() const = 0;
};

class SteadyClock final : public MonotonicClock {
public:
    SteadyClock() { timer_.start(); }
    qint64 nowMs() const override { return timer_.elapsed(); }

private:
    QElapsedTimer timer_;
};

}  // namespace agent::speech

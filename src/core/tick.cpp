#include "src/core/tick.h"

#include "src/core/schedule_rules.h"
#include "src/core/settings_keys.h"
#include "src/core/time_texts.h"

namespace horalia::core {

Tick::Tick(platform::SettingsStore& settings, platform::Clock& clock, platform::Pause& pause,
           platform::Shell& shell, ClockView& view, Actions actions)
    : settings_(settings),
      clock_(clock),
      pause_(pause),
      shell_(shell),
      view_(view),
      actions_(std::move(actions)),
      timer_(clock.createTimer()) {}

void Tick::start() {
    lastMinute_ = clock_.now().time().minute();
    firstTick_ = true;
    timer_->start(kAligningIntervalMs, [this] { run(); });
}

void Tick::run() {
    if (firstTick_) {
        // The start-up shows the clock; a user who keeps it hidden sees it go again within a second.
        if (view_.isVisible() && settings_.read(keys::kData, keys::kMinimise, keys::kFalse) == keys::kTrue) {
            view_.setVisible(false);
        }
        if (clock_.now().time().minute() == lastMinute_) {
            timer_->start(kAligningIntervalMs, [this] { run(); });
            return;
        }
        // Until the timer is armed again no second tick can start while this one pauses.
        pause_.pause(kOffsetMs / 1000);
        firstTick_ = false;
    }
    fullTick();
}

void Tick::armForNextMinute(const QDateTime& current) {
    // The tick that runs late still aims at 2 seconds past the next minute, so lateness never adds up.
    const qint64 nowMs = current.toMSecsSinceEpoch();
    QDateTime minuteStart = current;
    minuteStart.setTime(QTime(current.time().hour(), current.time().minute()));
    const qint64 target = minuteStart.toMSecsSinceEpoch() + 60000 + kOffsetMs;
    timer_->start(static_cast<int>(std::max<qint64>(0, target - nowMs)), [this] { run(); });
}

void Tick::fullTick() {
    const QDateTime current = clock_.now();
    // Armed before anything that may pause, so a long announcement cannot push the next minute's tick back.
    armForNextMinute(current);
    lastMinute_ = current.time().minute();
    const int hour = current.time().hour();

    view_.setTimeText(displayText(current.time(), settings_.read(keys::kFormatSection, keys::kFormat, "1")));

    if (announcementDue(lastMinute_, settings_.read(keys::kData, keys::kAnnounce, "15")) &&
        actions_.saytime) {
        actions_.saytime();
    }

    if (!soundAlarm(keys::kAlarmTime1, keys::kRepeat1, keys::kLaunch1, QStringLiteral("genie"), hour)) {
        return;  // alarm 1 sounded with no program to start: alarm 2 waits for another day
    }
    soundAlarm(keys::kAlarmTime2, keys::kRepeat2, keys::kLaunch2, QStringLiteral("peedy"), hour);
}

bool Tick::soundAlarm(const QString& timeKey, const QString& repeatKey, const QString& launchKey,
                      const QString& who, int hour) {
    if (settings_.read(keys::kData, timeKey, keys::kNoAlarm) == keys::kNoAlarm) {
        return true;
    }
    if (!alarmDue(settings_.read(keys::kData, timeKey), hour, lastMinute_)) {
        return true;
    }
    if (actions_.alarmclock) {
        actions_.alarmclock(who);
    }
    if (settings_.read(keys::kData, repeatKey, keys::kTrue) == keys::kFalse) {
        settings_.write(keys::kData, timeKey, keys::kNoAlarm);
    }
    const QString program = settings_.read(keys::kData, launchKey, QString());
    if (program.isEmpty()) {
        return false;
    }
    shell_.start(program, platform::WindowStyle::NormalNoFocus);
    return true;
}

}  // namespace horalia::core

#include "src/core/tick.h"

#include <algorithm>

#include "src/core/conversions.h"
#include "src/core/schedule_rules.h"
#include "src/core/settings_keys.h"
#include "src/core/time_texts.h"
#include "src/platform/failure_report.h"

namespace horalia::core {

namespace {

constexpr qint64 kMinutesPerDay = 24 * 60;

qint64 wallMinute(const QDateTime& time) {
    return time.date().toJulianDay() * kMinutesPerDay + time.time().hour() * 60 + time.time().minute();
}

}  // namespace

Tick::Tick(platform::SettingsStore& settings, platform::Clock& clock, platform::Pause& pause,
           platform::Shell& shell, platform::TimeChanges& changes, ClockView& view, Actions actions)
    : settings_(settings),
      clock_(clock),
      pause_(pause),
      shell_(shell),
      changes_(changes),
      view_(view),
      actions_(std::move(actions)),
      timer_(clock.createTimer()) {
    changes_.setHandler([this](platform::TimeChange) { timeChanged(); });
}

Tick::~Tick() {
    changes_.setHandler({});
}

void Tick::start() {
    const QDateTime current = clock_.now();
    lastMinute_ = current.time().minute();
    lastTickWallMinute_ = wallMinute(current);
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

void Tick::timeChanged() {
    if (firstTick_) {
        return;  // still looking once a second: the next look sees the new minute
    }
    const QDateTime current = clock_.now();
    if (wallMinute(current) == lastTickWallMinute_) {
        // This minute has had its tick; only the next one's timer is out of step.
        armForNextMinute(current);
        return;
    }
    fullTick();
}

void Tick::armForNextMinute(const QDateTime& current) {
    // The tick that runs late still aims at 2 seconds past the next minute, so lateness never adds up.
    const qint64 nowMs = current.toMSecsSinceEpoch();
    QDateTime minuteStart = current;
    minuteStart.setTime(QTime(current.time().hour(), current.time().minute()));
    const qint64 target = minuteStart.toMSecsSinceEpoch() + 60000 + kOffsetMs;
    timer_->start(static_cast<int>(std::clamp<qint64>(target - nowMs, 0, 60000 + kOffsetMs)),
                  [this] { run(); });
}

void Tick::fullTick() {
    const QDateTime current = clock_.now();
    // Armed before anything that may pause, so a long announcement cannot push the next minute's tick back.
    armForNextMinute(current);
    const qint64 previousWallMinute = lastTickWallMinute_;
    lastTickWallMinute_ = wallMinute(current);
    lastMinute_ = current.time().minute();

    view_.setTimeText(displayText(current.time(), settings_.read(keys::kFormatSection, keys::kFormat, "1")));

    catchUpMissedAlarms(previousWallMinute, lastTickWallMinute_);

    if (announcementDue(lastMinute_, settings_.read(keys::kData, keys::kAnnounce, "15")) &&
        actions_.saytime) {
        actions_.saytime();
    }

    const int hour = current.time().hour();
    for (const Alarm& alarm : alarms()) {
        if (!alarmDue(settings_.read(keys::kData, alarm.timeKey, keys::kNoAlarm), hour, lastMinute_)) {
            continue;
        }
        if (!soundAlarm(alarm, lastTickWallMinute_)) {
            return;  // alarm 1 sounded with no program to start: alarm 2 waits for another day
        }
    }
}

void Tick::catchUpMissedAlarms(qint64 previousMinute, qint64 minute) {
    if (minute - previousMinute < 2) {
        return;  // the next minute, the same one, or the clock went back: no minute went by untold
    }
    const std::optional<qint32> window =
        toInt32(settings_.read(keys::kData, keys::kMissedAlarmWindow, keys::kDefaultMissedAlarmWindow));
    if (!window || *window <= 0) {
        return;
    }
    for (const Alarm& alarm : alarms()) {
        const std::optional<int> alarmMinute =
            alarmMinuteOfDay(settings_.read(keys::kData, alarm.timeKey, keys::kNoAlarm));
        if (!alarmMinute) {
            continue;
        }
        // The last time the alarm's minute came before this one; this minute itself is the usual tick's.
        qint64 missed = minute - minute % kMinutesPerDay + *alarmMinute;
        if (missed >= minute) {
            missed -= kMinutesPerDay;
        }
        // However many days went by, only the latest one counts: the alarm sounds once.
        if (missed <= previousMinute || minute - missed > *window || lastSounded_[alarm.index()] == missed) {
            continue;
        }
        // Each missed alarm sounds on its own: the rule that an alarm with no program ends the tick is about
        // two alarms of one minute, and a missed one is never this minute's.
        soundAlarm(alarm, missed);
    }
}

bool Tick::soundAlarm(const Alarm& alarm, qint64 minute) {
    lastSounded_[alarm.index()] = minute;
    if (actions_.alarmclock) {
        actions_.alarmclock(alarm);
    }
    if (settings_.read(keys::kData, alarm.repeatKey, keys::kTrue) == keys::kFalse) {
        platform::reported(settings_.write(keys::kData, alarm.timeKey, keys::kNoAlarm));
    }
    const QString program = settings_.read(keys::kData, alarm.launchKey, QString());
    if (program.isEmpty()) {
        return false;
    }
    platform::reported(shell_.start(program, platform::WindowStyle::NormalNoFocus));
    return true;
}

}  // namespace horalia::core

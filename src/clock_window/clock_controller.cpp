#include "src/clock_window/clock_controller.h"

#include "src/characters/alarm_voice.h"
#include "src/core/settings_keys.h"
#include "src/core/time_texts.h"

namespace horalia::clock_window {

namespace keys = core::keys;

ClockController::ClockController(platform::Platform& platform, core::ClockView& view)
    : platform_(platform),
      view_(view),
      agent1_(platform.engines.create(QStringLiteral("Agent1"))),
      agent2_(platform.engines.create(QStringLiteral("Agent2"))),
      speaker_(platform.settings, platform.clock, cast_),
      announcer_(platform.settings, platform.clock, platform.pause, view,
                 [this](const QString& talk, const QString& who) { say(talk, who); }),
      tick_(platform.settings, platform.clock, platform.pause, platform.shell, view,
            core::Tick::Actions{[this] { saytime(); }, [this](const QString& who) { alarmclock(who); }}) {
    cast_.agent1 = agent1_.get();
    cast_.agent2 = agent2_.get();
}

ClockController::~ClockController() = default;

void ClockController::load() {
    speaker_.resetGestures();
    announcer_.reset();
    view_.setTimeText(core::displayText(platform_.clock.now().time(),
                                        platform_.settings.read(keys::kFormatSection, keys::kFormat, "1")));
    tick_.start();
}

void ClockController::say(const QString& talk, const QString& who) {
    speaker_.say(talk, who);
}

void ClockController::saytime() {
    announcer_.saytime();
}

void ClockController::alarmclock(const QString& who) {
    characters::alarmclock(who, cast_, platform_.settings, speaker_);
}

void ClockController::loadCharacters() {
    characters::loadCast(cast_, platform_.settings.read(keys::kData, keys::kLastCharacter, "max"),
                         platform_.settings.read(keys::kData, keys::kLastCharacter2, "plany"));
}

}  // namespace horalia::clock_window

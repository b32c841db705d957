#include "src/characters/alarm_voice.h"

#include "src/core/settings_keys.h"
#include "src/core/who.h"

namespace horalia::characters {

namespace keys = core::keys;

void alarmclock(core::Who who, const Cast& cast, platform::SettingsStore& settings, Speaker& speaker) {
    if (who == core::Who::Second) {
        if (agent::Character* c = cast[core::Who::Second].character) {
            c->stop();
        }
        speaker.say(settings.read(keys::kData, keys::kAlarmMessage2, keys::kDefaultAlarmMessage),
                    QStringLiteral("Peedy"));
        return;
    }
    agent::Character* first = cast[core::Who::First].character;
    if (first != nullptr) {
        first->stop();
    }
    speaker.say(settings.read(keys::kData, keys::kAlarmMessage, keys::kDefaultAlarmMessage),
                QStringLiteral("genie"));
    if (first != nullptr) {
        first->play(QStringLiteral("pleased"));
    }
}

}  // namespace horalia::characters

#include "src/characters/alarm_voice.h"

namespace horalia::characters {

void alarmclock(const core::Alarm& alarm, const Cast& cast, platform::SettingsStore& settings,
                Speaker& speaker) {
    agent::Character* speaking = cast[alarm.speaker].character;
    if (speaking != nullptr) {
        speaking->stop();
    }
    speaker.say(settings.read(core::keys::kData, alarm.messageKey, core::keys::kDefaultAlarmMessage),
                alarm.speaker, Speaker::Urgency::Alarm);
    if (speaking != nullptr && alarm.gesture != nullptr) {
        speaking->play(QString::fromLatin1(alarm.gesture));
    }
}

}  // namespace horalia::characters

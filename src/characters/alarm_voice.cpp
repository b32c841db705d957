#include "src/characters/alarm_voice.h"

#include "src/core/settings_keys.h"

namespace horalia::characters {

namespace keys = core::keys;

void alarmclock(const QString& who, const Cast& cast, platform::SettingsStore& settings, Speaker& speaker) {
    if (!Cast::isCharacter1(who)) {
        if (cast.character2 != nullptr) {
            cast.character2->stop();
        }
        speaker.say(settings.read(keys::kData, keys::kAlarmMessage2, keys::kDefaultAlarmMessage),
                    QStringLiteral("Peedy"));
        return;
    }
    if (cast.character1 != nullptr) {
        cast.character1->stop();
    }
    speaker.say(settings.read(keys::kData, keys::kAlarmMessage, keys::kDefaultAlarmMessage),
                QStringLiteral("genie"));
    if (cast.character1 != nullptr) {
        cast.character1->play(QStringLiteral("pleased"));
    }
}

}  // namespace horalia::characters

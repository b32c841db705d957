#include "src/characters/speaker.h"

#include "src/core/quiet_hours.h"
#include "src/core/settings_keys.h"

namespace horalia::characters {

namespace keys = core::keys;

const std::array<QString, 9>& Speaker::gestures() {
    static const std::array<QString, 9> table = {
        QStringLiteral("Congratulate"), QStringLiteral("Confused"), QStringLiteral("Decline"),
        QStringLiteral("DoMagic1"),     QStringLiteral("Explain"),  QStringLiteral("Greet"),
        QStringLiteral("LookDown"),     QStringLiteral("Pleased"),  QStringLiteral("Read"),
    };
    return table;
}

Speaker::Speaker(platform::SettingsStore& settings, platform::Clock& clock, const Cast& cast)
    : settings_(settings), clock_(clock), cast_(cast) {}

void Speaker::say(const QString& talk, const QString& who) {
    say(talk, core::whoFromSpeaker(who));
}

void Speaker::say(const QString& talk, core::Who who) {
    const bool quiet = core::isQuietHour(settings_.read(keys::kData, keys::kQuietTime, keys::kNoQuietHours),
                                         clock_.now().time().hour());
    agent::Character* character = cast_[who].character;

    if (character != nullptr) {
        // Whatever it was still saying or doing gives way to this.
        character->stop();
        character->speak(QStringLiteral(" "));
        character->show();
        character->speak(quiet ? kWhisperTag + talk : talk);
        character->play(gestures()[gestureCounter_ - 1]);
    }
    // The cycle moves on even for a character that failed to load, as every other step simply has no effect.
    gestureCounter_ = gestureCounter_ >= 9 ? 1 : gestureCounter_ + 1;

    const QString hide = settings_.read(keys::kData, core::characterKeys(who).hide, keys::kFalse);
    if (character != nullptr && hide == keys::kTrue) {
        character->hide();
    }
}

}  // namespace horalia::characters

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

Speaker::Speaker(platform::SettingsStore& settings, platform::Clock& clock,
                 const platform::FullScreen& fullScreen, const Cast& cast)
    : settings_(settings), clock_(clock), fullScreen_(fullScreen), cast_(cast) {}

void Speaker::fullScreenChanged() {
    const bool active = fullScreen_.active();
    for (const core::Who who : core::kBothCharacters) {
        withdraw(who, active);
    }
}

void Speaker::withdraw(core::Who who, bool withdrawn) {
    agent::Character* character = cast_[who].character;
    agent::Character*& now = withdrawn_[core::slot(who)];
    if (character == nullptr || (now == character) == withdrawn) {
        return;
    }
    character->setWithdrawn(withdrawn);
    now = withdrawn ? character : nullptr;
}

void Speaker::say(const QString& talk, const QString& who) {
    say(talk, core::whoFromSpeaker(who));
}

void Speaker::say(const QString& talk, core::Who who, Urgency urgency) {
    const bool quiet = core::isQuietHour(settings_.read(keys::kData, keys::kQuietTime, keys::kNoQuietHours),
                                         clock_.now().time().hour());
    agent::Character* character = cast_[who].character;
    const bool unseen = urgency == Urgency::Ordinary && fullScreen_.active();

    if (character != nullptr) {
        // Whatever it was still saying or doing gives way to this.
        character->stop();
        character->speak(QStringLiteral(" "));
        withdraw(who, unseen);
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

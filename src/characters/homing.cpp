#include "src/characters/homing.h"

#include <QFileInfo>

#include "src/core/settings_keys.h"
#include "src/platform/failure_report.h"
#include "src/platform/paths.h"

namespace horalia::characters {

namespace keys = core::keys;

Homing::Homing(platform::Platform& platform, Cast& cast, Speaker& speaker, CharacterSetup& setup,
               const core::ClockView& clock)
    : platform_(platform), cast_(cast), speaker_(speaker), setup_(setup), clock_(clock) {}

void Homing::GenieMove() {
    if (clock_.isMinimized()) {
        speaker_.say(QStringLiteral("How can we move to an invisible window?"), core::Who::Second);
        platform_.pause.pause(4);
        speaker_.say(QStringLiteral("yeah, you need to show the clock before I will move"), core::Who::First);
        return;
    }
    // Straight to the engine, not through say: never whispered, no gesture, no hiding.
    if (agent::Character* c = cast_[core::Who::First].character) {
        c->stop();
        setup_.moveHome(core::Who::First);
        c->speak(QStringLiteral("Okay I`m home !"));
        c->play(QStringLiteral("pleased"));
    }
    platform_.pause.pause(4);
    if (agent::Character* c = cast_[core::Who::Second].character) {
        c->stop();
        setup_.moveHome(core::Who::Second);
        c->speak(QStringLiteral("I`m home too!"));
        c->play(QStringLiteral("pleased"));
    }
}

bool Homing::newcharacter(const SettingsDialogHooks& dialog) {
    return change(core::Who::First, dialog);
}

bool Homing::newcharacter2(const SettingsDialogHooks& dialog) {
    return change(core::Who::Second, dialog);
}

bool Homing::change(core::Who who, const SettingsDialogHooks& dialog) {
    if (dialog.hide) {
        dialog.hide();
    }
    auto& settings = platform_.settings;
    const QString& ownKey = core::characterKeys(who).lastCharacter;
    const QString& otherKey = core::characterKeys(core::other(who)).lastCharacter;
    agent::Control* own = cast_[who].control;
    agent::Control* other = cast_[core::other(who)].control;

    // The character loaded now goes, whatever the file says; the file only lacks the name before a first run.
    const QString current = settings.read(keys::kData, ownKey, cast_[who].name);
    const QString chosen =
        QFileInfo(platform_.dialogs.openFile(QStringLiteral("Agent Characters (*.acs)|*.acs"),
                                             platform::characterFolder()))
            .fileName();
    if (chosen.isEmpty()) {
        // Cancelled: the user is back where they were, characters and settings untouched.
        if (dialog.show) {
            dialog.show();
        }
        return false;
    }
    const QString name = chosen.left(chosen.size() - 4);  // without ".acs"
    if (own != nullptr) {
        own->unload(current);
        // A character that does not load is left out, and the clock goes on.
        platform::reported(own->load(name, name + QStringLiteral(".acs")));
    }
    platform::reported(settings.write(keys::kData, ownKey, name));

    const QString otherName = settings.read(keys::kData, otherKey, cast_[core::other(who)].name);
    if (other != nullptr) {
        other->unload(otherName);
        platform::reported(other->load(otherName, otherName + QStringLiteral(".acs")));
    }
    if (dialog.close) {
        dialog.close();
    }
    setup_.characterset();
    return true;
}

}  // namespace horalia::characters

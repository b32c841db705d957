// GenieMove, newcharacter and newcharacter2: the characters walk back to the clock, or one of them is
// replaced by another character file.
#pragma once

#include <functional>

#include "src/characters/cast.h"
#include "src/characters/character_setup.h"
#include "src/characters/speaker.h"
#include "src/core/clock_view.h"
#include "src/platform/platform.h"

namespace horalia::characters {

class Homing {
public:
    // What changing a character does to the settings dialog it was started from.
    struct SettingsDialogHooks {
        std::function<void()> hide;
        std::function<void()> show;
        std::function<void()> close;
    };

    Homing(platform::Platform& platform, Cast& cast, Speaker& speaker, CharacterSetup& setup,
           const core::ClockView& clock);

    // Both characters walk home, character 1 first and character 2 4 seconds later; a minimised clock has
    // no home to walk to, and the characters say so.
    void GenieMove();

    // Lets the user pick a character file for character 1 (or 2), loads it in place of the old one,
    // remembers it and sets both characters up again. Cancelling the file dialog changes nothing and brings
    // the settings dialog back. Returns whether a character was chosen.
    bool newcharacter(const SettingsDialogHooks& dialog);
    bool newcharacter2(const SettingsDialogHooks& dialog);

private:
    bool change(core::Who who, const SettingsDialogHooks& dialog);

    platform::Platform& platform_;
    Cast& cast_;
    Speaker& speaker_;
    CharacterSetup& setup_;
    const core::ClockView& clock_;
};

}  // namespace horalia::characters

// checkboxes and characterset: both characters loaded, given their commands and sound settings, shown,
// greeting the user and walking to their places beside the clock.
#pragma once

#include "src/characters/cast.h"
#include "src/characters/speaker.h"
#include "src/core/clock_view.h"
#include "src/platform/platform.h"

namespace horalia::characters {

class CharacterSetup {
public:
    CharacterSetup(platform::Platform& platform, Cast& cast, Speaker& speaker, const core::ClockView& clock);

    // Loads the two stored characters, then sets them up.
    void checkboxes();
    // Sets up the characters loaded under the stored names: character 1 at once, character 2 8 seconds later.
    void characterset();

    // "good morning, " (0-11), "good afternoon, " (12-16) or "good evening, " (17-23).
    static QString greeting(int hour);
    // Walks the character to its home position, if it is loaded and its home fits the screen's coordinates.
    void moveHome(core::Who who);

private:
    void addCommands(core::Who who);
    // The character looked up under its name, given its commands and sound setting, and shown.
    void bringOut(core::Who who);
    // Walked home, and hidden again when the user keeps it hidden.
    void settle(core::Who who);

    platform::Platform& platform_;
    Cast& cast_;
    Speaker& speaker_;
    const core::ClockView& clock_;
};

}  // namespace horalia::characters

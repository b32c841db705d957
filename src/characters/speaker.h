// say: the one way a character talks. Whispers in quiet hours, shows the character, speaks, plays the next
// gesture of a nine-step cycle shared by both characters, and hides it again when the user asked for that.
// While another program is full screen (a film, a game) the characters keep out of its way: they are
// withdrawn from the screen, and what they say is heard, not shown. An alarm shows all the same, as far as
// the window manager lets anything over a full-screen window; once that window has gone, all is as before.
#pragma once

#include <QString>
#include <array>

#include "src/characters/cast.h"
#include "src/platform/clock.h"
#include "src/platform/full_screen.h"
#include "src/platform/settings_store.h"

namespace horalia::characters {

class Speaker {
public:
    // The text that makes the rest of a sentence whispered.
    static inline const QString kWhisperTag = QStringLiteral("\\chr=\"Whisper\"\\");
    static const std::array<QString, 9>& gestures();

    enum class Urgency { Ordinary, Alarm };

    Speaker(platform::SettingsStore& settings, platform::Clock& clock, const platform::FullScreen& fullScreen,
            const Cast& cast);

    // `who` is a speaker text: "genie" is the first character, any other text the second.
    void say(const QString& talk, const QString& who);
    void say(const QString& talk, core::Who who, Urgency urgency = Urgency::Ordinary);

    void resetGestures() { gestureCounter_ = 1; }
    // Another program's full-screen window came or went: both characters keep off the screen, or come back.
    void fullScreenChanged();

private:
    platform::SettingsStore& settings_;
    platform::Clock& clock_;
    const platform::FullScreen& fullScreen_;
    const Cast& cast_;
    quint8 gestureCounter_ = 1;
    void withdraw(core::Who who, bool withdrawn);

    // The character of each role that is withdrawn now, so that each change is asked for once.
    std::array<agent::Character*, 2> withdrawn_{};
};

}  // namespace horalia::characters

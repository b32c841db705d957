// say: the one way a character talks. Whispers in quiet hours, shows the character, speaks, plays the next
// gesture of a nine-step cycle shared by both characters, and hides it again when the user asked for that.
#pragma once

#include <QString>
#include <array>

#include "src/characters/cast.h"
#include "src/platform/clock.h"
#include "src/platform/settings_store.h"

namespace horalia::characters {

class Speaker {
public:
    // The text that makes the rest of a sentence whispered.
    static inline const QString kWhisperTag = QStringLiteral("\\chr=\"Whisper\"\\");
    static const std::array<QString, 9>& gestures();

    Speaker(platform::SettingsStore& settings, platform::Clock& clock, const Cast& cast);

    // `who` is a speaker text: "genie" is the first character, any other text the second.
    void say(const QString& talk, const QString& who);
    void say(const QString& talk, core::Who who);

    void resetGestures() { gestureCounter_ = 1; }

private:
    platform::SettingsStore& settings_;
    platform::Clock& clock_;
    const Cast& cast_;
    quint8 gestureCounter_ = 1;
};

}  // namespace horalia::characters

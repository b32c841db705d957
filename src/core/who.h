// Which of the clock's two characters is meant. Callers of say name them by a speaker text: "genie",
// exactly, is the first character and any other text the second. That text becomes a Who once, where it
// arrives; everything behind that point works with the Who, and everything held per character is an array
// of two indexed by it.
#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>

#include "src/core/settings_keys.h"

namespace horalia::core {

enum class Who { First, Second };

inline constexpr std::array<Who, 2> kBothCharacters = {Who::First, Who::Second};

constexpr std::size_t slot(Who who) {
    return who == Who::First ? 0 : 1;
}

constexpr Who other(Who who) {
    return who == Who::First ? Who::Second : Who::First;
}

inline Who whoFromSpeaker(QStringView speaker) {
    return speaker == u"genie" ? Who::First : Who::Second;
}

// The speaker text that names the character to say, the second's as the clock has always spelt it.
inline QString speakerOf(Who who) {
    return who == Who::First ? QStringLiteral("genie") : QStringLiteral("peedy");
}

// The settings kept for each character.
struct CharacterKeys {
    const QString& lastCharacter;
    const QString& hide;
    const QString& effects;
    const char* defaultName;
};

inline CharacterKeys characterKeys(Who who) {
    if (who == Who::First) {
        return {keys::kLastCharacter, keys::kCharHide, keys::kEffects1, "max"};
    }
    return {keys::kLastCharacter2, keys::kCharHide2, keys::kEffects2, "plany"};
}

}  // namespace horalia::core

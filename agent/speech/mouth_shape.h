// The mouth shapes a character's frames carry, and which one to show for each sound espeak-ng makes.
#pragma once

#include <string_view>

namespace agent::speech {

// In the order the character format numbers its mouth overlays.
enum class MouthShape { Closed, Wide1, Wide2, Wide3, Wide4, Medium, Narrow };

// The shape for one espeak-ng phoneme mnemonic ("aI", "m", "u:", "_:"). Unknown sounds get a half-open mouth
// so the character never freezes on speech it cannot place; silence and lip sounds close it.
MouthShape mouthShapeForPhoneme(std::string_view phoneme);

const char* mouthShapeName(MouthShape shape);

}  // namespace agent::speech

// Turns an animation file into a whole character: every key expanded into frames, every frame drawn by the
// character's figure, reduced to palette indices, cropped, shared when two frames draw the same picture, and
// given the seven speaking mouths as overlays.
#pragma once

#include "agent/format/character_data.h"
#include "anim_file.h"

namespace art {

struct BuildStats {
    int frames = 0;
    int images = 0;
    int overlays = 0;
};

bool buildCharacter(const CharacterSource& source, agent::format::CharacterData* out, BuildStats* stats,
                    QString* error);

}  // namespace art

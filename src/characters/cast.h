// The two characters of the clock: the engine controls they live in, the character objects and their names.
#pragma once

#include <QString>

#include <array>

#include "agent/character.h"
#include "agent/control.h"
#include "src/core/who.h"

namespace horalia::characters {

struct Cast {
    struct Member {
        agent::Control* control = nullptr;
        // nullptr while the character is not loaded: requests to it then have no effect.
        agent::Character* character = nullptr;
        QString name;
    };

    Member& operator[](core::Who who) { return members[core::slot(who)]; }
    const Member& operator[](core::Who who) const { return members[core::slot(who)]; }

    std::array<Member, 2> members;
};

}  // namespace horalia::characters

// The two characters of the clock: the engine controls they live in, the character objects and their names.
#pragma once

#include <QString>

#include "agent/character.h"
#include "agent/control.h"

namespace horalia::characters {

struct Cast {
    agent::Control* agent1 = nullptr;
    agent::Control* agent2 = nullptr;
    // nullptr while the character is not loaded: requests to it then have no effect.
    agent::Character* character1 = nullptr;
    agent::Character* character2 = nullptr;
    QString name1;
    QString name2;

    // "genie", exactly, is character 1; every other speaker identifier is character 2.
    static bool isCharacter1(const QString& who) { return who == u"genie"; }
    agent::Character* byWho(const QString& who) const { return isCharacter1(who) ? character1 : character2; }
};

}  // namespace horalia::characters

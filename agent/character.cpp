#include "agent/character.h"
#include "agent/served_character.h"

namespace agent {

Character::~Character() = default;
ServedCharacter::~ServedCharacter() = default;

}  // namespace agent

#include "agent/character.h"

namespace agent {

Character::~Character() = default;

}  // namespace agent

#include "agent/engine.h"

namespace agent {

Engine::~Engine() = default;

}  // namespace agent

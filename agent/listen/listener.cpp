#include "agent/listen/listener.h"

namespace agent::listen {

Listener::~Listener() = default;

}  // namespace agent::listen

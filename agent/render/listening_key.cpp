#include "agent/render/listening_key.h"

#include "agent/render/x11_listening_key.h"

namespace agent::render {

ListeningKey::~ListeningKey() = default;

std::unique_ptr<ListeningKey> makeDesktopListeningKey() {
    return std::make_unique<X11ListeningKey>();
}

}  // namespace agent::render

#include "agent/render/unavailable_listener.h"

namespace agent::render {

QString UnavailableListener::unavailableReason() const {
    return QStringLiteral("speech input is not available in this build");
}

void UnavailableListener::start(Mode) {
    emit failed(unavailableReason());
}

std::unique_ptr<listen::Listener> makeUnavailableListener() {
    return std::make_unique<UnavailableListener>();
}

}  // namespace agent::render

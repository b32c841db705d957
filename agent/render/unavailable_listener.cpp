#include "agent/render/unavailable_listener.h"

namespace agent::render {

Status UnavailableListener::available() const {
    return fail(QStringLiteral("speech input is not available in this build"));
}

void UnavailableListener::start(Mode) {
    emit failed(available().error());
}

std::unique_ptr<listen::Listener> makeUnavailableListener() {
    return std::make_unique<UnavailableListener>();
}

}  // namespace agent::render

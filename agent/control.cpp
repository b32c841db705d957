#include "agent/control.h"

namespace agent {

Control::~Control() = default;

void Control::raiseCommand(const UserInput& input) const {
    if (commandHandler_) {
        commandHandler_(input);
    }
}

void Control::raiseDragComplete(const DragEvent& event) const {
    if (dragCompleteHandler_) {
        dragCompleteHandler_(event);
    }
}

}  // namespace agent

// The pause routine of the running desktop: a nested event loop.
#pragma once

#include "src/platform/pause.h"

namespace horalia::platform {

class EventLoopPause : public Pause {
public:
    void pause(int seconds) override;
};

}  // namespace horalia::platform

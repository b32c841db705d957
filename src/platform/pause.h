// The shared pause routine: waits while the program keeps handling its events, so other handlers may run in
// the middle of the one that pauses.
#pragma once

namespace horalia::platform {

class Pause {
public:
    virtual ~Pause() = default;
    // Waits seconds (clamped to 0..255) of the platform clock.
    virtual void pause(int seconds) = 0;
};

}  // namespace horalia::platform

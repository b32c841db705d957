// The running program itself: ending it.
#pragma once

namespace horalia::platform {

class Program {
public:
    virtual ~Program() = default;
    // Ends the program once the current handler returns; every window and both characters go with it.
    virtual void endProgram() = 0;
    virtual bool ending() const = 0;
};

}  // namespace horalia::platform

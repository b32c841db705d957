// Ending the program on the desktop: the event loop ends once the current handler returns.
#pragma once

#include "src/platform/program.h"

namespace horalia::platform {

class QtProgram : public Program {
public:
    void endProgram() override;
    bool ending() const override { return ending_; }

private:
    bool ending_ = false;
};

}  // namespace horalia::platform

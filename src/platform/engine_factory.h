// Makes the character-engine controls (Agent1, Agent2): the desktop engine, the console engine or a fake.
#pragma once

#include <QString>
#include <memory>

#include "agent/control.h"

namespace horalia::platform {

class EngineFactory {
public:
    virtual ~EngineFactory() = default;
    // controlName is the control's name in the program ("Agent1", "Agent2").
    virtual std::unique_ptr<agent::Control> create(const QString& controlName) = 0;
};

}  // namespace horalia::platform

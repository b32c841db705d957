// The desktop engine for the clock's two controls: characters in windows of their own, from the character
// folder, with the engine's options kept beside the program's settings. The engine is a module beside the
// program, loaded when the first character is, so the clock's window is up before the engine's libraries.
#pragma once

#include <memory>

#include "agent/deferred_engine.h"
#include "src/platform/engine_factory.h"

namespace horalia::app {

class DesktopEngineFactory final : public platform::EngineFactory {
public:
    DesktopEngineFactory();
    std::unique_ptr<agent::Control> create(const QString& controlName) override;
    // Loads the engine now rather than with the first character (a failure waits to be told by the first
    // load).
    void prepare();

private:
    std::shared_ptr<agent::DeferredEngine> engine_;
};

}  // namespace horalia::app

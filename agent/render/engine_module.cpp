// The desktop engine as a module (horalia_engine.so): what a program loads when it first wants a character.
#include "agent/engine.h"
#include "agent/render/desktop_engine.h"

namespace {

class ModuleEngine final : public agent::Engine {
public:
    explicit ModuleEngine(std::shared_ptr<agent::render::DesktopEngine> engine)
        : engine_(std::move(engine)) {}
    std::unique_ptr<agent::Control> makeControl() override { return engine_->makeControl(); }

private:
    std::shared_ptr<agent::render::DesktopEngine> engine_;
};

}  // namespace

extern "C" Q_DECL_EXPORT agent::Engine* horaliaDesktopEngine(const QStringList& characterFolders,
                                                             const QString& optionsPath) {
    return new ModuleEngine(agent::render::DesktopEngine::create(characterFolders, optionsPath));
}

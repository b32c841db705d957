#include "agent/deferred_engine.h"

#include <QLibrary>

#include "agent/control.h"

namespace agent {

namespace {

class DeferredControl final : public Control {
public:
    explicit DeferredControl(std::shared_ptr<DeferredEngine> engine) : engine_(std::move(engine)) {}

    Status load(const QString& id, const QString& fileName) override {
        Result<Control*> control = real();
        if (!control) {
            return control.failure();
        }
        return (*control)->load(id, fileName);
    }
    void unload(const QString& id) override {
        if (real_) {
            real_->unload(id);
        }
    }
    Character* item(const QString& id) override { return real_ ? real_->item(id) : nullptr; }
    ServedCharacter* served(const QString& id) override { return real_ ? real_->served(id) : nullptr; }
    QStringList ids() const override { return real_ ? real_->ids() : QStringList(); }
    QString loadedFrom(const QString& id) const override { return real_ ? real_->loadedFrom(id) : QString(); }
    // The engine is made for these: the folders are its own.
    QString locate(const QString& fileName) override {
        Result<Control*> control = real();
        return control ? (*control)->locate(fileName) : fileName;
    }
    QStringList characterFolders() override {
        Result<Control*> control = real();
        return control ? (*control)->characterFolders() : QStringList();
    }
    void showPropertySheet() override {
        if (Result<Control*> control = real()) {
            (*control)->showPropertySheet();
        }
    }

private:
    Result<Control*> real() {
        if (!real_) {
            Result<Engine*> engine = engine_->engine();
            if (!engine) {
                return engine.failure();
            }
            real_ = (*engine)->makeControl();
            real_->setCommandHandler([this](const UserInput& input) { raiseCommand(input); });
            real_->setDragCompleteHandler([this](const DragEvent& event) { raiseDragComplete(event); });
        }
        return real_.get();
    }

    std::shared_ptr<DeferredEngine> engine_;
    std::unique_ptr<Control> real_;  // after engine_: goes before the engine it may hold
};

}  // namespace

std::unique_ptr<Control> DeferredEngine::makeControl() {
    return std::make_unique<DeferredControl>(shared_from_this());
}

Result<Engine*> DeferredEngine::engine() {
    if (!tried_) {
        tried_ = true;
        Result<std::shared_ptr<Engine>> made = make_();
        if (made) {
            engine_ = *made;
        } else {
            failure_ = made.error();
        }
    }
    if (!engine_) {
        return fail(failure_);
    }
    return engine_.get();
}

Result<std::shared_ptr<Engine>> loadDesktopEngine(const QString& moduleFolder,
                                                  const QStringList& characterFolders,
                                                  const QString& optionsPath) {
    // Never unloaded: the engine's threads and windows live as long as the program.
    QLibrary module(moduleFolder + u'/' + QLatin1String(kDesktopEngineModule));
    auto make = reinterpret_cast<MakeDesktopEngine>(module.resolve(kDesktopEngineSymbol));
    if (make == nullptr) {
        return fail(QStringLiteral("the character engine cannot be loaded: %1").arg(module.errorString()));
    }
    return std::shared_ptr<Engine>(make(characterFolders, optionsPath));
}

}  // namespace agent

// An engine made when a character is first wanted rather than when the program starts. Its controls stand in
// for the engine's own until their first use, then pass every call and every event on. When the engine cannot
// be made (its module missing or broken) each load fails saying why, and the rest does nothing.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "agent/engine.h"
#include "agent/result.h"

namespace agent {

class DeferredEngine : public std::enable_shared_from_this<DeferredEngine> {
public:
    using Maker = std::function<Result<std::shared_ptr<Engine>>()>;
    explicit DeferredEngine(Maker make) : make_(std::move(make)) {}

    // A stand-in control, which keeps this alive; the engine is not made yet. Only for an object made with
    // std::make_shared.
    std::unique_ptr<Control> makeControl();
    // The engine, made by the first call (the first call's failure is kept and given again).
    Result<Engine*> engine();

private:
    Maker make_;
    bool tried_ = false;
    std::shared_ptr<Engine> engine_;
    QString failure_;
};

// The desktop engine from its module in moduleFolder.
Result<std::shared_ptr<Engine>> loadDesktopEngine(const QString& moduleFolder,
                                                  const QStringList& characterFolders,
                                                  const QString& optionsPath);

}  // namespace agent

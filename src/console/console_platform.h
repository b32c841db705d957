// The console mode's stand-ins for the clock window, the shell and the engine: each prints what it is asked
// to do.
#pragma once

#include "agent/console/console_control.h"
#include "agent/console/console_sink.h"
#include "src/core/clock_view.h"
#include "src/platform/engine_factory.h"
#include "src/platform/shell.h"

namespace horalia::console {

// frm_clock with no window: prints when it is shown or hidden and when its time label changes.
class ConsoleClockView : public core::ClockView {
public:
    explicit ConsoleClockView(agent::console::Sink& sink) : sink_(sink) {}
    core::GeometryTwips geometryTwips() const override { return geometry_; }
    bool isMinimized() const override { return false; }
    bool isVisible() const override { return visible_; }
    void setVisible(bool visible) override;
    void setTimeText(const QString& text) override;
    void moveTo(double leftTwips, double topTwips) override;
    void setTimeFormat(bool twentyFourHour) override;
    void setColours(std::optional<qint32>, std::optional<qint32>) override {}
    void setSimpleMenus(bool) override {}

private:
    agent::console::Sink& sink_;
    bool visible_ = false;
    core::GeometryTwips geometry_{0, 0, 1680, 525};
};

// Prints each program start; starts it for real only when given a shell to pass it to.
class ConsoleShell : public platform::Shell {
public:
    ConsoleShell(agent::console::Sink& sink, platform::Shell* real) : sink_(sink), real_(real) {}
    using Shell::start;
    agent::Status start(const QString& path, const QStringList& arguments,
                        platform::WindowStyle style) override;

private:
    agent::console::Sink& sink_;
    platform::Shell* real_;
};

class ConsoleEngineFactory : public platform::EngineFactory {
public:
    explicit ConsoleEngineFactory(agent::console::Sink& sink) : sink_(sink) {}
    std::unique_ptr<agent::Control> create(const QString& controlName) override;

private:
    agent::console::Sink& sink_;
};

}  // namespace horalia::console

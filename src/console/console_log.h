// The console mode's output: "HH:MM:SS OBJECT OPERATION ARGS", one line per action, the time being the
// clock's (virtual when previewing).
#pragma once

#include <QTextStream>

#include "agent/console/console_sink.h"
#include "src/platform/clock.h"

namespace horalia::console {

class ConsoleLog : public agent::console::Sink {
public:
    ConsoleLog(platform::Clock& clock, QTextStream& out) : clock_(clock), out_(out) {}
    void line(const QString& object, const QString& operation,
              const QList<agent::console::Arg>& args) override;

private:
    platform::Clock& clock_;
    QTextStream& out_;
};

}  // namespace horalia::console

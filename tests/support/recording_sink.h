// A console engine's sink for tests: every request is kept as a line "Agent1 Speak \"text\"" (the console
// engine's format, without the time).
#pragma once

#include <QStringList>

#include "agent/console/console_sink.h"

namespace testsupport {

class RecordingSink : public agent::console::Sink {
public:
    void line(const QString& object, const QString& operation,
              const QList<agent::console::Arg>& args) override {
        lines.append(agent::console::formatRequest(object, operation, args));
    }
    QStringList lines;
};

}  // namespace testsupport

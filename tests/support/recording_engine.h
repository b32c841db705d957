// A character engine for tests: every request is recorded as a line "Agent1 Speak \"text\"" (the console
// engine's format, without the time), loads can be made to fail, and the user's interactions can be raised.
#pragma once

#include <QSet>
#include <QStringList>

#include "agent/console/console_control.h"
#include "agent/console/console_sink.h"
#include "src/platform/engine_factory.h"

namespace testsupport {

class RecordingSink : public agent::console::Sink {
public:
    void line(const QString& object, const QString& operation,
              const QList<agent::console::Arg>& args) override {
        lines.append(agent::console::formatRequest(object, operation, args));
    }
    // The recorded lines of one object ("Agent1").
    QStringList linesOf(const QString& object) const;
    QStringList lines;
};

class RecordingControl : public agent::console::ConsoleControl {
public:
    RecordingControl(const QString& name, RecordingSink& sink, const QSet<QString>& failingLoads)
        : ConsoleControl(name, sink), failingLoads_(failingLoads) {}
    agent::Status load(const QString& id, const QString& fileName) override;

private:
    const QSet<QString>& failingLoads_;
};

class RecordingEngineFactory : public horalia::platform::EngineFactory {
public:
    std::unique_ptr<agent::Control> create(const QString& controlName) override;
    RecordingSink sink;
    // Characters whose load fails (lower case), for every control made, also those made before.
    QSet<QString> failingLoads;
    QList<RecordingControl*> controls;  // owned by whoever asked for them
};

}  // namespace testsupport

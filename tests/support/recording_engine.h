// A character engine for tests: every request is recorded in a RecordingSink, loads can be made to fail, and
// the user's interactions can be raised.
#pragma once

#include <QSet>
#include <QStringList>

#include "agent/console/console_control.h"
#include "src/platform/engine_factory.h"
#include "tests/support/recording_sink.h"

namespace testsupport {

// Characters that need no file: each is called as its file is named ("max" for "max.acs"), with no
// description and a frame of 128 x 128 pixels.
agent::Result<agent::console::CharacterFacts> namedAfterTheirFiles(const QString& fileName);

class RecordingControl : public agent::console::ConsoleControl {
public:
    RecordingControl(const QString& name, RecordingSink& sink, const QSet<QString>& failingLoads)
        : ConsoleControl(name, sink, namedAfterTheirFiles), failingLoads_(failingLoads) {}
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

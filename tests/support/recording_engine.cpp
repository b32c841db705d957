#include "tests/support/recording_engine.h"

#include <QFileInfo>

namespace testsupport {

agent::Result<agent::console::CharacterFacts> namedAfterTheirFiles(const QString& fileName) {
    return agent::console::CharacterFacts{QFileInfo(fileName).completeBaseName(), {}, 128, 128};
}

agent::Status RecordingControl::load(const QString& id, const QString& fileName) {
    if (failingLoads_.contains(id.toLower())) {
        (void)ConsoleControl::load(QString(), fileName);  // recorded, and fails as an empty id does
        return agent::fail(QStringLiteral("%1: cannot be read").arg(fileName));
    }
    return ConsoleControl::load(id, fileName);
}

std::unique_ptr<agent::Control> RecordingEngineFactory::create(const QString& controlName) {
    auto control = std::make_unique<RecordingControl>(controlName, sink, failingLoads);
    controls.append(control.get());
    return control;
}

}  // namespace testsupport

#include "tests/support/recording_engine.h"

namespace testsupport {

QStringList RecordingSink::linesOf(const QString& object) const {
    QStringList out;
    for (const QString& line : lines) {
        if (line.startsWith(object + u' ')) {
            out.append(line);
        }
    }
    return out;
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

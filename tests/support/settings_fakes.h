// Fakes for the settings dialog: a colour dialog answered from a script.
#pragma once

#include <QList>
#include <optional>

#include "src/platform/colour_chooser.h"

namespace testsupport {

// Like the real dialog it keeps the last chosen colour; a cancel (nullopt, or an empty script) hands that
// back.
class ScriptedColours : public horalia::platform::ColourChooser {
public:
    qint32 choose() override {
        ++opened;
        if (!answers.isEmpty()) {
            if (const std::optional<qint32> answer = answers.takeFirst()) {
                held = *answer;
            }
        }
        return held;
    }
    QList<std::optional<qint32>> answers;
    qint32 held = 0;
    int opened = 0;
};

}  // namespace testsupport

// How the console engine hears: a phrase spoken by our own voice and passed through the recognizer, so the
// whole path of a spoken command runs without a microphone. The voice and the recognizer are made on first
// use.
#pragma once

#include <QList>
#include <QString>
#include <memory>

#include "agent/character.h"
#include "agent/listen/recognition.h"
#include "agent/result.h"

namespace agent::listen {
class Recognizer;
}
namespace agent::speech {
class EspeakSynthesizer;
}

namespace agent::console {

class ConsoleHearing {
public:
    ConsoleHearing();
    ~ConsoleHearing();

    // What the recognizer understands of the phrase among the commands (those enabled and with a phrase).
    // Fails when the voice or the recognizer cannot be had.
    Result<listen::Recognition> hear(const QString& phrase, const QList<Command>& commands);

private:
    std::unique_ptr<speech::EspeakSynthesizer> voice_;
    std::unique_ptr<listen::Recognizer> recognizer_;
};

}  // namespace agent::console

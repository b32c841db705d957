#include "src/app/console_hearing.h"

#include "agent/listen/recognizer.h"
#include "agent/listen/sound_input.h"
#include "agent/listen/spoken_commands.h"
#include "agent/speech/espeak_synthesizer.h"

namespace horalia::app {

ConsoleHearing::ConsoleHearing() = default;
ConsoleHearing::~ConsoleHearing() = default;

std::optional<agent::listen::Recognition> ConsoleHearing::hear(const QString& phrase,
                                                               const QList<agent::Command>& commands,
                                                               QString* error) {
    if (!recognizer_) {
        recognizer_ = agent::listen::Recognizer::create(agent::listen::RecognizerModel::installed(), error);
        if (!recognizer_) {
            return std::nullopt;
        }
        voice_ = std::make_unique<agent::speech::EspeakSynthesizer>();
    }
    QStringList warnings;
    if (!recognizer_->setCommands(agent::listen::spokenCommands(commands), &warnings)) {
        *error = QStringLiteral("no command to listen for");
        return std::nullopt;
    }
    const auto samples = agent::listen::speakForRecognizer(*voice_, phrase, QString(), error);
    if (!samples) {
        return std::nullopt;
    }
    return recognizer_->recognize(*samples);
}

}  // namespace horalia::app

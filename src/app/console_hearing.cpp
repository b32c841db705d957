#include "src/app/console_hearing.h"

#include "agent/listen/recognizer.h"
#include "agent/listen/sound_input.h"
#include "agent/listen/spoken_commands.h"
#include "agent/speech/espeak_synthesizer.h"

namespace horalia::app {

ConsoleHearing::ConsoleHearing() = default;
ConsoleHearing::~ConsoleHearing() = default;

agent::Result<agent::listen::Recognition> ConsoleHearing::hear(const QString& phrase,
                                                               const QList<agent::Command>& commands) {
    if (!recognizer_) {
        auto created = agent::listen::Recognizer::create(agent::listen::RecognizerModel::installed());
        if (!created) {
            return created.failure();
        }
        recognizer_ = *std::move(created);
        voice_ = std::make_unique<agent::speech::EspeakSynthesizer>();
    }
    QStringList warnings;
    if (!recognizer_->setCommands(agent::listen::spokenCommands(commands), &warnings)) {
        return agent::fail(QStringLiteral("no command to listen for"));
    }
    const auto samples = agent::listen::speakForRecognizer(*voice_, phrase, QString());
    if (!samples) {
        return samples.failure();
    }
    return recognizer_->recognize(*samples);
}

}  // namespace horalia::app

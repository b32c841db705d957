#include "agent/console/console_hearing.h"

#include "agent/listen/recognizer.h"
#include "agent/listen/sound_input.h"
#include "agent/listen/spoken_commands.h"
#include "agent/speech/espeak_synthesizer.h"

namespace agent::console {

ConsoleHearing::ConsoleHearing() = default;
ConsoleHearing::~ConsoleHearing() = default;

Result<listen::Recognition> ConsoleHearing::hear(const QString& phrase, const QList<Command>& commands) {
    if (!recognizer_) {
        auto created = listen::Recognizer::create(listen::RecognizerModel::installed());
        if (!created) {
            return created.failure();
        }
        recognizer_ = *std::move(created);
        voice_ = std::make_unique<speech::EspeakSynthesizer>();
    }
    QStringList warnings;
    if (!recognizer_->setCommands(listen::spokenCommands(commands), &warnings)) {
        return fail(QStringLiteral("no command to listen for"));
    }
    const auto samples = listen::speakForRecognizer(*voice_, phrase, QString());
    if (!samples) {
        return samples.failure();
    }
    return recognizer_->recognize(*samples);
}

}  // namespace agent::console

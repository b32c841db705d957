// The playing half of agentsay, a module that agentsay loads only when a text is to be heard: it brings in
// Qt Multimedia and the sound server's client, which writing a WAV file or printing the timeline has no use
// for. Runs in agentsay's application object and returns when the speech has been played.
#include <QCoreApplication>
#include <QTextStream>

#include "agent/speech/agentsay/player.h"
#include "agent/speech/audio_output.h"
#include "agent/speech/monotonic_clock.h"
#include "agent/speech/speech_player.h"

using namespace agent::speech;

extern "C" Q_DECL_EXPORT int agentsayPlay(Utterance* utterance) {
    SinkOutput output;
    SteadyClock clock;
    SpeechPlayer player(output, clock);
    QObject::connect(&player, &SpeechPlayer::finished, QCoreApplication::instance(),
                     [] { QCoreApplication::quit(); });
    player.play(std::make_shared<const Utterance>(std::move(*utterance)));
    if (player.isSilent()) {
        QTextStream err(stderr);
        err << "agentsay: no sound server; running silently for the length of the speech\n";
        err.flush();
    }
    if (player.isPlaying()) {
        QCoreApplication::exec();
    }
    return 0;
}

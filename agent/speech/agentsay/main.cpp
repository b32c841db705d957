// agentsay: speaks a text the way a character would (speech tags allowed), or writes it to a WAV file, and
// shows the word and mouth-shape timeline the balloon and the character follow.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibrary>
#include <QTextStream>
#include <climits>
#include <cstdio>

#include "agent/speech/agentsay/player.h"
#include "agent/speech/espeak_synthesizer.h"
#include "agent/speech/speech_tag_parser.h"
#include "agent/speech/wav_file.h"

using namespace agent::speech;
using agent::Result;
using agent::Status;

namespace {

void printTimeline(const Utterance& u, QTextStream& out) {
    size_t w = 0;
    size_t m = 0;
    size_t b = 0;
    while (w < u.words.size() || m < u.mouths.size() || b < u.bookmarks.size()) {
        const int wordMs = w < u.words.size() ? u.words[w].ms : INT_MAX;
        const int markMs = b < u.bookmarks.size() ? u.bookmarks[b].ms : INT_MAX;
        const int mouthMs = m < u.mouths.size() ? u.mouths[m].ms : INT_MAX;
        if (wordMs <= markMs && wordMs <= mouthMs) {
            const WordTiming& word = u.words[w++];
            out << QStringLiteral("%1 word  \"%2\" balloon \"%3\"\n")
                       .arg(word.ms, 6)
                       .arg(u.spokenText.mid(word.spokenStart, word.spokenLength),
                            u.shownText.left(word.shownEnd));
        } else if (markMs <= mouthMs) {
            out << QStringLiteral("%1 mark  %2\n").arg(markMs, 6).arg(u.bookmarks[b++].id);
        } else {
            out << QStringLiteral("%1 mouth %2\n").arg(mouthMs, 6).arg(mouthShapeName(u.mouths[m++].shape));
        }
    }
    out << QStringLiteral("%1 end\n").arg(u.durationMs(), 6);
    out.flush();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("agentsay"));
    QCommandLineParser cli;
    cli.setApplicationDescription(QStringLiteral("Speaks a text with the character engine's voice."));
    cli.addHelpOption();
    cli.addOption({QStringLiteral("voice"), QStringLiteral("espeak-ng voice, e.g. en-us or en-gb+f3."),
                   QStringLiteral("V")});
    cli.addOption({QStringLiteral("wav"), QStringLiteral("Write the speech to FILE instead of playing it."),
                   QStringLiteral("FILE")});
    cli.addOption({QStringLiteral("timeline"), QStringLiteral("Print the word and mouth-shape timeline.")});
    cli.addPositionalArgument(QStringLiteral("TEXT"),
                              QStringLiteral("What to say; speech tags are allowed."));
    cli.process(app);

    QTextStream err(stderr);
    const QString text = cli.positionalArguments().join(u' ');
    if (text.isEmpty()) {
        err << "agentsay: nothing to say\n" << cli.helpText();
        return 2;
    }
    VoiceChoice voice;
    voice.name = cli.value(QStringLiteral("voice"));
    EspeakSynthesizer synthesizer;
    Result<Utterance> utterance = synthesizer.synthesize(SpeechTagParser().parse(text), voice);
    if (!utterance) {
        err << "agentsay: " << utterance.error() << "\n";
        return 1;
    }
    if (cli.isSet(QStringLiteral("timeline"))) {
        QTextStream out(stdout);
        printTimeline(*utterance, out);
    }
    if (cli.isSet(QStringLiteral("wav"))) {
        if (const Status written = writeWav(cli.value(QStringLiteral("wav")), *utterance); !written) {
            err << "agentsay: " << written.error() << "\n";
            return 1;
        }
        return 0;
    }

    // Heard: the player module beside this program does it, so that only this path loads the audio libraries.
    QLibrary module(QCoreApplication::applicationDirPath() + u'/' + QLatin1String(kAgentsayPlayModule));
    auto play = reinterpret_cast<AgentsayPlay>(module.resolve(kAgentsayPlaySymbol));
    if (play == nullptr) {
        err << "agentsay: cannot play: " << module.errorString() << "\n";
        return 1;
    }
    return play(&*utterance);
}

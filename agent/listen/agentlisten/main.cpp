// agentlisten: recognizes sound files, phrases spoken by our own voice, or the microphone against a list of
// commands' phrases, and prints what it understood with what confidence. Given recordings with the commands
// said in them, it counts how many were understood. For testing a microphone, the model, and for scripts.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <QTimer>

#include "agent/listen/measurement.h"
#include "agent/listen/microphone_listener.h"
#include "agent/listen/recognizer.h"
#include "agent/listen/sound_input.h"
#include "agent/speech/espeak_synthesizer.h"

using namespace agent::listen;

namespace {

// "Name=Phrase", or a phrase alone that names itself.
VoiceCommand commandFrom(const QString& text) {
    const qsizetype eq = text.indexOf(u'=');
    if (eq > 0) {
        return {text.left(eq).trimmed(), text.mid(eq + 1)};
    }
    return {text.trimmed(), text};
}

QString describe(const Recognition& r) {
    return QStringLiteral("%1\t%2\t%3\t%4")
        .arg(r.accepted() ? r.command : QStringLiteral("-"))
        .arg(r.confidence, 0, 'f', 2)
        .arg(r.words, r.alternatives.join(u','));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("agentlisten"));
    QCommandLineParser cli;
    cli.setApplicationDescription(QStringLiteral(
        "Recognizes spoken commands. Each line printed: the input, the command understood (- for "
        "none), the confidence, the words heard and the commands that came close."));
    cli.addHelpOption();
    cli.addOption({QStringLiteral("command"),
                   QStringLiteral("A command, as NAME=PHRASE or PHRASE, e.g. \"Date=What is the [date]?\". "
                                  "May be given many times."),
                   QStringLiteral("C")});
    cli.addOption({QStringLiteral("commands"), QStringLiteral("Read the commands from FILE, one a line."),
                   QStringLiteral("FILE")});
    cli.addOption({QStringLiteral("say"),
                   QStringLiteral("Recognize TEXT spoken by our own voice instead of a file (speech tags "
                                  "allowed). May be given many times."),
                   QStringLiteral("TEXT")});
    cli.addOption({QStringLiteral("voice"), QStringLiteral("The espeak-ng voice for --say, e.g. en-gb+f3."),
                   QStringLiteral("V")});
    cli.addOption({QStringLiteral("threshold"),
                   QStringLiteral("The confidence (0 to 1) below which nothing is understood; 0.5."),
                   QStringLiteral("T"), QStringLiteral("0.5")});
    cli.addOption(
        {QStringLiteral("grammar"), QStringLiteral("Print the JSGF grammar made of the commands.")});
    cli.addOption(
        {QStringLiteral("expected"),
         QStringLiteral("Recognize the recordings LIST names, one a line: a sound file, a tab and the "
                        "command said in it (- for speech that is no command); print what became "
                        "of each and the shares understood, refused and mistaken."),
         QStringLiteral("LIST")});
    cli.addOption({QStringLiteral("decoder"),
                   QStringLiteral("PocketSphinx's own options after the recognizer's, e.g. "
                                  "--decoder=\"-frate 100\"."),
                   QStringLiteral("OPTIONS")});
    cli.addPositionalArgument(QStringLiteral("SOUND"),
                              QStringLiteral("Sound files to recognize (WAV, FLAC, Ogg, or .raw: 16 kHz "
                                             "16-bit mono); with none, no --say and no --expected, the "
                                             "microphone (one utterance, ended by silence)."));
    cli.process(app);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QList<VoiceCommand> commands;
    for (const QString& text : cli.values(QStringLiteral("command"))) {
        commands << commandFrom(text);
    }
    if (cli.isSet(QStringLiteral("commands"))) {
        QFile file(cli.value(QStringLiteral("commands")));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            err << "agentlisten: " << file.fileName() << ": " << file.errorString() << "\n";
            return 2;
        }
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
            if (!line.trimmed().isEmpty() && !line.startsWith(u'#')) {
                commands << commandFrom(line);
            }
        }
    }
    if (commands.isEmpty()) {
        err << "agentlisten: no commands to listen for (--command or --commands)\n";
        return 2;
    }
    bool ok = false;
    const double threshold = cli.value(QStringLiteral("threshold")).toDouble(&ok);
    if (!ok || threshold < 0 || threshold > 1) {
        err << "agentlisten: the threshold is a number from 0 to 1\n";
        return 2;
    }

    QList<Expectation> recordings;
    for (const QString& path : cli.positionalArguments()) {
        recordings.append({path, QString()});
    }
    const bool measuring = cli.isSet(QStringLiteral("expected"));
    if (measuring) {
        agent::Result<QList<Expectation>> listed = readExpectations(cli.value(QStringLiteral("expected")));
        if (!listed) {
            err << "agentlisten: " << listed.error() << "\n";
            return 2;
        }
        recordings += *listed;
    }
    const QStringList phrases = cli.values(QStringLiteral("say"));
    if (recordings.isEmpty() && phrases.isEmpty() && !measuring) {
        MicrophoneListener listener;
        if (const agent::Status can = listener.available(); !can) {
            err << "agentlisten: " << can.error() << "\n";
            return 1;
        }
        QObject::connect(&listener, &Listener::warning, &app, [&err](const QString& m) {
            err << "agentlisten: " << m << "\n";
            err.flush();
        });
        QObject::connect(&listener, &Listener::failed, &app, [&err](const QString& m) {
            err << "agentlisten: " << m << "\n";
            QCoreApplication::exit(1);
        });
        QObject::connect(&listener, &Listener::hearing, &app, [&err](bool speech) {
            err << (speech ? "(hearing)\n" : "(quiet)\n");
            err.flush();
        });
        QObject::connect(&listener, &Listener::finished, &app, [&out](const Recognition& r) {
            out << "microphone\t" << describe(r) << "\n";
            out.flush();
            QCoreApplication::exit(r.accepted() ? 0 : 3);
        });
        listener.setCommands(commands);
        listener.setThreshold(threshold);
        err << "agentlisten: listening, speak now\n";
        err.flush();
        listener.start(Listener::Mode::UntilSilence);
        return app.exec();
    }

    RecognizerTuning tuning;
    tuning.decoderOptions = cli.value(QStringLiteral("decoder")).split(u' ', Qt::SkipEmptyParts);
    agent::Result<std::unique_ptr<Recognizer>> created =
        Recognizer::create(RecognizerModel::installed(), tuning);
    if (!created) {
        err << "agentlisten: " << created.error() << "\n";
        return 1;
    }
    const std::unique_ptr<Recognizer> recognizer = *std::move(created);
    QStringList warnings;
    const agent::Status listening = recognizer->setCommands(commands, &warnings);
    for (const QString& warning : std::as_const(warnings)) {
        err << "agentlisten: " << warning << "\n";
    }
    if (!listening) {
        err << "agentlisten: " << listening.error() << "\n";
        return 1;
    }
    recognizer->setThreshold(threshold);
    if (cli.isSet(QStringLiteral("grammar"))) {
        out << recognizer->grammar();
    }
    int failures = 0;
    Tally tally;
    for (const auto& [path, expected] : std::as_const(recordings)) {
        const agent::Result<std::vector<std::int16_t>> samples = readSoundForRecognizer(path);
        if (!samples) {
            err << "agentlisten: " << samples.error() << "\n";
            ++failures;
            continue;
        }
        const Recognition r = recognizer->recognize(*samples);
        out << path << "\t" << describe(r);
        if (measuring) {
            out << "\t" << (expected.isEmpty() ? QStringLiteral("-") : expected) << "\t"
                << tally.add(expected, r);
        }
        out << "\n";
    }
    if (measuring) {
        out << tally.summary() << "\n";
    }
    agent::speech::EspeakSynthesizer synthesizer;
    for (const QString& phrase : phrases) {
        const agent::Result<std::vector<std::int16_t>> samples =
            speakForRecognizer(synthesizer, phrase, cli.value(QStringLiteral("voice")));
        if (!samples) {
            err << "agentlisten: " << samples.error() << "\n";
            ++failures;
            continue;
        }
        out << phrase << "\t" << describe(recognizer->recognize(*samples)) << "\n";
    }
    return failures == 0 ? 0 : 1;
}

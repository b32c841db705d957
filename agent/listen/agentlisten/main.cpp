// agentlisten: recognizes sound files, phrases spoken by our own voice, or the microphone against a list of
// commands' phrases, and prints what it understood with what confidence. Given recordings with the commands
// said in them, it counts how many were understood. For testing a microphone, the model, and for scripts.
#include <sys/resource.h>
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

// What the command line asks for.
struct Options {
    QList<VoiceCommand> commands;
    double threshold = 0.5;
    // The sound files to recognize, with the commands said in them when measuring.
    QList<Expectation> recordings;
    bool measuring = false;
    QStringList phrases;
    QString voice;
    QStringList decoderOptions;
    bool grammar = false;
};

// Exits on --help; fails, saying why, on options that cannot be used.
agent::Result<Options> parseOptions(const QCoreApplication& app) {
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

    Options options;
    for (const QString& text : cli.values(QStringLiteral("command"))) {
        options.commands << commandFrom(text);
    }
    if (cli.isSet(QStringLiteral("commands"))) {
        QFile file(cli.value(QStringLiteral("commands")));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            return agent::fail(file.fileName() + QStringLiteral(": ") + file.errorString());
        }
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
            if (!line.trimmed().isEmpty() && !line.startsWith(u'#')) {
                options.commands << commandFrom(line);
            }
        }
    }
    if (options.commands.isEmpty()) {
        return agent::fail(QStringLiteral("no commands to listen for (--command or --commands)"));
    }
    bool ok = false;
    options.threshold = cli.value(QStringLiteral("threshold")).toDouble(&ok);
    if (!ok || options.threshold < 0 || options.threshold > 1) {
        return agent::fail(QStringLiteral("the threshold is a number from 0 to 1"));
    }

    for (const QString& path : cli.positionalArguments()) {
        options.recordings.append({path, QString()});
    }
    options.measuring = cli.isSet(QStringLiteral("expected"));
    if (options.measuring) {
        agent::Result<QList<Expectation>> listed = readExpectations(cli.value(QStringLiteral("expected")));
        if (!listed) {
            return listed.failure();
        }
        options.recordings += *listed;
    }
    options.phrases = cli.values(QStringLiteral("say"));
    options.voice = cli.value(QStringLiteral("voice"));
    options.decoderOptions = cli.value(QStringLiteral("decoder")).split(u' ', Qt::SkipEmptyParts);
    options.grammar = cli.isSet(QStringLiteral("grammar"));
    return options;
}

// One utterance from the microphone, ended by silence; the exit code says whether a command was understood.
int listenToMicrophone(QCoreApplication& app, const Options& options, QTextStream& out, QTextStream& err) {
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
    listener.setCommands(options.commands);
    listener.setThreshold(options.threshold);
    err << "agentlisten: listening, speak now\n";
    err.flush();
    listener.start(Listener::Mode::UntilSilence);
    return app.exec();
}

// The recognizer for the commands; what it warns of in them goes to `err`.
agent::Result<std::unique_ptr<Recognizer>> makeRecognizer(const Options& options, QTextStream& err) {
    RecognizerTuning tuning;
    tuning.decoderOptions = options.decoderOptions;
    agent::Result<std::unique_ptr<Recognizer>> created =
        Recognizer::create(RecognizerModel::installed(), tuning);
    if (!created) {
        return created.failure();
    }
    std::unique_ptr<Recognizer> recognizer = *std::move(created);
    QStringList warnings;
    const agent::Status listening = recognizer->setCommands(options.commands, &warnings);
    for (const QString& warning : std::as_const(warnings)) {
        err << "agentlisten: " << warning << "\n";
    }
    if (!listening) {
        return listening.failure();
    }
    recognizer->setThreshold(options.threshold);
    return recognizer;
}

// The processor time the recognizer spends on the sound it is given, against the sound's length: what a
// command set costs while listening.
class DecodingCost {
public:
    Recognition recognize(Recognizer& recognizer, std::span<const std::int16_t> samples) {
        const double before = threadSeconds();
        Recognition r = recognizer.recognize(samples);
        processor_ += threadSeconds() - before;
        sound_ += double(samples.size()) / Recognizer::kSampleRate;
        return r;
    }
    QString summary() const {
        return QStringLiteral("processor time %1 s for %2 s of sound: %3 s a second")
            .arg(processor_, 0, 'f', 2)
            .arg(sound_, 0, 'f', 1)
            .arg(sound_ > 0 ? processor_ / sound_ : 0.0, 0, 'f', 3);
    }

private:
    static double threadSeconds() {
        rusage used{};
        getrusage(RUSAGE_THREAD, &used);
        return double(used.ru_utime.tv_sec + used.ru_stime.tv_sec) +
               double(used.ru_utime.tv_usec + used.ru_stime.tv_usec) / 1e6;
    }
    double processor_ = 0;
    double sound_ = 0;
};

// Prints what became of each recording, and when measuring the shares; gives the number that could not be
// read.
int recognizeRecordings(Recognizer& recognizer, const Options& options, QTextStream& out, QTextStream& err) {
    int failures = 0;
    Tally tally;
    DecodingCost cost;
    for (const auto& [path, expected] : std::as_const(options.recordings)) {
        const agent::Result<std::vector<std::int16_t>> samples = readSoundForRecognizer(path);
        if (!samples) {
            err << "agentlisten: " << samples.error() << "\n";
            ++failures;
            continue;
        }
        const Recognition r = cost.recognize(recognizer, *samples);
        out << path << "\t" << describe(r);
        if (options.measuring) {
            out << "\t" << (expected.isEmpty() ? QStringLiteral("-") : expected) << "\t"
                << tally.add(expected, r);
        }
        out << "\n";
    }
    if (options.measuring) {
        out << tally.summary() << "\n";
    }
    if (!options.recordings.isEmpty()) {
        out << cost.summary() << "\n";
    }
    return failures;
}

// Prints what became of each phrase spoken by our own voice; gives the number that could not be spoken.
int recognizePhrases(Recognizer& recognizer, const Options& options, QTextStream& out, QTextStream& err) {
    int failures = 0;
    agent::speech::EspeakSynthesizer synthesizer;
    for (const QString& phrase : options.phrases) {
        const agent::Result<std::vector<std::int16_t>> samples =
            speakForRecognizer(synthesizer, phrase, options.voice);
        if (!samples) {
            err << "agentlisten: " << samples.error() << "\n";
            ++failures;
            continue;
        }
        out << phrase << "\t" << describe(recognizer.recognize(*samples)) << "\n";
    }
    return failures;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("agentlisten"));
    const agent::Result<Options> options = parseOptions(app);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!options) {
        err << "agentlisten: " << options.error() << "\n";
        return 2;
    }
    if (options->recordings.isEmpty() && options->phrases.isEmpty() && !options->measuring) {
        return listenToMicrophone(app, *options, out, err);
    }

    const agent::Result<std::unique_ptr<Recognizer>> recognizer = makeRecognizer(*options, err);
    if (!recognizer) {
        err << "agentlisten: " << recognizer.error() << "\n";
        return 1;
    }
    if (options->grammar) {
        out << (*recognizer)->grammar();
    }
    int failures = recognizeRecordings(**recognizer, *options, out, err);
    failures += recognizePhrases(**recognizer, *options, out, err);
    return failures == 0 ? 0 : 1;
}

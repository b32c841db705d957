// agentlisten: recognizes WAV files, phrases spoken by our own voice, or the microphone against a list of
// commands' phrases, and prints what it understood with what confidence. For testing a microphone and for
// scripts.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <QTimer>

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
    cli.addPositionalArgument(QStringLiteral("WAV"),
                              QStringLiteral("Sound files to recognize; with none and no --say, the "
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

    const QStringList files = cli.positionalArguments();
    const QStringList phrases = cli.values(QStringLiteral("say"));
    if (files.isEmpty() && phrases.isEmpty()) {
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

    agent::Result<std::unique_ptr<Recognizer>> created = Recognizer::create(RecognizerModel::installed());
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
    for (const QString& path : files) {
        const agent::Result<std::vector<std::int16_t>> samples = readWavForRecognizer(path);
        if (!samples) {
            err << "agentlisten: " << samples.error() << "\n";
            ++failures;
            continue;
        }
        out << path << "\t" << describe(recognizer->recognize(*samples)) << "\n";
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

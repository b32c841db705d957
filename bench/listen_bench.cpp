// Spoken commands: how long from the end of an utterance to the command being known, for a command about a
// second long, through the same path the program takes (resampled sound handed to the recognition thread, the
// result signalled back to the user-interface thread); and the memory the recognizer adds. Prints its own
// figures (it takes no Google Benchmark options).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <algorithm>
#include <cstdio>

#include "agent/listen/microphone_listener.h"
#include "agent/listen/sound_input.h"
#include "agent/speech/espeak_synthesizer.h"

using namespace agent::listen;

namespace {

qint64 residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toLongLong();
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (const agent::Status complete = RecognizerModel::installed().complete(); !complete) {
        std::printf("skipped: %s\n", qPrintable(complete.error()));
        return 0;
    }
    agent::speech::EspeakSynthesizer voice;
    const auto samples = speakForRecognizer(voice, QStringLiteral("what is the date"), QString());
    if (!samples) {
        std::printf("no voice: %s\n", qPrintable(samples.error()));
        return 1;
    }
    const double seconds = double(samples->size()) / Recognizer::kSampleRate;

    const qint64 before = residentKb();
    MicrophoneListener listener;
    listener.setCommands({{"Properties", "[Character] Properties"},
                          {"Introduce", "(Introduction | Introduce)"},
                          {"default", "[Move Me]Home "},
                          {"Date", "What is the [date]?"},
                          {"Shut", "tell [Shut Up]"},
                          {"Future", "[Future]"},
                          {"exit", "[Exit] horalia"}});
    Recognition last;
    QEventLoop loop;
    QObject::connect(&listener, &Listener::finished, &loop, [&](const Recognition& r) {
        last = r;
        loop.quit();
    });
    // The first one also waits for the model to load.
    QElapsedTimer timer;
    timer.start();
    listener.recognizeSamples(*samples);
    loop.exec();
    const qint64 firstMs = timer.elapsed();
    const qint64 after = residentKb();

    std::vector<double> times;
    for (int i = 0; i < 20; ++i) {
        timer.start();
        listener.recognizeSamples(*samples);
        loop.exec();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("utterance \"what is the date\": %.2f s of sound, understood as %s (%.2f)\n", seconds,
                qPrintable(last.command.isEmpty() ? QStringLiteral("nothing") : last.command),
                last.confidence);
    std::printf(
        "end of utterance to command: median %.1f ms, slowest %.1f ms of 20 (first, with the model "
        "loading: %lld ms)\n",
        times[times.size() / 2], times.back(), firstMs);
    std::printf("memory the recognizer adds: %lld KiB resident (%lld before, %lld after)\n", after - before,
                before, after);
    return 0;
}

// Speech benchmarks: from Speak to the first sample handed to the sound output, synthesis speed as a
// real-time factor, and the first statement after start-up, for sentences the clock speaks.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <chrono>

#include "agent/speech/espeak_synthesizer.h"
#include "agent/speech/speaker.h"
#include "agent/speech/speech_tag_parser.h"

using namespace agent::speech;

namespace {

const char* const kSentences[] = {
    "The time is 15 minutes past 10",
    R"(\Chr="Whisper"\The time is 15 minutes past 10)",
    "It is 12 o'clock. Time for lunch!",
    R"(Good morning! \Pau=300\It is 7 o'clock and the alarm says: \emp\wake up.)",
};

// Remembers when the first sample arrived and plays nothing, so only our own pipeline is timed.
class FirstSampleOutput final : public AudioOutput {
public:
    bool started = false;
    agent::Status start(std::shared_ptr<const std::vector<std::int16_t>>, int) override {
        started = true;
        return agent::fail(QStringLiteral("plays nothing"));
    }
    void stop() override {}
    std::optional<qint64> playedMs() const override { return std::nullopt; }
    bool drained() const override { return false; }
};

class NoClock final : public MonotonicClock {
public:
    qint64 nowMs() const override { return 0; }
};

// Speak() on the interface thread to the first sample reaching the output: parse, queue to the speech thread,
// synthesize, hand back, start.
void BM_SpeakToFirstSample(benchmark::State& state) {
    const QString text = QString::fromUtf8(kSentences[state.range(0)]);
    state.SetLabel(text.left(40).toStdString());
    SpeechThread thread;
    FirstSampleOutput output;
    NoClock clock;
    Speaker speaker(thread, output, clock);
    for (auto _ : state) {
        output.started = false;
        speaker.speak(text);
        while (!output.started) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        state.PauseTiming();
        speaker.stop();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SpeakToFirstSample)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();

// Synthesis time over the length of the speech it makes: 0.01 means a second of speech in 10 ms.
void BM_RealTimeFactor(benchmark::State& state) {
    const QString text = QString::fromUtf8(kSentences[state.range(0)]);
    state.SetLabel(text.left(40).toStdString());
    SpeechTagParser parser;
    const SpeechText parsed = parser.parse(text);
    EspeakSynthesizer synthesizer;
    double audioSeconds = 0;
    double synthSeconds = 0;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        auto u = synthesizer.synthesize(parsed, {});
        synthSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        if (!u) {
            state.SkipWithError(u.error().toStdString().c_str());
            return;
        }
        audioSeconds += u->durationMs() / 1000.0;
        benchmark::DoNotOptimize(u->samples.data());
    }
    state.counters["rtf"] = audioSeconds > 0 ? synthSeconds / audioSeconds : 0;
    state.counters["speech_ms"] = audioSeconds * 1000.0 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RealTimeFactor)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The first statement of a process: espeak-ng loads its data and the voice. Switching the data folder between
// two names of the same folder forces that load on every iteration.
void BM_FirstStatementAfterStart(benchmark::State& state) {
    const QString installed = QStringLiteral("/usr/lib/x86_64-linux-gnu/espeak-ng-data");
    EspeakSynthesizer byDefault;
    EspeakSynthesizer byPath(installed);
    const SpeechText parsed = SpeechTagParser().parse(QString::fromUtf8(kSentences[0]));
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        auto u = (flip ? byPath : byDefault).synthesize(parsed, {});
        if (!u) {
            state.SkipWithError(u.error().toStdString().c_str());
            return;
        }
        benchmark::DoNotOptimize(u->samples.data());
    }
}
BENCHMARK(BM_FirstStatementAfterStart)->Unit(benchmark::kMillisecond);

}  // namespace

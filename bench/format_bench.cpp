// Character file benchmarks: opening a file and drawing its first frame (what showing a character costs),
// parsing alone, decoding every image, and reading the file with every image decoded (version 1.5 beside
// version 2), reported in pixels a second. Single threaded. The files are the
// shared genuine ones; with none found nothing is registered.
#include "agent/format/acs_file.h"
#include "agent/format/frame_composer.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>

#include <algorithm>
#include <string>
#include <vector>

using agent::format::AcsFile;
using agent::format::FrameComposer;

namespace {

QString acsDir() {
    QString root = qEnvironmentVariable("HORALIA_TESTDATA");
    if (root.isEmpty()) {
        root = QStringLiteral(HORALIA_DEFAULT_TESTDATA);
    }
    return root + QStringLiteral("/acs");
}

void openAndFirstFrame(benchmark::State& state, const QString& path) {
    for (auto _ : state) {
        AcsFile file;
        if (const agent::Status loaded = file.load(path); !loaded) {
            state.SkipWithError(qPrintable(loaded.error()));
            return;
        }
        FrameComposer composer(file);
        const agent::Result<QImage> frame = composer.compose(0, 0);
        if (!frame) {
            state.SkipWithError(qPrintable(frame.error()));
            return;
        }
        benchmark::DoNotOptimize(frame->constBits());
    }
}

void parse(benchmark::State& state, const QByteArray& bytes) {
    for (auto _ : state) {
        AcsFile file;
        benchmark::DoNotOptimize(file.loadData(bytes).ok());
    }
}

qint64 totalPixels(const AcsFile& file) {
    qint64 pixels = 0;
    for (int i = 0; i < file.imageCount(); ++i) {
        if (const auto img = file.imageInfo(i)) {
            pixels += qint64(img->width) * img->height;
        }
    }
    return pixels;
}

// The decoder alone, into one reused buffer, as stored (bottom-up palette indices).
void decodeIndices(benchmark::State& state, const QByteArray& bytes) {
    AcsFile file;
    (void)file.loadData(bytes);  // registered only for files that load
    std::vector<std::uint8_t> buffer;
    for (int i = 0; i < file.imageCount(); ++i) {
        if (const auto img = file.imageInfo(i)) {
            buffer.resize(std::max<std::size_t>(
                buffer.size(), std::size_t(agent::format::rowStride(img->width)) * img->height));
        }
    }
    for (auto _ : state) {
        for (int i = 0; i < file.imageCount(); ++i) {
            benchmark::DoNotOptimize(file.decodeIndices(i, buffer.data(), buffer.size()).ok());
        }
        benchmark::ClobberMemory();
    }
    const qint64 pixels = totalPixels(file);
    state.counters["Mpx/s"] =
        benchmark::Counter(double(pixels) * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
    state.counters["images"] = double(file.imageCount());
}

// Reading the file and decoding every image, in pixels a second: the figure that compares the two versions,
// as version 1.5 stores its images plain inside compressed streams that the load inflates whole, where
// version 2 compresses each image and decodes it on first use.
void loadAndDecode(benchmark::State& state, const QByteArray& bytes) {
    qint64 pixels = 0;
    std::vector<std::uint8_t> buffer;
    for (auto _ : state) {
        AcsFile file;
        benchmark::DoNotOptimize(file.loadData(bytes).ok());
        pixels = totalPixels(file);
        for (int i = 0; i < file.imageCount(); ++i) {
            const auto img = file.imageInfo(i);
            if (!img) {
                continue;
            }
            buffer.resize(std::max<std::size_t>(
                buffer.size(), std::size_t(agent::format::rowStride(img->width)) * img->height));
            benchmark::DoNotOptimize(file.decodeIndices(i, buffer.data(), buffer.size()).ok());
        }
        benchmark::ClobberMemory();
    }
    state.counters["Mpx/s"] =
        benchmark::Counter(double(pixels) * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

// Decoding through image(): a fresh file each round, so nothing comes from the cache; includes the QImage
// and the turning over of its rows.
void decodeImages(benchmark::State& state, const QByteArray& bytes) {
    qint64 pixels = 0;
    for (auto _ : state) {
        state.PauseTiming();
        AcsFile file;
        benchmark::DoNotOptimize(file.loadData(bytes).ok());
        pixels = totalPixels(file);
        state.ResumeTiming();
        for (int i = 0; i < file.imageCount(); ++i) {
            const agent::Result<QImage> img = file.image(i);
            benchmark::DoNotOptimize(img.ok());
        }
    }
    state.counters["Mpx/s"] =
        benchmark::Counter(double(pixels) * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const QDir dir(acsDir());
    for (const QString& name : dir.entryList({QStringLiteral("*.acs")}, QDir::Files, QDir::Name)) {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray bytes = f.readAll();
        AcsFile probe;
        if (!probe.loadData(bytes)) {
            continue;  // files the reader refuses have nothing to measure
        }
        const std::string n = name.toStdString();
        benchmark::RegisterBenchmark(("OpenAndFirstFrame/" + n).c_str(), openAndFirstFrame, path)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Parse/" + n).c_str(), parse, bytes)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("DecodeIndices/" + n).c_str(), decodeIndices, bytes)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("DecodeImages/" + n).c_str(), decodeImages, bytes)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(
            ("LoadAndDecode/" + std::string(probe.info().majorVersion == 1 ? "v1.5/" : "v2/") + n).c_str(),
            loadAndDecode, bytes)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

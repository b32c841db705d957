// The main of the benchmarks that need Qt's event loop machinery (timers, threads reporting back): an
// application object, then Google Benchmark as usual.
#include <QCoreApplication>
#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Runs a fuzz target over the files named on the command line, without libFuzzer: for reproducing a
// finding in a debugger or under a compiler without the fuzzer runtime.
#include <QFile>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        QFile file(QString::fromLocal8Bit(argv[i]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot open %s\n", argv[i]);
            return 1;
        }
        const QByteArray bytes = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                               std::size_t(bytes.size()));
        std::printf("ran %s (%lld bytes)\n", argv[i], static_cast<long long>(bytes.size()));
    }
    return 0;
}

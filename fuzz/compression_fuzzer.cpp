// Fuzz target for the codec alone: arbitrary bytes decoded into outputs of several sizes must fail or
// succeed without touching memory outside the output, and any bytes compressed must decode to themselves.
#include "agent/format/compression.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (std::size_t outSize : {std::size_t(0), std::size_t(1), size, size * 8 + 3}) {
        // Exactly sized, so that AddressSanitizer sees any write past the end.
        std::vector<std::uint8_t> out(outSize);
        const auto decoded = agent::format::decompress(data, size, out.data(), outSize);
        if (decoded ? *decoded != outSize : decoded.error().isEmpty()) {
            std::abort();  // a success short of the output, or a failure that does not say why
        }
    }
    const QByteArray packed = agent::format::compress(data, size);
    std::vector<std::uint8_t> back(size);
    const auto result = agent::format::decompress(reinterpret_cast<const std::uint8_t*>(packed.constData()),
                                                  std::size_t(packed.size()), back.data(), size);
    if (!result || (size > 0 && std::memcmp(back.data(), data, size) != 0)) {
        std::abort();  // the encoder wrote something the decoder reads differently
    }
    return 0;
}

// The bit-stream codec: round trips through our encoder (the genuine characters' streams are decoded by the
// reading tests), and damaged streams that must end in an error without writing past the output.
#include "agent/format/compression.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <vector>

using agent::format::compress;
using agent::format::decompress;

namespace {

std::vector<std::uint8_t> roundTrip(const std::vector<std::uint8_t>& input) {
    QByteArray packed = compress(input.data(), input.size());
    std::vector<std::uint8_t> out(input.size() + 16, 0xCC);
    auto r = decompress(reinterpret_cast<const std::uint8_t*>(packed.constData()), std::size_t(packed.size()),
                        out.data(), input.size());
    EXPECT_TRUE(r) << r.error().toStdString();
    for (std::size_t i = input.size(); i < out.size(); ++i) {
        EXPECT_EQ(out[i], 0xCC) << "wrote past the output at " << i;
    }
    out.resize(input.size());
    return out;
}

// Every offset class (6, 9, 12 and 20 bits) and lengths at the edges of each length code.
TEST(Compression, RoundTripsEveryOffsetAndLengthClass) {
    QRandomGenerator rng(11);
    for (std::size_t distance : {1u, 2u, 64u, 65u, 576u, 577u, 4672u, 4673u, 70000u}) {
        for (std::size_t length : {2u, 3u, 4u, 5u, 6u, 9u, 4095u, 4096u, 4097u, 9000u}) {
            std::vector<std::uint8_t> data(distance);
            for (auto& b : data) {
                b = std::uint8_t(rng.bounded(256));
            }
            for (std::size_t i = 0; i < length; ++i) {
                data.push_back(data[data.size() - distance]);
            }
            data.push_back(0x5A);
            ASSERT_EQ(roundTrip(data), data) << "distance " << distance << " length " << length;
        }
    }
    EXPECT_TRUE(roundTrip({}).empty());
    EXPECT_EQ(roundTrip({42}), std::vector<std::uint8_t>{42});
}

struct BadStream {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::size_t outSize;
    const char* error;
};

TEST(Compression, RejectsDamagedStreams) {
    const std::vector<BadStream> cases = {
        {"empty", {}, 4, "zero byte"},
        {"no leading zero", {0x01, 0x00}, 1, "zero byte"},
        // A copy as the very first code reaches before the start of the output.
        {"back-reference before the start", {0x00, 0x01, 0x00, 0x00}, 8, "before the start"},
        // One literal, then the stream stops.
        {"truncated", {0x00, 0x00, 0x00}, 8, "ends"},
        // The end code arrives before the output is full.
        {"ends early", {0x00, 0x00, 0xFE, 0xFF, 0xFF, 0x01}, 8, "ends after 1 of 8"},
        // Literal 0, then a copy at distance 1 with a length code of twelve ones.
        {"length code too long", {0x00, 0x00, 0x02, 0xFE, 0x1F, 0x00, 0x00}, 100, "longer than 11"},
        // Literal, then a copy of at least 2,049 bytes into a 10-byte output.
        {"copy overruns the output", {0x00, 0x00, 0x02, 0xFE, 0x0F, 0x00, 0x00}, 10, "overruns"},
    };
    for (const BadStream& c : cases) {
        std::vector<std::uint8_t> out(c.outSize + 8, 0xCC);
        auto r = decompress(c.bytes.data(), c.bytes.size(), out.data(), c.outSize);
        EXPECT_FALSE(r) << c.name;
        EXPECT_TRUE(r.error().contains(QLatin1String(c.error))) << c.name << ": " << r.error().toStdString();
        for (std::size_t i = c.outSize; i < out.size(); ++i) {
            ASSERT_EQ(out[i], 0xCC) << c.name << " wrote past the output";
        }
    }
}

}  // namespace

// Bit-stream codec. The decoder keeps up to 64 bits in a register and checks every read against the bits
// that remain, so a damaged stream ends in an error rather than a read past the input.
#include "agent/format/compression.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <vector>

namespace agent::format {

namespace {

class BitReader {
public:
    BitReader(const std::uint8_t* data, std::size_t size) : p_(data), begin_(data), end_(data + size) {}

    // Makes at least 57 bits available unless the input runs out.
    void refill() {
        if (end_ - p_ >= 8) {
            std::uint64_t v;
            std::memcpy(&v, p_, 8);
            buf_ |= qFromLittleEndian(v) << count_;
            p_ += (63 - count_) >> 3;
            count_ |= 56;
        } else {
            while (count_ <= 56 && p_ < end_) {
                buf_ |= std::uint64_t(*p_++) << count_;
                count_ += 8;
            }
        }
    }
    bool has(int bits) const { return count_ >= bits; }
    std::uint32_t peek(int bits) const { return std::uint32_t(buf_ & ((std::uint64_t(1) << bits) - 1)); }
    void drop(int bits) {
        buf_ >>= bits;
        count_ -= bits;
    }
    std::uint32_t take(int bits) {
        std::uint32_t v = peek(bits);
        drop(bits);
        return v;
    }
    // Number of one bits before the first zero, looking at most `limit` bits ahead (the zero is not
    // consumed).
    int countOnes(int limit) const {
        std::uint64_t inverted = ~buf_;
        int ones = inverted == 0 ? 64 : __builtin_ctzll(inverted);
        return std::min(ones, limit);
    }
    std::size_t bytePosition() const { return std::size_t(p_ - begin_) - std::size_t(count_ / 8); }

private:
    const std::uint8_t* p_;
    const std::uint8_t* begin_;
    const std::uint8_t* end_;
    std::uint64_t buf_ = 0;
    int count_ = 0;
};

[[gnu::noinline, gnu::cold]] Failure failure(const QString& what, const BitReader& bits) {
    // +1 for the leading zero byte, so that the offset counts from the start of the stored data.
    return fail(QStringLiteral("%1 (compressed byte %2)").arg(what).arg(bits.bytePosition() + 1));
}

}  // namespace

Result<std::size_t> decompress(const std::uint8_t* input, std::size_t inputSize, std::uint8_t* out,
                               std::size_t outSize) {
    if (inputSize < 1 || input[0] != 0) {
        return fail(QStringLiteral("compressed data does not start with a zero byte"));
    }
    BitReader bits(input + 1, inputSize - 1);
    std::size_t pos = 0;
    while (pos < outSize) {
        bits.refill();
        // The longest code is 1 + 3 + 20 + 12 + 11 = 47 bits; with that many at hand no read below can fail.
        const bool safe = bits.has(47);
        if (!safe && !bits.has(1)) {
            return failure(QStringLiteral("compressed data ends early"), bits);
        }
        if (bits.take(1) == 0) {
            if (!safe && !bits.has(8)) {
                return failure(QStringLiteral("compressed data ends inside a byte"), bits);
            }
            out[pos++] = std::uint8_t(bits.take(8));
            continue;
        }
        if (!safe && !bits.has(3)) {
            return failure(QStringLiteral("compressed data ends inside a copy"), bits);
        }
        const int prefix = bits.countOnes(3);
        static constexpr int kOffsetBits[4] = {6, 9, 12, 20};
        static constexpr std::uint32_t kOffsetBase[4] = {1, 65, 577, 4673};
        bits.drop(prefix < 3 ? prefix + 1 : 3);
        const int offsetBits = kOffsetBits[prefix];
        if (!safe && !bits.has(offsetBits)) {
            return failure(QStringLiteral("compressed data ends inside a copy offset"), bits);
        }
        const std::uint32_t rawOffset = bits.take(offsetBits);
        std::size_t length = 2;
        if (prefix == 3) {
            if (rawOffset == 0xFFFFF) {
                return failure(
                    QStringLiteral("compressed data ends after %1 of %2 bytes").arg(pos).arg(outSize), bits);
            }
            length = 3;
        }
        const std::size_t offset = rawOffset + kOffsetBase[prefix];
        if (!safe) {
            // Bits past the end read as zero, so a count of ones never runs beyond the input.
            const int ones = bits.countOnes(12);
            if (ones <= 11 && !bits.has(2 * ones + 1)) {
                return failure(QStringLiteral("compressed data ends inside a copy length"), bits);
            }
        }
        const int lengthBits = bits.countOnes(12);
        if (lengthBits > 11) {
            return failure(QStringLiteral("copy length code longer than 11 bits"), bits);
        }
        bits.drop(lengthBits + 1);
        length += ((std::size_t(1) << lengthBits) - 1) + bits.take(lengthBits);

        if (offset > pos) {
            return failure(QStringLiteral("copy reaches %1 bytes back from output byte %2, before the start")
                               .arg(offset)
                               .arg(pos),
                           bits);
        }
        if (length > outSize - pos) {
            return failure(QStringLiteral("copy of %1 bytes at output byte %2 overruns the %3-byte output")
                               .arg(length)
                               .arg(pos)
                               .arg(outSize),
                           bits);
        }
        std::uint8_t* dst = out + pos;
        const std::uint8_t* src = dst - offset;
        if (offset == 1) {
            std::memset(dst, *src, length);
        } else if (offset >= length) {
            std::memcpy(dst, src, length);
        } else {
            // Overlapping copy: each byte may be one written by this same copy.
            for (std::size_t i = 0; i < length; ++i) {
                dst[i] = src[i];
            }
        }
        pos += length;
    }
    return pos;
}

namespace {

class BitWriter {
public:
    void put(std::uint32_t value, int bits) {
        buf_ |= std::uint64_t(value) << count_;
        count_ += bits;
        while (count_ >= 8) {
            out_.push_back(char(buf_ & 0xFF));
            buf_ >>= 8;
            count_ -= 8;
        }
    }
    void ones(int n) {
        for (int i = 0; i < n; ++i) {
            put(1, 1);
        }
    }
    QByteArray finish() {
        if (count_ > 0) {
            put((1u << (8 - count_)) - 1, 8 - count_);
        }
        return std::move(out_);
    }
    void reserve(qsizetype n) { out_.reserve(n); }

private:
    QByteArray out_;
    std::uint64_t buf_ = 0;
    int count_ = 0;
};

constexpr std::size_t kMaxOffset = 4673 + 0xFFFFE;
constexpr std::size_t kMinMatch = 2;

void putCopy(BitWriter& w, std::size_t offset, std::size_t length) {
    w.put(1, 1);
    std::size_t base = 2;
    if (offset <= 64) {
        w.put(0, 1);
        w.put(std::uint32_t(offset - 1), 6);
    } else if (offset <= 576) {
        w.put(0b01, 2);
        w.put(std::uint32_t(offset - 65), 9);
    } else if (offset <= 4672) {
        w.put(0b011, 3);
        w.put(std::uint32_t(offset - 577), 12);
    } else {
        w.put(0b111, 3);
        w.put(std::uint32_t(offset - 4673), 20);
        base = 3;
    }
    // Extra length e is written as n ones, a zero and n bits of e - (2^n - 1), with the smallest n that fits.
    std::size_t extra = length - base;
    int n = 0;
    while (extra > (std::size_t(1) << (n + 1)) - 2) {
        ++n;
    }
    w.ones(n);
    w.put(0, 1);
    w.put(std::uint32_t(extra - ((std::size_t(1) << n) - 1)), n);
}

std::size_t maxLength(std::size_t offset) {
    return (offset > 4672 ? 3 : 2) + 4094;
}

}  // namespace

QByteArray compress(const std::uint8_t* input, std::size_t inputSize) {
    BitWriter w;
    w.reserve(qsizetype(inputSize / 4 + 16));
    w.put(0, 8);
    // A table of about twice the input's size, up to 32K entries: small inputs do not pay for a big one.
    int hashBits = 4;
    while (hashBits < 15 && (std::size_t(1) << hashBits) < inputSize * 2) {
        ++hashBits;
    }
    std::vector<std::int64_t> head(std::size_t(1) << hashBits, -1);
    auto hash = [&](std::size_t i) {
        std::uint32_t v = input[i] | (std::uint32_t(input[i + 1]) << 8) | (std::uint32_t(input[i + 2]) << 16);
        return (v * 2654435761u) >> (32 - hashBits);
    };
    std::size_t pos = 0;
    while (pos < inputSize) {
        std::size_t bestLen = 0;
        std::size_t bestOff = 0;
        // A run of the previous byte.
        if (pos > 0) {
            std::size_t limit = std::min(maxLength(1), inputSize - pos);
            std::size_t len = 0;
            while (len < limit && input[pos + len] == input[pos - 1]) {
                ++len;
            }
            bestLen = len;
            bestOff = 1;
        }
        if (pos + 3 <= inputSize) {
            std::uint32_t h = hash(pos);
            std::int64_t cand = head[h];
            head[h] = std::int64_t(pos);
            if (cand >= 0 && pos - std::size_t(cand) <= kMaxOffset) {
                std::size_t off = pos - std::size_t(cand);
                std::size_t limit = std::min(maxLength(off), inputSize - pos);
                std::size_t len = 0;
                while (len < limit && input[pos + len] == input[std::size_t(cand) + len]) {
                    ++len;
                }
                std::size_t minLen = off > 4672 ? 3 : kMinMatch;
                if (len >= minLen && len > bestLen + 1) {
                    bestLen = len;
                    bestOff = off;
                }
            }
        }
        if (bestLen >= kMinMatch) {
            putCopy(w, bestOff, bestLen);
            // Index a few positions inside the match so later data can refer to it.
            std::size_t end = pos + bestLen;
            for (std::size_t i = pos + 1; i < end && i + 3 <= inputSize && i < pos + 16; ++i) {
                head[hash(i)] = std::int64_t(i);
            }
            pos = end;
        } else {
            w.put(0, 1);
            w.put(input[pos], 8);
            ++pos;
        }
    }
    // The end code: a 20-bit copy whose offset field is all ones, then the customary six bytes of 0xFF.
    w.put(1, 1);
    w.put(0b111, 3);
    w.put(0xFFFFF, 20);
    QByteArray out = w.finish();
    out.append(6, char(0xFF));
    return out;
}

}  // namespace agent::format

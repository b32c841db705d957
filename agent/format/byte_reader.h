// A cursor over untrusted bytes. Every read is checked against the end; the first failure is kept together
// with what was being read and where, and later reads return zeros, so parsing code can read a whole
// structure and test once. What is being read is kept as parts and put into words only when a read fails:
// a genuine file names thousands of frames and images, and building their texts up front cost more than
// reading them.
#pragma once

#include "agent/format/acs_types.h"

#include <QByteArray>
#include <QString>
#include <QtEndian>

#include <cstdint>
#include <cstring>

namespace agent::format {

// The structure being read, in the words of an error message: `what`, the quoted name, the index, then the
// part and the sub-part with their indices, then `where` as it is; parts left empty are left out. For
// example "animation 'Wave' frame 3", "image 12", "animation 'Wave' frame 0 mouth overlay 1 (stream
// 'anim1.aaf', decompressed)". The strings pointed to must outlive the reader's use of this context.
struct ReadContext {
    const char* what = "file";
    const QString* name = nullptr;
    qint64 index = -1;
    const char* part = nullptr;
    qint64 partIndex = -1;
    const char* subPart = nullptr;
    qint64 subPartIndex = -1;
    const QString* where = nullptr;

    QString toString() const {
        QString out = QLatin1String(what);
        if (name != nullptr) {
            out += QStringLiteral(" '") + *name + QLatin1Char('\'');
        }
        auto add = [&out](const char* word, qint64 number) {
            if (word != nullptr) {
                out += QLatin1Char(' ') + QLatin1String(word);
            }
            if (number >= 0) {
                out += QLatin1Char(' ') + QString::number(number);
            }
        };
        add(nullptr, index);
        add(part, partIndex);
        add(subPart, subPartIndex);
        if (where != nullptr) {
            out += *where;
        }
        return out;
    }
};

class ByteReader {
public:
    // `data` is the whole file; reading is limited to [begin, end).
    ByteReader(const QByteArray& data, std::uint64_t begin, std::uint64_t end)
        : data_(reinterpret_cast<const std::uint8_t*>(data.constData())), pos_(begin), end_(end) {}

    bool ok() const { return !failed_; }
    const QString& error() const { return error_; }
    std::uint64_t pos() const { return pos_; }
    std::uint64_t remaining() const { return ok() ? end_ - pos_ : 0; }

    // Names the structure being read, for error messages.
    void setContext(const ReadContext& context) { context_ = context; }
    void setContext(const char* what, qint64 index = -1) {
        context_ = ReadContext{.what = what, .index = index};
    }
    // Kept out of line, as are the other failure paths, so that the checks on the way of every read stay
    // small enough to be inlined.
    [[gnu::noinline, gnu::cold]] void fail(const QString& message) {
        if (ok()) {
            failed_ = true;
            error_ = describe(message);
        }
    }
    // The message as fail() would put it, for damage that the reader can read past.
    [[gnu::noinline, gnu::cold]] QString describe(const QString& message) const {
        return QStringLiteral("%1 at offset %2: %3").arg(context_.toString()).arg(pos_).arg(message);
    }

    [[gnu::always_inline]] std::uint8_t u8() { return std::uint8_t(little<1>()); }
    [[gnu::always_inline]] std::uint16_t u16() { return std::uint16_t(little<2>()); }
    [[gnu::always_inline]] std::uint32_t u32() { return std::uint32_t(little<4>()); }
    std::int16_t s16() { return std::int16_t(u16()); }
    std::int32_t s32() { return std::int32_t(u32()); }

    [[gnu::always_inline]] bool need(std::uint64_t n, const char* what) {
        if (!failed_ && n <= end_ - pos_) [[likely]] {
            return true;
        }
        return missing(n, what);
    }
    void skip(std::uint64_t n) {
        if (need(n, "data")) {
            pos_ += n;
        }
    }
    QByteArray bytes(std::uint64_t n) {
        if (!need(n, "data block")) {
            return {};
        }
        QByteArray out(reinterpret_cast<const char*>(data_ + pos_), qsizetype(n));
        pos_ += n;
        return out;
    }
    Guid guid() {
        Guid g;
        if (need(16, "GUID")) {
            std::memcpy(g.bytes.data(), data_ + pos_, 16);
            pos_ += 16;
        }
        return g;
    }
    // Windows RGBQUAD: blue, green, red, reserved.
    QRgb rgbQuad() {
        const std::uint8_t b = u8();
        const std::uint8_t g = u8();
        const std::uint8_t r = u8();
        u8();
        return qRgb(r, g, b);
    }
    // Windows COLORREF: red, green, blue, reserved.
    QRgb colorRef() {
        const std::uint8_t r = u8();
        const std::uint8_t g = u8();
        const std::uint8_t b = u8();
        u8();
        return qRgb(r, g, b);
    }
    // A count of UTF-16 units, the units, and a terminating zero unless the count is zero.
    QString string(std::uint32_t maxChars) {
        const std::uint32_t count = stringLength(maxChars);
        if (count == 0) {
            return {};
        }
        QString s(qsizetype(count), Qt::Uninitialized);
        qFromLittleEndian<char16_t>(data_ + pos_, qsizetype(count), s.data());
        pos_ += (std::uint64_t(count) + 1) * 2;
        return s;
    }
    // Passes over a string read as string() reads it, for copies of a name that are not kept.
    void skipString(std::uint32_t maxChars) {
        const std::uint32_t count = stringLength(maxChars);
        if (count != 0) {
            pos_ += (std::uint64_t(count) + 1) * 2;
        }
    }
    // A list count, checked so that `count` elements of at least `minSize` bytes fit in what remains.
    std::uint32_t count(std::uint32_t raw, std::uint64_t minSize, std::uint32_t limit, const char* what) {
        if (!failed_ && raw <= limit && std::uint64_t(raw) * minSize <= end_ - pos_) [[likely]] {
            return raw;
        }
        return badCount(raw, limit, what);
    }

private:
    // The string's count of units once it is known to fit with its terminating zero; 0 for the empty
    // string and on failure.
    std::uint32_t stringLength(std::uint32_t maxChars) {
        const std::uint32_t count = u32();
        if (failed_ || count == 0) {
            return 0;
        }
        if (count > maxChars) [[unlikely]] {
            tooLong(count, maxChars);
            return 0;
        }
        return need((std::uint64_t(count) + 1) * 2, "string") ? count : 0;
    }
    [[gnu::noinline, gnu::cold]] void tooLong(std::uint32_t count, std::uint32_t maxChars) {
        fail(QStringLiteral("string of %1 characters is longer than the limit of %2")
                 .arg(count)
                 .arg(maxChars));
    }
    [[gnu::noinline, gnu::cold]] std::uint32_t badCount(std::uint32_t raw, std::uint32_t limit,
                                                        const char* what) {
        if (failed_) {
            return 0;
        }
        if (raw > limit) {
            fail(QStringLiteral("%1 count %2 is over the limit of %3")
                     .arg(QLatin1String(what))
                     .arg(raw)
                     .arg(limit));
            return 0;
        }
        fail(QStringLiteral("%1 count %2 does not fit in the remaining %3 bytes")
                 .arg(QLatin1String(what))
                 .arg(raw)
                 .arg(end_ - pos_));
        return 0;
    }
    [[gnu::noinline, gnu::cold]] bool missing(std::uint64_t n, const char* what) {
        if (!failed_) {
            fail(QStringLiteral("%1 needs %2 bytes but only %3 remain")
                     .arg(QLatin1String(what))
                     .arg(n)
                     .arg(end_ - pos_));
        }
        return false;
    }

    template <int N>
    [[gnu::always_inline]] std::uint32_t little() {
        if (!need(N, "value")) {
            return 0;
        }
        std::uint32_t v;
        if constexpr (N == 1) {
            v = data_[pos_];
        } else if constexpr (N == 2) {
            v = qFromLittleEndian<quint16>(data_ + pos_);
        } else {
            v = qFromLittleEndian<quint32>(data_ + pos_);
        }
        pos_ += N;
        return v;
    }

    const std::uint8_t* data_;
    std::uint64_t pos_;
    std::uint64_t end_;
    bool failed_ = false;
    ReadContext context_;
    QString error_;
};

}  // namespace agent::format

// A cursor over untrusted bytes. Every read is checked against the end; the first failure is kept together
// with what was being read and where, and later reads return zeros, so parsing code can read a whole
// structure and test once.
#pragma once

#include "agent/format/acs_types.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstring>

namespace agent::format {

class ByteReader {
public:
    // `data` is the whole file; reading is limited to [begin, end).
    ByteReader(const QByteArray& data, std::uint64_t begin, std::uint64_t end)
        : data_(reinterpret_cast<const std::uint8_t*>(data.constData())), pos_(begin), end_(end) {}

    bool ok() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }
    std::uint64_t pos() const { return pos_; }
    std::uint64_t remaining() const { return ok() ? end_ - pos_ : 0; }

    // Names the structure being read, for error messages.
    void setContext(const QString& what) { context_ = what; }
    void fail(const QString& message) {
        if (ok()) {
            error_ = QStringLiteral("%1 at offset %2: %3").arg(context_).arg(pos_).arg(message);
        }
    }

    std::uint8_t u8() { return std::uint8_t(little(1)); }
    std::uint16_t u16() { return std::uint16_t(little(2)); }
    std::uint32_t u32() { return std::uint32_t(little(4)); }
    std::int16_t s16() { return std::int16_t(u16()); }
    std::int32_t s32() { return std::int32_t(u32()); }

    bool need(std::uint64_t n, const char* what) {
        if (!ok()) {
            return false;
        }
        if (n > end_ - pos_) {
            fail(QStringLiteral("%1 needs %2 bytes but only %3 remain")
                     .arg(QLatin1String(what))
                     .arg(n)
                     .arg(end_ - pos_));
            return false;
        }
        return true;
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
        std::uint32_t count = u32();
        if (!ok() || count == 0) {
            return {};
        }
        if (count > maxChars) {
            fail(QStringLiteral("string of %1 characters is longer than the limit of %2")
                     .arg(count)
                     .arg(maxChars));
            return {};
        }
        if (!need((std::uint64_t(count) + 1) * 2, "string")) {
            return {};
        }
        QString s(qsizetype(count), Qt::Uninitialized);
        for (std::uint32_t i = 0; i < count; ++i) {
            s[qsizetype(i)] = QChar(char16_t(data_[pos_ + 2 * i] | (data_[pos_ + 2 * i + 1] << 8)));
        }
        pos_ += (std::uint64_t(count) + 1) * 2;
        return s;
    }
    // A list count, checked so that `count` elements of at least `minSize` bytes fit in what remains.
    std::uint32_t count(std::uint32_t raw, std::uint64_t minSize, std::uint32_t limit, const char* what) {
        if (!ok()) {
            return 0;
        }
        if (raw > limit) {
            fail(QStringLiteral("%1 count %2 is over the limit of %3")
                     .arg(QLatin1String(what))
                     .arg(raw)
                     .arg(limit));
            return 0;
        }
        if (std::uint64_t(raw) * minSize > end_ - pos_) {
            fail(QStringLiteral("%1 count %2 does not fit in the remaining %3 bytes")
                     .arg(QLatin1String(what))
                     .arg(raw)
                     .arg(end_ - pos_));
            return 0;
        }
        return raw;
    }

private:
    std::uint32_t little(int n) {
        if (!need(std::uint64_t(n), "value")) {
            return 0;
        }
        std::uint32_t v = 0;
        for (int i = 0; i < n; ++i) {
            v |= std::uint32_t(data_[pos_ + std::uint64_t(i)]) << (8 * i);
        }
        pos_ += std::uint64_t(n);
        return v;
    }

    const std::uint8_t* data_;
    std::uint64_t pos_;
    std::uint64_t end_;
    QString context_ = QStringLiteral("file");
    QString error_;
};

}  // namespace agent::format

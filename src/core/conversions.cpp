#include "src/core/conversions.h"

#include <QLocale>
#include <cmath>
#include <limits>

namespace horalia::core {

namespace {

template <typename Int>
std::optional<Int> toInteger(const QString& text) {
    std::optional<double> value = toDouble(text);
    if (!value) {
        return std::nullopt;
    }
    double rounded = std::nearbyint(*value);  // the default rounding mode rounds halves to even
    if (rounded < std::numeric_limits<Int>::min() || rounded > std::numeric_limits<Int>::max()) {
        return std::nullopt;
    }
    return static_cast<Int>(rounded);
}

}  // namespace

std::optional<double> toDouble(const QString& text) {
    QString t = text.trimmed();
    if (t.isEmpty()) {
        return std::nullopt;
    }
    for (QChar c : t) {
        // Only ASCII: "７" and other look-alike digits are not numbers to us.
        if (c.unicode() > 0x7f) {
            return std::nullopt;
        }
    }
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    double value = c.toDouble(t, &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<qint16> toInt16(const QString& text) {
    return toInteger<qint16>(text);
}

std::optional<qint32> toInt32(const QString& text) {
    return toInteger<qint32>(text);
}

QString numberText(double value) {
    if (value == 0.0) {
        return QStringLiteral("0");  // never "-0"
    }
    if (std::isfinite(value) && std::trunc(value) == value && std::fabs(value) < 1e15) {
        return QString::number(static_cast<qint64>(value));
    }
    return QString::number(value, 'g', 15);
}

}  // namespace horalia::core

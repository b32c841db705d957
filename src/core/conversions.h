// The one way settings text becomes a number. A conversion that fails gives nullopt, and the caller skips the
// step that needed it, so every reader of a garbage setting fails the same way.
#pragma once

#include <QString>
#include <optional>

namespace horalia::core {

// Decimal text with optional sign, fraction and exponent, spaces allowed around it ("1e3", " -5 ", "2.5").
// Only finite values convert.
std::optional<double> toDouble(const QString& text);
// As toDouble, then rounded half to even and range-checked.
std::optional<qint16> toInt16(const QString& text);
std::optional<qint32> toInt32(const QString& text);

// A number as text in the ordinary way: a whole number without separator or fraction ("15", "0"), any other
// with its leading digit, the decimal point and its fraction digits ("0.5", "2.14285714285714").
QString numberText(double value);

}  // namespace horalia::core

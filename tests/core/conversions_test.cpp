// Settings text to numbers: every reader of a garbage setting must fail the same way, and the quotient text
// decides the announcements.
#include <gtest/gtest.h>

#include "tests/support/qt_printers.h"

#include "src/core/conversions.h"

using namespace horalia::core;

namespace {

// A conversion's result as text, "none" when it fails.
template <typename T>
QString shown(const std::optional<T>& value) {
    return value ? QString::number(static_cast<double>(*value), 'g', 17) : QStringLiteral("none");
}

}  // namespace

TEST(Conversions, IntegersRoundHalfToEvenAndRefuseOverflow) {
    QStringList results;
    for (const char* text : {"07", "2.5", "3.5", "-0.5", "32767", "32768", "-32768", "99999999999"}) {
        results << shown(toInt16(text));
    }
    for (const char* text : {"16777215", "2147483647", "2147483648", "ten"}) {
        results << shown(toInt32(text));
    }
    EXPECT_EQ(results, (QStringList{"7", "2", "4", "0", "32767", "none", "-32768", "none",  // 16 bits
                                    "16777215", "2147483647", "none", "none"}));
}

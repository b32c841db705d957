// Settings text to numbers: every reader of a garbage setting must fail the same way, and the quotient text
// decides the announcements.
#include <gtest/gtest.h>

#include "tests/support/qt_printers.h"

#include "src/core/conversions.h"

using namespace horalia::core;

TEST(Conversions, NumbersFromSettingsText) {
    EXPECT_EQ(toDouble("15"), 15.0);
    EXPECT_EQ(toDouble(" 2000 "), 2000.0);
    EXPECT_EQ(toDouble("-5"), -5.0);
    EXPECT_EQ(toDouble("1e3"), 1000.0);
    EXPECT_EQ(toDouble("2.5"), 2.5);
    EXPECT_EQ(toDouble("99999999999"), 99999999999.0);
    for (const char* garbage :
         {"", "   ", "abc", "12abc", "1,000", "0x10", "inf", "nan", "1e999", "１５", "７"}) {
        EXPECT_FALSE(toDouble(QString::fromUtf8(garbage)).has_value()) << garbage;
    }
    EXPECT_FALSE(toDouble(QString(10240, QChar('9')) + "x").has_value());
}

TEST(Conversions, IntegersRoundHalfToEvenAndRefuseOverflow) {
    EXPECT_EQ(toInt16("07"), 7);
    EXPECT_EQ(toInt16("2.5"), 2);
    EXPECT_EQ(toInt16("3.5"), 4);
    EXPECT_EQ(toInt16("-0.5"), 0);
    EXPECT_EQ(toInt16("32767"), 32767);
    EXPECT_FALSE(toInt16("32768").has_value());
    EXPECT_EQ(toInt16("-32768"), -32768);
    EXPECT_FALSE(toInt16("99999999999").has_value());
    EXPECT_EQ(toInt32("16777215"), 16777215);
    EXPECT_EQ(toInt32("2147483647"), 2147483647);
    EXPECT_FALSE(toInt32("2147483648").has_value());
    EXPECT_FALSE(toInt32("ten").has_value());
}

TEST(Conversions, NumberTextIsShortOnlyForSmallWholeNumbers) {
    EXPECT_EQ(numberText(0.0), "0");
    EXPECT_EQ(numberText(-0.0), "0");
    EXPECT_EQ(numberText(4.0), "4");
    EXPECT_EQ(numberText(59.0), "59");
    EXPECT_EQ(numberText(-1.0), "-1");
    EXPECT_EQ(numberText(0.5), "0.5");
    EXPECT_EQ(numberText(15.0 / 7.0), "2.14285714285714");
}

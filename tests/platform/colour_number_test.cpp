#include "src/platform/colour_number.h"

#include <gtest/gtest.h>

namespace horalia::platform {
namespace {

TEST(ColourNumber, RedIsTheLowByteAndDesktopColoursComeFromThePalette) {
    EXPECT_EQ(colourNumber(0x12, 0x34, 0x56), 0x563412);
    EXPECT_EQ(rgbFromNumber(0x563412), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(colourNumber(QColor(255, 0, 128)), 0x8000ff);
    EXPECT_EQ(colourFromNumber(0x00ff00, QPalette()), QColor(0, 255, 0));

    // Desktop colours come from the palette.
    QPalette palette;
    palette.setColor(QPalette::Base, QColor(1, 2, 3));
    palette.setColor(QPalette::Text, QColor(4, 5, 6));
    palette.setColor(QPalette::Window, QColor(7, 8, 9));
    EXPECT_EQ(colourFromNumber(static_cast<qint32>(0x80000005u), palette), QColor(1, 2, 3));
    EXPECT_EQ(colourFromNumber(static_cast<qint32>(0x80000008u), palette), QColor(4, 5, 6));
    // the menu colour and any index without a role of its own: the window's colour
    EXPECT_EQ(colourFromNumber(static_cast<qint32>(0x80000004u), palette), QColor(7, 8, 9));
    EXPECT_EQ(colourFromNumber(static_cast<qint32>(0x800000feu), palette), QColor(7, 8, 9));
    // any other high byte is no colour
    EXPECT_FALSE(colourFromNumber(-1, QPalette()));
    EXPECT_FALSE(colourFromNumber(0x01000000, QPalette()));
    EXPECT_FALSE(colourFromNumber(static_cast<qint32>(0x80000100u), QPalette()));
}

}  // namespace
}  // namespace horalia::platform

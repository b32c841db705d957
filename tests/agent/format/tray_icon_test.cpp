// Tray icons: genuine icons decode to the pictures seen by eye (a lamp, a smiley); damaged bitmaps give
// errors.
#include "agent/format/tray_icon.h"
#include "agent/format/acs_file.h"
#include "tests/agent/format/acs_test_files.h"

#include <gtest/gtest.h>

#include <QtEndian>

using namespace agent::format;

namespace {

// A bitmap header, colour table and rows of zero pixels.
QByteArray bitmap(int width, int height, int bits, int colors) {
    const int stride = ((width * bits + 31) / 32) * 4;
    QByteArray b(40 + colors * 4 + stride * std::abs(height), '\0');
    qToLittleEndian<std::uint32_t>(40, b.data());
    qToLittleEndian<std::int32_t>(width, b.data() + 4);
    qToLittleEndian<std::int32_t>(height, b.data() + 8);
    qToLittleEndian<std::uint16_t>(1, b.data() + 12);
    qToLittleEndian<std::uint16_t>(std::uint16_t(bits), b.data() + 14);
    qToLittleEndian<std::uint32_t>(std::uint32_t(colors), b.data() + 32);
    return b;
}

TEST(TrayIcon, GenuineIconsDecode) {
    const QString genie = formattest::acsPath("Genie.acs");
    if (genie.isEmpty()) {
        GTEST_SKIP() << "character test files not found";
    }
    AcsFile file;
    ASSERT_TRUE(file.load(genie));
    agent::Result<QImage> decoded = decodeTrayIcon(*file.info().trayIcon);
    ASSERT_TRUE(decoded) << decoded.error().toStdString();
    QImage icon = *decoded;
    EXPECT_EQ(icon.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(5, 8)), 255);  // inside the lamp's bowl

    ASSERT_TRUE(file.load(formattest::acsPath("Happy_Face.acs")));
    icon = decodeTrayIcon(*file.info().trayIcon).valueOr({});
    ASSERT_EQ(icon.size(), QSize(18, 18));
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);      // outside the round face
    EXPECT_EQ(icon.pixel(7, 0), qRgb(0, 0, 0));  // its black outline, top row
    EXPECT_EQ(qAlpha(icon.pixel(9, 9)), 255);    // the face itself
    EXPECT_GT(qGray(icon.pixel(9, 9)), 128);
}

TEST(TrayIcon, ColoursAndMaskCombine) {
    TrayIcon icon{bitmap(2, 1, 1, 2), bitmap(2, 1, 8, 2)};
    // Mask: first pixel shown, second clear. Colours: index 1 is red (stored blue, green, red).
    icon.monochrome[40 + 8] = char(0x40);
    icon.color[40 + 4 + 2] = char(0xFF);
    icon.color[40 + 8] = 1;
    const QImage img = decodeTrayIcon(icon).valueOr({});
    ASSERT_EQ(img.size(), QSize(2, 1));
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(qAlpha(img.pixel(1, 0)), 0);
}

TEST(TrayIcon, DamagedBitmapsGiveErrors) {
    const struct {
        const char* name;
        TrayIcon icon;
        const char* error;
    } cases[] = {
        {"too short", {QByteArray(39, '\0'), bitmap(16, 16, 4, 16)}, "too short"},
        {"not an icon's size", {bitmap(16, 16, 1, 2), bitmap(4000, 16, 4, 16)}, "size 4000x16"},
        {"unusual depth", {bitmap(16, 16, 1, 2), bitmap(16, 16, 16, 0)}, "16 bits a pixel"},
        {"rows cut off", {bitmap(16, 16, 1, 2).left(100), bitmap(16, 16, 4, 16)}, "mask bitmap: needs 112"},
        {"sizes differ", {bitmap(16, 16, 1, 2), bitmap(18, 18, 4, 16)}, "does not match"},
        {"mask not one bit", {bitmap(16, 16, 4, 16), bitmap(16, 16, 4, 16)}, "does not match"},
    };
    for (const auto& c : cases) {
        const agent::Result<QImage> decoded = decodeTrayIcon(c.icon);
        EXPECT_FALSE(decoded) << c.name;
        EXPECT_TRUE(decoded.error().contains(QLatin1String(c.error)))
            << c.name << ": " << decoded.error().toStdString();
    }
}

}  // namespace

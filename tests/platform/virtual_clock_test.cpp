// The virtual clock that whole simulated days run on: timers in time order, pauses that let other timers run,
// time that never runs backwards (jumps are the clock's tick tests'); and the colour numbers of the settings.
#include <gtest/gtest.h>

#include "tests/support/qt_printers.h"

#include "src/platform/colour_number.h"
#include "src/platform/virtual_clock.h"

namespace horalia::platform {
namespace {

const QDateTime kStart(QDate(2026, 12, 6), QTime(10, 0));

TEST(VirtualClock, FiresTimersInDueOrderAndAPauseInsideACallbackLetsOthersRun) {
    VirtualClock clock(kStart);
    VirtualPause pause(clock);
    auto a = clock.createTimer();
    auto b = clock.createTimer();
    auto c = clock.createTimer();
    QStringList fired;
    const auto at = [&](const char* name) {
        fired << QString("%1@%2").arg(name, clock.now().toString("ss"));
    };
    a->start(5000, [&] { at("a"); });
    b->start(1000, [&] {
        at("b");
        pause.pause(2);
        at("b ends");
    });
    c->start(1000, [&] { at("c"); });
    clock.advanceBy(1500);
    EXPECT_EQ(fired, (QStringList{"b@01", "c@01", "b ends@03"}));
    // The pause carried the clock past the requested end; it does not go back.
    EXPECT_EQ(clock.now(), kStart.addSecs(3));
    EXPECT_TRUE(a->isActive());
    clock.advanceBy(5000);
    EXPECT_EQ(fired.last(), "a@05");
    EXPECT_FALSE(a->isActive());
    // A pause is clamped to the routine's range: nothing below zero, at most 255 seconds.
    pause.pause(-5);
    EXPECT_EQ(clock.now(), kStart.addSecs(8));
    pause.pause(1000);
    EXPECT_EQ(clock.now(), kStart.addSecs(8 + 255));
}

TEST(ColourNumber, RedIsTheLowByteAndDesktopColoursComeFromThePalette) {
    EXPECT_EQ(std::tuple(colourNumber(0x12, 0x34, 0x56), rgbFromNumber(0x563412),
                         colourNumber(QColor(255, 0, 128))),
              std::tuple(0x563412, QColor(0x12, 0x34, 0x56), 0x8000ff));

    // Desktop colours come from the palette: the menu colour (4) and any index without a role of its own
    // take the window's colour; any other high byte is no colour.
    QPalette palette;
    palette.setColor(QPalette::Base, QColor(1, 2, 3));
    palette.setColor(QPalette::Text, QColor(4, 5, 6));
    palette.setColor(QPalette::Window, QColor(7, 8, 9));
    QList<std::optional<QColor>> colours;
    for (quint32 number : {0x00ff00u, 0x80000005u, 0x80000008u, 0x80000004u, 0x800000feu, 0xffffffffu,
                           0x01000000u, 0x80000100u}) {
        colours << colourFromNumber(static_cast<qint32>(number), palette);
    }
    EXPECT_EQ(colours, (QList<std::optional<QColor>>{QColor(0, 255, 0), QColor(1, 2, 3), QColor(4, 5, 6),
                                                     QColor(7, 8, 9), QColor(7, 8, 9), std::nullopt,
                                                     std::nullopt, std::nullopt}));
}

}  // namespace
}  // namespace horalia::platform

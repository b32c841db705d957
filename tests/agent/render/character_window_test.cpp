// The character's window on Qt's offscreen platform: how it tells its own moves from the window system's, and
// the X server's device pixels in logical ones.
#include "agent/render/character_window.h"
#include "agent/render/device_pixels.h"
#include "agent/render/window_shape.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using agent::render::CharacterWindow;

namespace {

// A window of that size, shown at topLeft.
std::unique_ptr<CharacterWindow> shownAt(QSize size, QPoint topLeft) {
    auto window = std::make_unique<CharacterWindow>(size);
    window->place(topLeft);
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return window;
}

TEST(CharacterWindow, ADragEndsWhereTheButtonIsLetGo) {
    const auto held = shownAt(QSize(40, 40), QPoint(100, 100));
    CharacterWindow& window = *held;
    QSignalSpy finished(&window, &CharacterWindow::dragFinished);

    const QPoint grip(5, 8);
    QTest::mousePress(&window, Qt::LeftButton, {}, grip);
    QTest::mouseMove(&window, grip + QPoint(30, 0));
    EXPECT_EQ(window.pos(), QPoint(130, 100));
    // The button comes up further on with no motion before it, as a compositor may pass them on.
    const QPoint letGo = QPoint(100, 100) + grip + QPoint(50, 20);
    QTest::mouseRelease(&window, Qt::LeftButton, {}, window.mapFromGlobal(letGo));
    EXPECT_EQ(window.pos(), QPoint(150, 120));
    EXPECT_EQ(window.requested(), QPoint(150, 120));
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished[0][0].toPoint(), QPoint(150, 120));
}

}  // namespace

// A screen scaled by 2 and, right of it, one scaled by 1.5: Qt keeps each screen's corner where the X server
// has it and scales what lies inside.
TEST(DevicePixels, EachScreenScalesFromItsOwnCorner) {
    const QList<agent::render::ScreenScale> screens{{{0, 0, 1280, 720}, 2.0}, {{2560, 0, 800, 600}, 1.5}};
    struct Case {
        QPoint device, logical;
    } cases[] = {
        {{2202, 822}, {1101, 411}},
        {{2560 + 300, 150}, {2560 + 200, 100}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(agent::render::logicalFromDevice(screens, c.device), c.logical) << c.device.x();
        EXPECT_EQ(agent::render::deviceFromLogical(screens, c.logical), c.device) << c.logical.x();
    }
    // Off every screen: the nearest one's scale.
    EXPECT_EQ(agent::render::logicalFromDevice(screens, {2450, 1500}), QPoint(1225, 750));
    EXPECT_EQ(agent::render::logicalFromDevice({}, {7, 9}), QPoint(7, 9));
}

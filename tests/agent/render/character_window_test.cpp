// The character's window on Qt's offscreen platform: what is left in its buffer when the picture changes, and
// how it tells its own moves from the window system's, and the X server's device pixels in logical ones.
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

// The same picture in 8-bit colour indices, as the character's frames are kept (at most 256 colours).
QImage indexed(const QImage& picture) {
    QImage out(picture.size(), QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb colour = picture.pixel(x, y);
            qsizetype index = table.indexOf(colour);
            if (index < 0) {
                index = table.size();
                table.append(colour);
            }
            out.scanLine(y)[x] = uchar(index);
        }
    }
    out.setColorTable(table);
    return out;
}

// A picture of the window's size with one opaque rectangle, and the shape that goes with it.
struct Frame {
    QImage picture;
    QRegion shape;
};

Frame frame(QSize size, QRect opaque, QColor colour) {
    QImage picture(size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    for (int y = opaque.top(); y <= opaque.bottom(); ++y) {
        for (int x = opaque.left(); x <= opaque.right(); ++x) {
            picture.setPixelColor(x, y, colour);
        }
    }
    return {picture, QRegion(opaque)};
}

// A window of that size, shown at topLeft.
std::unique_ptr<CharacterWindow> shownAt(QSize size, QPoint topLeft) {
    auto window = std::make_unique<CharacterWindow>(size);
    window->place(topLeft);
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return window;
}

// What the window's buffer holds, as the platform would put it on the screen, whatever the window's shape:
// as the last picture left it, or after the window has painted itself again (as on an exposure).
QImage shown(CharacterWindow& window, bool repainted = true) {
    if (repainted) {
        QCoreApplication::processEvents();
        window.repaint();
    }
    return window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The shape worked out in one pass is the one Qt's alpha mask gives, for pictures whose rows repeat, differ,
// hold several runs, touch the edges, and for a picture with nothing in it.
TEST(WindowShape, OpaqueRegionIsWhatTheAlphaMaskGives) {
    auto draw = [](const std::function<void(QPainter&)>& paint) {
        QImage picture(64, 48, QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        QPainter p(&picture);
        paint(p);
        return picture;
    };
    const QImage pictures[] = {
        draw([](QPainter&) {}),
        draw([](QPainter& p) {
            p.fillRect(0, 0, 3, 48, Qt::blue);
            p.fillRect(10, 4, 8, 20, Qt::red);
            p.fillRect(30, 10, 34, 5, Qt::green);
        }),
        draw([](QPainter& p) {
            p.setBrush(Qt::black);
            p.drawEllipse(4, 4, 50, 38);
            p.fillRect(20, 20, 6, 6, Qt::transparent);
        }),
    };
    for (const QImage& picture : pictures) {
        const QRegion expected(QBitmap::fromImage(picture.createAlphaMask()));
        for (const QImage& kept : {picture, indexed(picture)}) {
            const QRegion shape = agent::render::opaqueRegion(kept);
            EXPECT_TRUE(shape.xored(expected).isEmpty())
                << "picture " << (&picture - pictures) << " differs in format " << kept.format();
            EXPECT_LE(shape.rectCount(), picture.height() * 4) << "rows alike share a band";
        }
    }
}

TEST(CharacterWindow, EachPictureReplacesTheWholeLastOne) {
    for (const bool repainted : {false, true}) {
        for (const bool eightBit : {false, true}) {
            SCOPED_TRACE(repainted ? "painted again" : "as given");
            SCOPED_TRACE(eightBit ? "8-bit pictures" : "32-bit pictures");
            const auto kept = [eightBit](const QImage& picture) {
                return eightBit ? indexed(picture) : picture;
            };
            const QSize size(40, 30);
            const auto held = shownAt(size, QPoint(50, 60));
            CharacterWindow& window = *held;
            QSignalSpy painted(&window, &CharacterWindow::painted);

            // A big frame, then one that covers a corner only: an arm that was, then was not.
            const Frame big = frame(size, QRect(0, 0, 40, 30), Qt::red);
            const Frame corner = frame(size, QRect(2, 2, 6, 5), Qt::blue);
            window.setPicture(kept(big.picture), big.shape);
            ASSERT_EQ(shown(window, repainted).pixelColor(30, 20), QColor(Qt::red));
            window.setPicture(kept(corner.picture), corner.shape);
            if (!repainted) {
                EXPECT_EQ(painted.count(), 2) << "an exposed window shows each picture as it is given";
            }
            const QImage after = shown(window, repainted);
            ASSERT_EQ(after.size(), size);
            int stale = 0;
            for (int y = 0; y < size.height(); ++y) {
                for (int x = 0; x < size.width(); ++x) {
                    const bool inside = corner.shape.contains(QPoint(x, y));
                    const QColor pixel = after.pixelColor(x, y);
                    // The platform's picture may have no alpha: a clear pixel is black there.
                    const bool clear = pixel.alpha() == 0 || (pixel.rgb() & 0xffffff) == 0;
                    stale += inside ? pixel != QColor(Qt::blue) : !clear;
                }
            }
            EXPECT_EQ(stale, 0) << "pixels that are not the current frame's";
            EXPECT_EQ(window.windowHandle()->mask(), corner.shape)
                << "the native window is shaped to the frame";
        }
    }
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

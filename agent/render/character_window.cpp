#include "agent/render/character_window.h"
#include "agent/render/companion_window.h"
#include "agent/render/window_shape.h"

#include <QApplication>
#include <QBackingStore>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QWindow>

#include <algorithm>

namespace agent::render {

CharacterWindow::CharacterWindow(QSize frameSize, QWidget* parent) : QWidget(parent, kCompanionWindowFlags) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    makeCompanionWindow(*this);
    setFixedSize(frameSize);
    setWindowTitle(QStringLiteral("Character"));
}

namespace {

// Enough for the steps of a walk the window system has not answered yet; older ones are forgotten.
constexpr int kUnconfirmedMoves = 64;

}  // namespace

void CharacterWindow::place(QPoint topLeft) {
    requested_ = topLeft;
    if (unconfirmed_.size() >= kUnconfirmedMoves) {
        unconfirmed_.removeFirst();
    }
    unconfirmed_.append(topLeft);
    move(topLeft);
    if (!isVisible()) {
        // A widget moved while hidden keeps its place to itself until it is shown, and the native window is
        // then mapped without a position of its own asking: window managers (xfwm4, KWin) put it where they
        // like, and the character appeared there, over the clock too.
        if (QWindow* handle = windowHandle()) {
            handle->setPosition(topLeft);
        }
    }
}

void CharacterWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (!event->spontaneous()) {
        return;  // Qt's own echo of move()
    }
    const int ours = int(unconfirmed_.indexOf(event->pos()));
    if (ours >= 0) {
        unconfirmed_.remove(0, ours + 1);
        return;
    }
    if (event->pos() == requested_) {
        return;
    }
    takePlace(event->pos());
}

void CharacterWindow::takePlace(QPoint topLeft) {
    // Whatever was still on its way has been overruled.
    unconfirmed_.clear();
    requested_ = topLeft;
    emit placedElsewhere(topLeft);
}

void CharacterWindow::refreshPosition() {
    const std::optional<QPoint> real = windowSystemPosition(*this);
    if (!real || *real == pos() || dragging_) {
        return;
    }
    // Brings Qt's idea up to date; the window manager is asked for the place the window already has.
    move(*real);
    takePlace(*real);
}

void CharacterWindow::setPicture(const QImage& picture, const QRegion& shape) {
    if (picture.cacheKey() == picture_.cacheKey()) {
        return;
    }
    picture_ = picture;
    if (shape != shape_) {
        shape_ = shape;
        shapeWindow(*this, shape_);
    }
    if (!present()) {
        update();
    }
}

bool CharacterWindow::present() {
    // An idling character changes its picture a few times a second for as long as the session runs: the
    // picture goes straight into the window's buffer and out, without a paint event, the repaint manager's
    // regions and a second clearing of the buffer. Exposures and a window not on screen yet take the usual
    // way.
    QWindow* handle = windowHandle();
    QBackingStore* store = backingStore();
    if (handle == nullptr || store == nullptr || !handle->isExposed() || store->size() != size() ||
        picture_.size() != size()) {
        return false;
    }
    const QRect all = rect();
    store->beginPaint(all);
    QPaintDevice* device = store->paintDevice();
    if (device == nullptr) {
        store->endPaint();
        return false;
    }
    draw(*device);
    store->endPaint();
    store->flush(all, handle);
    emit painted();
    return true;
}

namespace {

// Writes an 8-bit picture into a 32-bit buffer of its size through its colour table. The character's
// frames are kept 8-bit; this is what QPainter would do, without making a 32-bit copy of the picture first.
// A buffer without alpha (a window system without translucent windows) takes clear as black, as QPainter's
// does.
bool copyIndexed(const QImage& picture, QImage& target) {
    const bool alpha = target.format() == QImage::Format_ARGB32_Premultiplied;
    if (picture.format() != QImage::Format_Indexed8 || (!alpha && target.format() != QImage::Format_RGB32) ||
        target.size() != picture.size() || target.devicePixelRatio() != 1.0) {
        return false;
    }
    QRgb colors[256];
    std::fill(std::begin(colors), std::end(colors), alpha ? 0u : 0xFF000000u);
    const QList<QRgb> table = picture.colorTable();
    for (qsizetype i = 0; i < std::min<qsizetype>(256, table.size()); ++i) {
        colors[i] = alpha ? qPremultiply(table[i]) : (qPremultiply(table[i]) | 0xFF000000u);
    }
    const int width = picture.width();
    for (int y = 0; y < picture.height(); ++y) {
        const uchar* s = picture.constScanLine(y);
        auto* d = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = 0; x < width; ++x) {
            d[x] = colors[s[x]];
        }
    }
    return true;
}

}  // namespace

void CharacterWindow::draw(QPaintDevice& device) const {
    if (device.devType() == QInternal::Image && copyIndexed(picture_, static_cast<QImage&>(device))) {
        return;
    }
    QPainter p(&device);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    if (picture_.size() != size()) {
        p.fillRect(rect(), Qt::transparent);
    }
    if (!picture_.isNull()) {
        p.drawImage(0, 0, picture_);
    }
}

void CharacterWindow::paintEvent(QPaintEvent*) {
    draw(*this);
    emit painted();
}

void CharacterWindow::mousePressEvent(QMouseEvent* event) {
    emit pressed();
    if (event->button() == Qt::RightButton) {
        emit clicked(Qt::RightButton, event->globalPosition().toPoint());
        emit menuRequested(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton) {
        emit clicked(event->button(), event->globalPosition().toPoint());
    }
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        dragging_ = false;
        pressGlobal_ = event->globalPosition().toPoint();
        // from where the press landed in the window, which is right even when pos() is not
        grabOffset_ = event->position().toPoint();
    }
}

void CharacterWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_) {
        return;
    }
    const QPoint global = event->globalPosition().toPoint();
    if (!dragging_ && (global - pressGlobal_).manhattanLength() < QApplication::startDragDistance()) {
        return;
    }
    if (!dragging_) {
        dragging_ = true;
        emit dragStarted(pos());
    }
    place(global - grabOffset_);
    emit dragMoved(pos());
}

void CharacterWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) {
        return;
    }
    pressed_ = false;
    if (dragging_) {
        // The last motion may come only with the release (a compositor passes on motion and release
        // together): the character ends where it was let go.
        const QPoint end = event->globalPosition().toPoint() - grabOffset_;
        if (end != requested_) {
            place(end);
            emit dragMoved(pos());
        }
        dragging_ = false;
        emit dragFinished(pos(), event->button(), event->modifiers());
    } else {
        emit clicked(Qt::LeftButton, event->globalPosition().toPoint());
    }
}

void CharacterWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    emit doubleClicked(event->button(), event->globalPosition().toPoint());
    // The second press of a double click starts a drag as any press does.
    mousePressEvent(event);
}

}  // namespace agent::render

#include "agent/render/character_window.h"
#include "agent/render/companion_window.h"
#include "agent/render/window_shape.h"

#include <QApplication>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>

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
    update();
}

void CharacterWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rect(), Qt::transparent);
    if (!picture_.isNull()) {
        p.drawImage(0, 0, picture_);
    }
    p.end();
    emit painted();
}

void CharacterWindow::mousePressEvent(QMouseEvent* event) {
    emit pressed();
    if (event->button() == Qt::RightButton) {
        emit menuRequested(event->globalPosition().toPoint());
        return;
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
    dragging_ = true;
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
    }
}

}  // namespace agent::render

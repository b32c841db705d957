#include "agent/render/character_window.h"
#include "agent/render/window_shape.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace agent::render {

CharacterWindow::CharacterWindow(QSize frameSize, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(frameSize);
    setWindowTitle(QStringLiteral("Character"));
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
        grabOffset_ = pressGlobal_ - pos();
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
    move(global - grabOffset_);
    emit dragMoved(pos());
}

void CharacterWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) {
        return;
    }
    pressed_ = false;
    if (dragging_) {
        dragging_ = false;
        emit dragFinished(pos(), event->button(), event->modifiers());
    }
}

}  // namespace agent::render

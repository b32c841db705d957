#include "src/about/link_label.h"

#include <QMouseEvent>

namespace horalia::about {

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setForegroundRole(QPalette::Link);
}

void LinkLabel::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    // The release that ends a double-click is not a click of its own.
    const bool click =
        pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) {
        if (std::function<void()> handler = onClick) {
            handler();
        }
    }
}

void LinkLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    pressed_ = false;
    event->accept();
    if (event->button() == Qt::LeftButton) {
        if (std::function<void()> handler = onDoubleClick) {
            handler();
        }
    }
}

}  // namespace horalia::about

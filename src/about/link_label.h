// A label that reads like a web link and reports clicks and double-clicks, each on its own: a double-click
// reports a click first, as the desktop delivers it.
#pragma once

#include <QLabel>
#include <functional>

namespace horalia::about {

class LinkLabel : public QLabel {
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

    std::function<void()> onClick;
    std::function<void()> onDoubleClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

}  // namespace horalia::about

// The window a character lives in: frameless, above other windows, without a taskbar entry and never taking
// the focus, shaped to the character's pixels. It shows the picture it is given and reports the mouse: a
// right click asks for the pop-up menu, a left drag moves the window and reports where it ended.
//
// A window manager may put the window somewhere else than asked (below a panel, inside the work area, by a
// rule of the user's). The window tells its own moves from such a one, so that the engine can take the
// position the window really has instead of fighting for the one it asked for.
//
// Character files draw with one transparent colour and no soft edges, so a window mask is exact: the window
// looks the same with and without a compositor, and clicks on the clear parts fall through to what is below.
#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRegion>
#include <QWidget>

namespace agent::render {

class CharacterWindow : public QWidget {
    Q_OBJECT
public:
    explicit CharacterWindow(QSize frameSize, QWidget* parent = nullptr);

    // The picture to show (the character's size) and the part of it that is the character.
    void setPicture(const QImage& picture, const QRegion& shape);
    const QImage& picture() const { return picture_; }
    bool isDragging() const { return dragging_; }
    // Moves the window to `topLeft` (screen coordinates) and remembers that it was asked for.
    void place(QPoint topLeft);
    // Where the window was last asked to be, by place() or a drag; the window manager has the last word.
    QPoint requested() const { return requested_; }
    // Asks the window system where the window really is, and when that is not where it was asked to be, takes
    // it as placedElsewhere(). For the moments a wrong idea would show: a balloon or tip placed beside it.
    void refreshPosition();

signals:
    // Any mouse button went down on the character.
    void pressed();
    void menuRequested(QPoint globalPos);
    // A button went down and up without a drag (the right one opens the menu as well), or twice quickly.
    void clicked(Qt::MouseButton button, QPoint globalPos);
    void doubleClicked(Qt::MouseButton button, QPoint globalPos);
    void dragStarted(QPoint topLeft);
    void dragMoved(QPoint topLeft);
    void dragFinished(QPoint topLeft, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    // A picture has been drawn into the window (tools measure how soon a character appears).
    void painted();
    // The window system put the window at `topLeft`, which is not where it was asked to be.
    void placedElsewhere(QPoint topLeft);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    // Draws the picture into the window's buffer and shows it at once; false when the window cannot take it
    // so (not exposed yet, or its buffer not made), and a paint event must.
    bool present();
    void draw(QPaintDevice& device) const;
    // The window system's place for the window is the one it has now.
    void takePlace(QPoint topLeft);

    QImage picture_;
    QRegion shape_;
    bool pressed_ = false;
    bool dragging_ = false;
    QPoint pressGlobal_;
    QPoint grabOffset_;  // from the window's corner to where it was taken hold of
    QPoint requested_;
    // Moves asked for that the window system has not confirmed yet. Its answers come late and in order: while
    // a walk asks for a new step every frame, the answer to an older step is still ours.
    QList<QPoint> unconfirmed_;
};

}  // namespace agent::render

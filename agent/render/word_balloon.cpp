#include "agent/render/word_balloon.h"
#include "agent/render/companion_window.h"
#include "agent/render/window_shape.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QRegion>
#include <QScreen>

#include <algorithm>

namespace agent::render {

namespace {

constexpr int kMaxFontPixels = 144;

// Colours from a file are opaque whatever their spare byte held.
QColor opaque(QRgb rgb) {
    return QColor(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

// The balloon's outline in window coordinates: the rounded body and its tip, as one shape.
QPainterPath outline(const QRectF& body, TipSide tip, qreal tipX, const BalloonShape& shape) {
    QPainterPath path;
    path.addRoundedRect(body, shape.cornerRadius, shape.cornerRadius);
    QPolygonF triangle;
    const qreal half = shape.tipHalfWidth;
    if (tip == TipSide::Bottom) {
        const qreal edge = body.bottom();
        // The base reaches a little into the body so that the union leaves no seam.
        triangle << QPointF(tipX - half, edge - 1) << QPointF(tipX + half, edge - 1)
                 << QPointF(tipX, edge + shape.tipHeight);
    } else {
        const qreal edge = body.top();
        triangle << QPointF(tipX - half, edge + 1) << QPointF(tipX + half, edge + 1)
                 << QPointF(tipX, edge - shape.tipHeight);
    }
    QPainterPath tipPath;
    tipPath.addPolygon(triangle);
    tipPath.closeSubpath();
    return path.united(tipPath);
}

}  // namespace

QFont balloonFont(const format::BalloonInfo& info) {
    QFont font = QGuiApplication::font();
    if (!info.fontName.isEmpty()) {
        font.setFamily(info.fontName);
    }
    if (info.fontHeight < 0) {
        // The character height: what Qt calls the pixel size.
        font.setPixelSize(static_cast<int>(std::clamp<qint64>(-qint64(info.fontHeight), 1, kMaxFontPixels)));
    } else if (info.fontHeight > 0) {
        // The cell height, which includes the internal leading: the pixel size is made smaller to fit it.
        const int cell = std::min<int>(info.fontHeight, kMaxFontPixels);
        font.setPixelSize(cell);
        const int measured = QFontMetrics(font).height();
        if (measured > cell) {
            font.setPixelSize(std::max(1, (cell * cell + measured / 2) / measured));
        }
    }
    // Windows weights and Qt 6 weights share the 100..900 scale; 0 is "don't care".
    const int weight = info.fontWeight <= 0 ? int(QFont::Normal) : std::clamp<int>(info.fontWeight, 100, 900);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(info.italic);
    return font;
}

WordBalloon::WordBalloon(QWidget* parent) : QWidget(parent, kCompanionWindowFlags) {
    setAttribute(Qt::WA_TranslucentBackground);
    makeCompanionWindow(*this);
    updateFont();
    relayout();
}

void WordBalloon::setStyle(const format::BalloonInfo& info) {
    if (info == style_) {
        return;
    }
    style_ = info;
    updateFont();
    relayout();
    requestRepaint();
}

void WordBalloon::setFontOverride(std::optional<QFont> font) {
    if (font == fontOverride_) {
        return;
    }
    fontOverride_ = std::move(font);
    updateFont();
    relayout();
    requestRepaint();
}

void WordBalloon::setSizeToText(bool on) {
    if (on == sizeToText_) {
        return;
    }
    sizeToText_ = on;
    relayout();
    requestRepaint();
}

void WordBalloon::updateFont() {
    font_ = fontOverride_ ? *fontOverride_ : balloonFont(style_);
    setFont(font_);
}

int WordBalloon::lineCount() const {
    return sanitizedBalloonLines(style_.lines);
}

int WordBalloon::charsPerLine() const {
    return sanitizedCharsPerLine(style_.charsPerLine);
}

void WordBalloon::open(const QString& shownText) {
    text_ = BalloonText(shownText, charsPerLine());
    shownEnd_ = 0;
    open_ = true;
    relayout();
    requestRepaint();
    if (character_ && !isVisible()) {
        show();
    }
}

void WordBalloon::reveal(int shownEnd) {
    if (!open_) {
        return;
    }
    shownEnd_ = std::clamp(shownEnd, 0, static_cast<int>(text_.text().size()));
    QStringList lines = text_.visibleLines(shownEnd_, rows_);
    if (lines != visible_) {
        visible_ = std::move(lines);
        requestRepaint();
    }
}

// The text (wrapped again when charsPerLine changed), the body's size, and the place that follows from it.
void WordBalloon::relayout() {
    if (text_.charsPerLine() != charsPerLine()) {
        text_ = BalloonText(text_.text(), charsPerLine());
    }
    const QFontMetrics metrics(font_);
    int textWidth = 0;
    for (const QString& line : text_.fullLines()) {
        textWidth = std::max(textWidth, metrics.horizontalAdvance(line));
    }
    if (sizeToText_) {
        rows_ = std::clamp(text_.lineCount(), 1, lineCount());
    } else {
        rows_ = lineCount();
        textWidth = std::max(textWidth, metrics.averageCharWidth() * charsPerLine());
    }
    // A file claiming more lines than the screen holds gets the lines that fit: the balloon pages sooner.
    const int frame = 2 * kPaddingY + 2 - metrics.leading();
    screenArea_ = currentScreenArea();
    if (screenArea_.isValid() && metrics.lineSpacing() > 0) {
        const int fitting = (screenArea_.height() - kShape.tipHeight - frame) / metrics.lineSpacing();
        rows_ = std::clamp(fitting, 1, rows_);
    }
    visible_ = text_.visibleLines(shownEnd_, rows_);

    // Wide enough for the tip beside the rounded corners, with the one-pixel border on each side.
    const int minimumWidth = 2 * (kShape.cornerRadius + kShape.tipHalfWidth) + 2;
    const int width = std::max(minimumWidth, textWidth + 2 * kPaddingX + 2);
    const int height = rows_ * metrics.lineSpacing() + frame;
    bodySize_ = QSize(width, height);
    applyPlacement();
}

void WordBalloon::placeBeside(const QRect& characterRect) {
    character_ = characterRect;
    screen_.reset();
    placeOnScreen();
}

void WordBalloon::placeBeside(const QRect& characterRect, const QRect& availableScreen) {
    character_ = characterRect;
    screen_ = availableScreen;
    placeOnScreen();
}

void WordBalloon::placeOnScreen() {
    // Another screen may have room for other lines.
    if (currentScreenArea() != screenArea_) {
        relayout();
    } else {
        applyPlacement();
    }
}

QRect WordBalloon::currentScreenArea() const {
    if (screen_) {
        return *screen_;
    }
    QScreen* screen = character_ ? QGuiApplication::screenAt(character_->center()) : nullptr;
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

void WordBalloon::applyPlacement() {
    if (!character_) {
        return;
    }
    const QRect screenArea = screenArea_.isValid() ? screenArea_ : *character_;
    const BalloonPlacement next = placeBalloon(*character_, bodySize_, screenArea, kShape);
    const bool shapeChanged = next.window.size() != placement_.window.size() || next.tip != placement_.tip ||
                              next.tipX - next.window.left() != placement_.tipX - placement_.window.left();
    const bool moved = next.window != placement_.window;
    placement_ = next;
    if (moved) {
        setGeometry(placement_.window);
    }
    if (shapeChanged) {
        const QRect body = placement_.body.translated(-placement_.window.topLeft());
        const int tipX = placement_.tipX - placement_.window.left();
        shapeWindow(*this,
                    QRegion(outline(QRectF(body), placement_.tip, tipX, kShape).toFillPolygon().toPolygon()));
        requestRepaint();
    }
    if (open_ && !isVisible()) {
        show();
    }
}

void WordBalloon::requestRepaint() {
    update();
}

void WordBalloon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect body = placement_.body.translated(-placement_.window.topLeft());
    const qreal tipX = placement_.tipX - placement_.window.left() + 0.5;
    // The border's one-pixel line runs along the middle of the outermost pixels.
    const QPainterPath path =
        outline(QRectF(body).adjusted(0.5, 0.5, -0.5, -0.5), placement_.tip, tipX, kShape);
    painter.setPen(QPen(opaque(style_.border), 1));
    painter.setBrush(opaque(style_.background));
    painter.drawPath(path);

    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font_);
    painter.setPen(opaque(style_.foreground));
    const QFontMetrics metrics(font_);
    const int left = body.left() + 1 + kPaddingX;
    int baseline = body.top() + 1 + kPaddingY + metrics.ascent();
    for (const QString& line : visible_) {
        painter.drawText(QPoint(left, baseline), line);
        baseline += metrics.lineSpacing();
    }
}

void WordBalloon::closeEvent(QCloseEvent* event) {
    open_ = false;
    text_ = BalloonText(QString(), charsPerLine());
    shownEnd_ = 0;
    visible_.clear();
    event->accept();
}

}  // namespace agent::render

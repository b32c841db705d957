// A character's word balloon: a frameless window that never takes focus, beside the character, showing the
// statement being spoken as its words are reached. Drawn in the character file's colours and font.
#pragma once

#include "agent/format/acs_types.h"
#include "agent/render/balloon_geometry.h"
#include "agent/render/balloon_text.h"

#include <QFont>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <optional>

namespace agent::render {

// The font a character file asks for: LOGFONT conventions (height < 0 is the character height in pixels,
// > 0 the cell height, 0 a default; weight 100..900, 0 normal).
QFont balloonFont(const format::BalloonInfo& info);

class WordBalloon : public QWidget {
    Q_OBJECT

public:
    explicit WordBalloon(QWidget* parent = nullptr);

    // Colours, font, lines and characters per line. Takes effect at once, also on an open balloon.
    void setStyle(const format::BalloonInfo& info);
    // The user's font, which wins over the file's; nullopt returns to the file's font.
    void setFontOverride(std::optional<QFont> font);
    // The font the text is drawn in.
    QFont textFont() const { return font_; }
    // On (the default): the balloon is as wide and as high as the statement needs, up to charsPerLine
    // characters and `lines` lines. Off: always charsPerLine average characters wide and `lines` lines
    // high (a character file without flags::kBalloonSizeToText).
    void setSizeToText(bool on);

    // Starts a statement: its whole text is laid out and the balloon sized for it, nothing revealed yet.
    // The balloon shows once it has a place (placeBeside()), at once when it already has one.
    void open(const QString& shownText);
    // Shows the statement up to this index of its text (the speech's wordReached shownEnd).
    void reveal(int shownEnd);
    // Puts the balloon beside the character's window rectangle (screen coordinates), on the screen under
    // the character. Call again when the character moves.
    void placeBeside(const QRect& characterRect);
    // The same on a given available screen area.
    void placeBeside(const QRect& characterRect, const QRect& availableScreen);
    // close() (QWidget's) hides the balloon and ends the statement.

    bool isOpen() const { return open_; }
    const QString& text() const { return text_.text(); }
    // The lines drawn now, top to bottom.
    const QStringList& visibleLines() const { return visible_; }
    // Lines the body has room for in this statement: the file's `lines`, fewer when the statement needs
    // fewer (size to text) or the screen holds fewer.
    int rowCount() const { return rows_; }
    TipSide tipSide() const { return placement_.tip; }
    // In screen coordinates, as last placed.
    const BalloonPlacement& placement() const { return placement_; }
    // The body's size for the current statement and style.
    QSize bodySize() const { return bodySize_; }

    static constexpr BalloonShape kShape{};
    static constexpr int kPaddingX = 8;
    static constexpr int kPaddingY = 5;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void updateFont();
    void relayout();
    void placeOnScreen();
    void applyPlacement();
    QRect currentScreenArea() const;
    void requestRepaint();
    int lineCount() const;
    int charsPerLine() const;

    format::BalloonInfo style_;
    std::optional<QFont> fontOverride_;
    QFont font_;
    bool sizeToText_ = true;

    BalloonText text_;
    int shownEnd_ = 0;
    bool open_ = false;
    QStringList visible_;
    int rows_ = 1;
    QSize bodySize_;

    std::optional<QRect> character_;
    std::optional<QRect> screen_;  // given by the caller; else the screen under the character
    QRect screenArea_;             // the available area the body was sized and placed for
    BalloonPlacement placement_;
};

}  // namespace agent::render

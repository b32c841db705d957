// What a word balloon shows, without any widget: the statement's text wrapped into lines of at most
// charsPerLine characters, and the part of it revealed so far. The wrap is computed once on the whole text,
// so that words never jump between lines as speech reveals them; only the revealed part is drawn, and when it
// needs more lines than the balloon has, the balloon shows the last lines that hold revealed text.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace agent::render {

// Bounds applied to the balloon size a character file claims: 0 or absurd values give a usable balloon.
inline constexpr int kMinBalloonLines = 1;
inline constexpr int kMaxBalloonLines = 255;
inline constexpr int kMinCharsPerLine = 8;
inline constexpr int kMaxCharsPerLine = 255;

int sanitizedBalloonLines(int lines);
int sanitizedCharsPerLine(int charsPerLine);

// How long a balloon must stay open for a person to read the text: a second to find it, and a quarter of a
// second a word. A text without words needs no time.
inline constexpr qint64 kReadingStartMs = 1000;
inline constexpr qint64 kReadingMsPerWord = 250;
qint64 readingTimeMs(const QString& text);

class BalloonText {
public:
    BalloonText() = default;
    // Wraps the whole text at charsPerLine characters (sanitized): existing line breaks (\n, \r\n, \r) are
    // kept, runs of whitespace become one space and vanish at a wrap, a word longer than a line is broken.
    BalloonText(const QString& text, int charsPerLine);

    const QString& text() const { return text_; }
    int charsPerLine() const { return charsPerLine_; }

    // The whole text's lines, as they read once everything is revealed.
    int lineCount() const { return static_cast<int>(lines_.size()); }
    QStringList fullLines() const;
    // Characters in the longest line of the whole text.
    int widestLine() const;

    // The lines that hold text before shownEnd (clamped to the text), at most maxLines (sanitized) of them:
    // the last ones, so that the balloon pages on as speech goes on. Each line is cut at shownEnd. Empty
    // when nothing is revealed yet.
    QStringList visibleLines(int shownEnd, int maxLines) const;
    // Index in the whole text's lines of visibleLines()'s first line; 0 when nothing is revealed.
    int firstVisibleLine(int shownEnd, int maxLines) const;

private:
    // A run of the text shown on a line: one word, or a piece of a word broken across lines.
    struct Piece {
        int start = 0;
        int end = 0;  // exclusive
    };
    struct Line {
        int start = 0;  // where the line begins in the text: its first piece, or its place when empty
        QList<Piece> pieces;
    };

    QString lineText(const Line& line, int shownEnd) const;
    int lastRevealedLine(int shownEnd) const;

    QString text_;
    int charsPerLine_ = kMinCharsPerLine;
    QList<Line> lines_;
};

}  // namespace agent::render

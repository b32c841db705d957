#include "agent/render/balloon_text.h"

#include <algorithm>

namespace agent::render {

namespace {

bool isLineBreak(QChar c) {
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0x2028) || c == QChar(0x2029);
}

// Spaces that separate words; the no-break spaces hold their words together.
bool isWordSpace(QChar c) {
    return c.isSpace() && c != QChar(0x00A0) && c != QChar(0x2007) && c != QChar(0x202F);
}

// Moves a cut back so that it does not split a surrogate pair, unless that would leave nothing before it.
int safeCut(const QString& text, int from, int cut) {
    if (cut > from + 1 && cut < text.size() && text.at(cut - 1).isHighSurrogate() &&
        text.at(cut).isLowSurrogate()) {
        return cut - 1;
    }
    return cut;
}

}  // namespace

qint64 readingTimeMs(const QString& text) {
    qint64 words = 0;
    bool inWord = false;
    for (const QChar c : text) {
        const bool space = isWordSpace(c);
        words += !space && !inWord ? 1 : 0;
        inWord = !space;
    }
    return words == 0 ? 0 : kReadingStartMs + kReadingMsPerWord * words;
}

int sanitizedBalloonLines(int lines) {
    return std::clamp(lines, kMinBalloonLines, kMaxBalloonLines);
}

int sanitizedCharsPerLine(int charsPerLine) {
    return std::clamp(charsPerLine, kMinCharsPerLine, kMaxCharsPerLine);
}

BalloonText::BalloonText(const QString& text, int charsPerLine)
    : text_(text), charsPerLine_(sanitizedCharsPerLine(charsPerLine)) {
    const int size = static_cast<int>(text_.size());
    const int width = charsPerLine_;
    int pos = 0;
    while (pos <= size) {
        // One paragraph: up to the next line break.
        int paragraphEnd = pos;
        while (paragraphEnd < size && !isLineBreak(text_.at(paragraphEnd))) {
            ++paragraphEnd;
        }

        Line current{pos, {}};
        int currentLength = 0;
        int i = pos;
        while (i < paragraphEnd) {
            if (isWordSpace(text_.at(i))) {
                ++i;
                continue;
            }
            int wordStart = i;
            while (i < paragraphEnd && !isWordSpace(text_.at(i))) {
                ++i;
            }
            const int wordEnd = i;
            const int length = wordEnd - wordStart;
            if (!current.pieces.isEmpty() && currentLength + 1 + length <= width) {
                current.pieces.append({wordStart, wordEnd});
                currentLength += 1 + length;
                continue;
            }
            if (!current.pieces.isEmpty()) {
                lines_.append(current);
            }
            // The word starts a line; one longer than a line is broken into full lines first.
            while (wordEnd - wordStart > width) {
                const int cut = safeCut(text_, wordStart, wordStart + width);
                lines_.append(Line{wordStart, {Piece{wordStart, cut}}});
                wordStart = cut;
            }
            current = Line{wordStart, {Piece{wordStart, wordEnd}}};
            currentLength = wordEnd - wordStart;
        }
        lines_.append(current);

        if (paragraphEnd >= size) {
            break;
        }
        // \r\n is one line break.
        pos = paragraphEnd + 1;
        if (text_.at(paragraphEnd) == QLatin1Char('\r') && pos < size && text_.at(pos) == QLatin1Char('\n')) {
            ++pos;
        }
    }
    // Blank lines at the end would only make the balloon taller; they are never revealed.
    while (!lines_.isEmpty() && lines_.last().pieces.isEmpty()) {
        lines_.removeLast();
    }
}

QStringList BalloonText::fullLines() const {
    QStringList out;
    out.reserve(lines_.size());
    for (const Line& line : lines_) {
        out.append(lineText(line, static_cast<int>(text_.size())));
    }
    return out;
}

int BalloonText::widestLine() const {
    int widest = 0;
    for (const Line& line : lines_) {
        int length = 0;
        for (const Piece& piece : line.pieces) {
            length += (length > 0 ? 1 : 0) + (piece.end - piece.start);
        }
        widest = std::max(widest, length);
    }
    return widest;
}

QString BalloonText::lineText(const Line& line, int shownEnd) const {
    QString out;
    for (const Piece& piece : line.pieces) {
        if (piece.start >= shownEnd) {
            break;
        }
        if (!out.isEmpty()) {
            out.append(QLatin1Char(' '));
        }
        int end = std::min(piece.end, shownEnd);
        // A cut inside a surrogate pair shows neither half.
        if (end < piece.end && end > piece.start && text_.at(end - 1).isHighSurrogate()) {
            --end;
        }
        out.append(QStringView(text_).mid(piece.start, end - piece.start));
    }
    return out;
}

int BalloonText::lastRevealedLine(int shownEnd) const {
    const int end = std::clamp(shownEnd, 0, static_cast<int>(text_.size()));
    int last = -1;
    for (int i = 0; i < lines_.size() && lines_.at(i).start < end; ++i) {
        last = i;
    }
    return last;
}

int BalloonText::firstVisibleLine(int shownEnd, int maxLines) const {
    const int last = lastRevealedLine(shownEnd);
    if (last < 0) {
        return 0;
    }
    return std::max(0, last - sanitizedBalloonLines(maxLines) + 1);
}

QStringList BalloonText::visibleLines(int shownEnd, int maxLines) const {
    const int last = lastRevealedLine(shownEnd);
    if (last < 0) {
        return {};
    }
    const int end = std::clamp(shownEnd, 0, static_cast<int>(text_.size()));
    QStringList out;
    for (int i = firstVisibleLine(shownEnd, maxLines); i <= last; ++i) {
        out.append(lineText(lines_.at(i), end));
    }
    return out;
}

}  // namespace agent::render

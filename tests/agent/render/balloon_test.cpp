// The word balloon: its text layout and placement as plain functions, and the window on the offscreen
// platform.
#include "agent/render/balloon_geometry.h"
#include "agent/render/balloon_text.h"
#include "agent/render/word_balloon.h"
#include "tests/support/qt_printers.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QWindow>

#include <gtest/gtest.h>

using agent::format::BalloonInfo;
using agent::render::BalloonPlacement;
using agent::render::BalloonText;
using agent::render::placeBalloon;
using agent::render::TipSide;
using agent::render::WordBalloon;

namespace {

// ---- Text layout ----

TEST(BalloonText, WholeTextWraps) {
    const struct {
        const char* text;
        int charsPerLine;
        QStringList expected;
        qsizetype widest;
    } cases[] = {
        {"", 20, {}, 0},
        {"The time is now ten past three", 12, {"The time is", "now ten past", "three"}, 12},
        {"a supercalifragilistic day", 8, {"a", "supercal", "ifragili", "stic day"}, 8},
        {"one\r\ntwo\rthree\n\nfour", 40, {"one", "two", "three", "", "four"}, 5},
        {"ten\u00a0o'clock now", 11, {"ten\u00a0o'clock", "now"}, 11},
        // U+1F600 is two UTF-16 units; a line of 8 units must not end between them.
        {"abcdefg\U0001F600hij", 8, {"abcdefg", "\U0001F600hij"}, 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const BalloonText text(QString::fromUtf8(c.text), c.charsPerLine);
        EXPECT_EQ(text.fullLines(), c.expected);
        EXPECT_EQ(text.lineCount(), c.expected.size());
        EXPECT_EQ(text.widestLine(), c.widest);
        // Everything revealed shows the same lines when the balloon has room for them all.
        EXPECT_EQ(text.visibleLines(int(text.text().size()), 255), c.expected);
    }
}

// Reading takes a second and a quarter second a word; absurd sizes are bounded.
TEST(BalloonText, ReadingTimeAndBoundedSizes) {
    EXPECT_EQ(agent::render::readingTimeMs(QString()), 0);
    EXPECT_EQ(agent::render::readingTimeMs(QStringLiteral("  good   morning,\nSam ")), 1750);
    EXPECT_EQ(agent::render::sanitizedBalloonLines(0), 1);
    EXPECT_EQ(agent::render::sanitizedBalloonLines(100000), 255);
    EXPECT_EQ(agent::render::sanitizedCharsPerLine(7), 8);
    EXPECT_EQ(BalloonText(QStringLiteral("x"), 1000).charsPerLine(), 255);
}

// What a balloon of so many rows shows once the text up to a point has been spoken: the lines of the whole
// text, never reflowed while it is revealed, paged to the last rows.
TEST(BalloonText, RevealsWordByWordWithoutReflowingAndPagesToTheLastRows) {
    const QString noon = QStringLiteral("It is now twelve o'clock and all is well");
    const QString count = QStringLiteral("one two three four five six");
    const QString blank = QStringLiteral("one\n\ntwo");
    const QString smiley =
        QStringLiteral("abcdefg") + QString::fromUcs4(U"\U0001F600") + QStringLiteral("hij");
    const struct {
        QString text;
        int charsPerLine, end, rows;
        QStringList shown;
    } cases[] = {
        {noon, 12, 0, 2, {}},
        {noon, 12, 3, 2, {"It"}},  // the space alone adds nothing
        // "twelve" would fit after "It is now" while it is being revealed; the whole text decides its line.
        {noon, 12, 13, 2, {"It is now", "twe"}},
        {count, 8, 18, 2, {"three", "four"}},
        // A balloon of one line shows only the line being spoken.
        {count, 8, 18, 1, {"four"}},
        // A blank line comes with the text after it.
        {blank, 20, 6, 3, {"one", "", "t"}},
        {smiley, 40, 8, 1, {"abcdefg"}},  // up to the middle of a surrogate pair: neither half
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text.toStdString() << " up to " << c.end << " in " << c.rows);
        EXPECT_EQ(BalloonText(c.text, c.charsPerLine).visibleLines(c.end, c.rows), c.shown);
    }
    EXPECT_EQ(BalloonText(noon, 12).firstVisibleLine(0, 2), 0);
}

// ---- Placement ----

const QRect kScreen(0, 0, 1000, 800);
const agent::render::BalloonShape kShape{14, 7, 8};

// The body and the tip together, the tip on the side the placement says.
QRect windowOf(const BalloonPlacement& p) {
    return p.tipBelow() ? p.body.adjusted(0, 0, 0, kShape.tipHeight)
                        : p.body.adjusted(0, -kShape.tipHeight, 0, 0);
}

TEST(BalloonGeometry, PlacesBesideTheCharacterAndMovesIntoTheScreen) {
    const TipSide above = TipSide::Bottom, below = TipSide::Top;
    const QRect lowScreen(0, 0, 1000, 300);
    const struct {
        QRect character;
        QSize size;
        QRect body;
        TipSide tip;
        int tipX;
        QRect screen = kScreen;
    } cases[] = {
        {{400, 64, 100, 120}, {200, 50}, {350, 0, 200, 50}, above, 450},  // exactly enough room above
        {{400, 63, 100, 120}, {200, 50}, {350, 197, 200, 50}, below, 450},
        // No room either way: the larger side, moved into the screen.
        {{400, 120, 100, 140}, {200, 150}, {350, 0, 200, 150}, above, 450, lowScreen},
        {{400, 40, 100, 140}, {200, 150}, {350, 150, 200, 150}, below, 450, lowScreen},
        // At the sides the tip keeps pointing at the character's centre, clear of the rounded corners.
        {{-90, 400, 100, 120}, {300, 50}, {0, 336, 300, 50}, above, 15},
        {{990, 400, 100, 120}, {300, 50}, {700, 336, 300, 50}, above, 984},
        // Wider than the screen: its left edge stays on it. Too narrow for the corners: the tip centred.
        {{400, 400, 100, 100}, {1200, 50}, {0, 336, 1200, 50}, above, 450},
        {{-50, 400, 100, 100}, {20, 20}, {0, 366, 20, 20}, above, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        const BalloonPlacement p = placeBalloon(c.character, c.size, c.screen, kShape);
        EXPECT_EQ(p.body, c.body);
        EXPECT_EQ(p.tip, c.tip);
        EXPECT_EQ(p.tipX, c.tipX);
        EXPECT_EQ(p.window, windowOf(p));
    }
}

// ---- The window ----

const QRect kCharacter(300, 300, 120, 120);
const QRect kArea(0, 0, 800, 600);

BalloonInfo genieLikeStyle() {
    BalloonInfo info;
    info.lines = 2;
    info.charsPerLine = 20;
    info.foreground = qRgb(0, 0, 0x80);
    info.background = qRgb(0xff, 0xff, 0xc0);
    info.border = qRgb(0xc0, 0, 0);
    info.fontName = QStringLiteral("DejaVu Sans");
    info.fontHeight = -13;
    info.fontWeight = 400;
    return info;
}

// A balloon in Genie's style.
class WordBalloonTest : public ::testing::Test {
protected:
    void SetUp() override { balloon.setStyle(genieLikeStyle()); }
    WordBalloon balloon;
};

TEST(WordBalloon, FontFromTheFile) {
    using agent::render::balloonFont;
    BalloonInfo info = genieLikeStyle();
    info.fontName = QStringLiteral("Comic Sans MS");
    info.fontWeight = 700;
    info.italic = true;
    QFont font = balloonFont(info);
    EXPECT_EQ(font.family(), QStringLiteral("Comic Sans MS"));
    EXPECT_EQ(font.pixelSize(), 13);
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_TRUE(font.italic());

    info.fontHeight = 20;  // cell height: the characters come out smaller
    font = balloonFont(info);
    EXPECT_LE(font.pixelSize(), 20);
    EXPECT_GE(font.pixelSize(), 12);
    EXPECT_LE(QFontMetrics(font).height(), 21);

    info.fontHeight = 0;  // a sensible default: the desktop's font size
    EXPECT_GT(QFontMetrics(balloonFont(info)).height(), 4);
    info.fontHeight = -100000;  // absurd: capped
    EXPECT_LE(balloonFont(info).pixelSize(), 144);

    info.fontWeight = 0;
    EXPECT_EQ(balloonFont(info).weight(), QFont::Normal);
    info.fontWeight = 5000;
    EXPECT_EQ(balloonFont(info).weight(), QFont::Black);
    info.fontName.clear();  // no name: the desktop's family
    EXPECT_EQ(balloonFont(info).family(), QGuiApplication::font().family());
}

TEST_F(WordBalloonTest, FontOverrideWins) {
    QFont mine(QStringLiteral("DejaVu Serif"));
    mine.setPixelSize(22);
    balloon.setFontOverride(mine);
    EXPECT_EQ(balloon.textFont(), mine);
    // A new style does not undo the user's choice.
    BalloonInfo other = genieLikeStyle();
    other.fontHeight = -9;
    balloon.setStyle(other);
    EXPECT_EQ(balloon.textFont(), mine);
    balloon.setFontOverride(std::nullopt);
    EXPECT_EQ(balloon.textFont().family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(balloon.textFont().pixelSize(), 9);
}

TEST_F(WordBalloonTest, StyleChangeOnAnOpenBalloonWrapsAgainEvenToADegenerateStyle) {
    balloon.placeBeside(kCharacter, kArea);
    balloon.open(QStringLiteral("It is ten past three"));
    balloon.reveal(20);
    EXPECT_EQ(balloon.visibleLines(), QStringList{"It is ten past three"});
    balloon.setStyle(BalloonInfo{});  // lines 0, charsPerLine 0, no font
    // One line of eight characters: "It is", "ten past", "three", paged to the last.
    EXPECT_EQ(balloon.visibleLines(), QStringList{"three"});
    EXPECT_GT(balloon.bodySize().width(), 0);
    EXPECT_TRUE(balloon.isVisible());
}

}  // namespace

// The word balloon: its text layout and placement as plain functions, and the window on the offscreen
// platform.
#include "agent/format/acs_file.h"
#include "agent/render/balloon_geometry.h"
#include "agent/render/balloon_text.h"
#include "agent/render/word_balloon.h"
#include "tests/support/qt_printers.h"
#include "tests/support/test_data.h"

#include <QDir>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>

#include <gtest/gtest.h>

using agent::format::BalloonInfo;
using agent::render::BalloonPlacement;
using agent::render::BalloonShape;
using agent::render::BalloonText;
using agent::render::placeBalloon;
using agent::render::TipSide;
using agent::render::WordBalloon;

namespace {

QStringList lines(std::initializer_list<const char*> items) {
    QStringList out;
    for (const char* item : items) {
        out.append(QString::fromUtf8(item));
    }
    return out;
}

// ---- Text layout ----

struct WrapCase {
    const char* name;
    const char* text;
    int charsPerLine;
    QStringList expected;
};

void PrintTo(const WrapCase& c, std::ostream* os) {
    *os << c.name;
}

class WrapTable : public ::testing::TestWithParam<WrapCase> {};

TEST_P(WrapTable, WholeTextWrapsAsExpected) {
    const WrapCase& c = GetParam();
    const BalloonText text(QString::fromUtf8(c.text), c.charsPerLine);
    EXPECT_EQ(text.fullLines(), c.expected);
    EXPECT_EQ(text.lineCount(), c.expected.size());
    // Everything revealed shows the same lines when the balloon has room for them all.
    EXPECT_EQ(text.visibleLines(int(text.text().size()), 255), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Balloon, WrapTable,
    ::testing::Values(
        WrapCase{"Empty", "", 20, {}}, WrapCase{"OnlySpaces", "   \t  ", 20, {}},
        WrapCase{"OneLine", "It is ten o'clock.", 20, lines({"It is ten o'clock."})},
        WrapCase{"ExactFit", "abcd efgh", 9, lines({"abcd efgh"})},
        WrapCase{"WrapsAtWords", "The time is now ten past three", 12,
                 lines({"The time is", "now ten past", "three"})},
        WrapCase{"SpacesCollapse", "  The   time \t is  now  ", 12, lines({"The time is", "now"})},
        WrapCase{"LongWordBroken", "a supercalifragilistic day", 8,
                 lines({"a", "supercal", "ifragili", "stic day"})},
        WrapCase{"LongWordAlone", "abcdefghijklmnopqrst", 8, lines({"abcdefgh", "ijklmnop", "qrst"})},
        WrapCase{"NewlinesKept", "Good morning!\nIt is seven.", 40, lines({"Good morning!", "It is seven."})},
        WrapCase{"CrLfAndCr", "one\r\ntwo\rthree", 40, lines({"one", "two", "three"})},
        WrapCase{"BlankLineKept", "one\n\ntwo", 40, lines({"one", "", "two"})},
        WrapCase{"TrailingNewlinesDropped", "one\n\n", 40, lines({"one"})},
        WrapCase{"NoBreakSpaceHolds", "ten\u00a0o'clock now", 11, lines({"ten\u00a0o'clock", "now"})},
        WrapCase{"DegenerateWidthIsEight", "aaaa bbbb cccc", 0, lines({"aaaa", "bbbb", "cccc"})},
        WrapCase{"NegativeWidthIsEight", "aaaa bbb cccc", -5, lines({"aaaa bbb", "cccc"})},
        WrapCase{"HugeWidthCapped", "word", 100000, lines({"word"})}),
    [](const ::testing::TestParamInfo<WrapCase>& info) { return std::string(info.param.name); });

TEST(BalloonText, SanitizedSizes) {
    EXPECT_EQ(agent::render::sanitizedBalloonLines(0), 1);
    EXPECT_EQ(agent::render::sanitizedBalloonLines(-3), 1);
    EXPECT_EQ(agent::render::sanitizedBalloonLines(3), 3);
    EXPECT_EQ(agent::render::sanitizedBalloonLines(100000), 255);
    EXPECT_EQ(agent::render::sanitizedCharsPerLine(0), 8);
    EXPECT_EQ(agent::render::sanitizedCharsPerLine(7), 8);
    EXPECT_EQ(agent::render::sanitizedCharsPerLine(32), 32);
    EXPECT_EQ(agent::render::sanitizedCharsPerLine(1000), 255);
    EXPECT_EQ(BalloonText(QStringLiteral("x"), 1000).charsPerLine(), 255);
}

TEST(BalloonText, WidestLine) {
    const BalloonText text(QStringLiteral("The time is now ten past three"), 12);
    EXPECT_EQ(text.widestLine(), 12);
    EXPECT_EQ(BalloonText().widestLine(), 0);
    EXPECT_EQ(BalloonText().lineCount(), 0);
}

TEST(BalloonText, NothingRevealedShowsNothing) {
    const BalloonText text(QStringLiteral("Hello there"), 20);
    EXPECT_TRUE(text.visibleLines(0, 2).isEmpty());
    EXPECT_TRUE(text.visibleLines(-4, 2).isEmpty());
    EXPECT_EQ(text.firstVisibleLine(0, 2), 0);
}

TEST(BalloonText, RevealedPrefixNeverReflows) {
    // "It is" would fit on the first line with "now", but the whole text decides where "twelve" goes.
    const QString statement = QStringLiteral("It is now twelve o'clock and all is well");
    const BalloonText text(statement, 12);
    const QStringList full = text.fullLines();
    ASSERT_EQ(full, lines({"It is now", "twelve", "o'clock and", "all is well"}));
    for (int end = 0; end <= statement.size(); ++end) {
        const QStringList shown = text.visibleLines(end, 255);
        // Every shown line is a prefix of the same line of the whole text, and all but the last are whole.
        ASSERT_LE(shown.size(), full.size());
        for (int i = 0; i < shown.size(); ++i) {
            EXPECT_TRUE(full.at(i).startsWith(shown.at(i))) << "end " << end << " line " << i;
            if (i + 1 < shown.size()) {
                EXPECT_EQ(shown.at(i), full.at(i)) << "end " << end;
            }
        }
    }
}

TEST(BalloonText, RevealsWordByWord) {
    const QString statement = QStringLiteral("It is now twelve");
    const BalloonText text(statement, 10);
    EXPECT_EQ(text.visibleLines(2, 2), lines({"It"}));
    EXPECT_EQ(text.visibleLines(3, 2), lines({"It"}));  // the space alone adds nothing
    EXPECT_EQ(text.visibleLines(5, 2), lines({"It is"}));
    EXPECT_EQ(text.visibleLines(9, 2), lines({"It is now"}));
    EXPECT_EQ(text.visibleLines(10, 2), lines({"It is now"}));
    EXPECT_EQ(text.visibleLines(13, 2), lines({"It is now", "twe"}));
    EXPECT_EQ(text.visibleLines(16, 2), lines({"It is now", "twelve"}));
    EXPECT_EQ(text.visibleLines(1000, 2), lines({"It is now", "twelve"}));
}

TEST(BalloonText, PagesToTheLastRevealedLines) {
    const QString statement = QStringLiteral("one two three four five six");
    const BalloonText text(statement, 8);
    ASSERT_EQ(text.fullLines(), lines({"one two", "three", "four", "five six"}));
    const auto endOf = [&](const char* word) {
        return int(statement.indexOf(QLatin1String(word)) + qstrlen(word));
    };
    EXPECT_EQ(text.visibleLines(endOf("two"), 2), lines({"one two"}));
    EXPECT_EQ(text.visibleLines(endOf("three"), 2), lines({"one two", "three"}));
    EXPECT_EQ(text.visibleLines(endOf("four"), 2), lines({"three", "four"}));
    EXPECT_EQ(text.firstVisibleLine(endOf("four"), 2), 1);
    EXPECT_EQ(text.visibleLines(endOf("five"), 2), lines({"four", "five"}));
    EXPECT_EQ(text.visibleLines(endOf("six"), 2), lines({"four", "five six"}));
    // A balloon of one line (or a file claiming none) shows only the line being spoken.
    EXPECT_EQ(text.visibleLines(endOf("four"), 1), lines({"four"}));
    EXPECT_EQ(text.visibleLines(endOf("four"), 0), lines({"four"}));
}

TEST(BalloonText, BlankLineRevealedWithTheTextAfterIt) {
    const QString statement = QStringLiteral("one\n\ntwo");
    const BalloonText text(statement, 20);
    EXPECT_EQ(text.visibleLines(3, 3), lines({"one"}));
    EXPECT_EQ(text.visibleLines(6, 3), lines({"one", "", "t"}));
    EXPECT_EQ(text.visibleLines(8, 2), lines({"", "two"}));
}

TEST(BalloonText, NeverSplitsASurrogatePair) {
    // U+1F600 is two UTF-16 units; a line of 8 units must not end between them.
    const QString statement =
        QStringLiteral("abcdefg") + QString::fromUcs4(U"\U0001F600") + QStringLiteral("hij");
    const BalloonText text(statement, 8);
    const QStringList full = text.fullLines();
    ASSERT_EQ(full.size(), 2);
    EXPECT_EQ(full.at(0), QStringLiteral("abcdefg"));
    EXPECT_EQ(full.at(1), QString::fromUcs4(U"\U0001F600") + QStringLiteral("hij"));
    // Revealing up to the middle of the pair shows neither half.
    const BalloonText oneLine(statement, 40);
    EXPECT_EQ(oneLine.visibleLines(8, 1), lines({"abcdefg"}));
}

// ---- Placement ----

const QRect kScreen(0, 0, 1000, 800);
const BalloonShape kShape{14, 7, 8};

TEST(BalloonGeometry, CentredAboveByDefault) {
    const QRect character(400, 400, 100, 120);
    const BalloonPlacement p = placeBalloon(character, QSize(200, 50), kScreen, kShape);
    EXPECT_EQ(p.tip, TipSide::Bottom);
    EXPECT_TRUE(p.tipBelow());
    EXPECT_EQ(p.body, QRect(350, 400 - 14 - 50, 200, 50));
    EXPECT_EQ(p.window, QRect(350, 336, 200, 64));
    EXPECT_EQ(p.window.bottom() + 1, character.top());
    EXPECT_EQ(p.tipX, 450);
}

TEST(BalloonGeometry, FlipsBelowAtTheTopEdge) {
    const QRect character(400, 30, 100, 120);
    const BalloonPlacement p = placeBalloon(character, QSize(200, 50), kScreen, kShape);
    EXPECT_EQ(p.tip, TipSide::Top);
    EXPECT_EQ(p.window.top(), character.bottom() + 1);
    EXPECT_EQ(p.body.top(), character.bottom() + 1 + 14);
    EXPECT_EQ(p.tipX, 450);
}

TEST(BalloonGeometry, ExactRoomAboveStaysAbove) {
    const QRect character(400, 64, 100, 120);
    EXPECT_EQ(placeBalloon(character, QSize(200, 50), kScreen, kShape).tip, TipSide::Bottom);
    const QRect lower(400, 63, 100, 120);
    EXPECT_EQ(placeBalloon(lower, QSize(200, 50), kScreen, kShape).tip, TipSide::Top);
}

TEST(BalloonGeometry, ScreenWithAnOffset) {
    // A second monitor above and to the right; a panel takes its top 30 rows.
    const QRect screen(1920, -1050, 1680, 1020);
    const QRect character(2500, -1000, 100, 100);
    const BalloonPlacement p = placeBalloon(character, QSize(200, 50), screen, kShape);
    EXPECT_EQ(p.tip, TipSide::Top);
    EXPECT_TRUE(screen.contains(p.window));
}

TEST(BalloonGeometry, NoRoomEitherWayTakesTheLargerSideAndStaysOnScreen) {
    const QRect screen(0, 0, 1000, 300);
    // Room above: 120 rows, below: 300 - 260 = 40 rows; the balloon needs 164.
    const BalloonPlacement above = placeBalloon(QRect(400, 120, 100, 140), QSize(200, 150), screen, kShape);
    EXPECT_EQ(above.tip, TipSide::Bottom);
    EXPECT_EQ(above.window.top(), 0);
    EXPECT_TRUE(screen.contains(above.window));
    // Room above: 40, below: 120.
    const BalloonPlacement below = placeBalloon(QRect(400, 40, 100, 140), QSize(200, 150), screen, kShape);
    EXPECT_EQ(below.tip, TipSide::Top);
    EXPECT_EQ(below.window.bottom(), screen.bottom());
    EXPECT_TRUE(screen.contains(below.window));
}

TEST(BalloonGeometry, ShiftsAtTheLeftEdge) {
    const QRect character(-30, 400, 100, 120);  // partly off the screen
    const BalloonPlacement p = placeBalloon(character, QSize(300, 50), kScreen, kShape);
    EXPECT_EQ(p.body.left(), 0);
    EXPECT_TRUE(kScreen.contains(p.window));
    // The tip points at the character's centre (x 20), which is clear of the rounded corner.
    EXPECT_EQ(p.tipX, 20);
    EXPECT_GE(p.tipX - 7, p.body.left() + 8);
    // A character further out gets the tip as near as the corner lets it.
    const BalloonPlacement further = placeBalloon(QRect(-90, 400, 100, 120), QSize(300, 50), kScreen, kShape);
    EXPECT_EQ(further.body.left(), 0);
    EXPECT_EQ(further.tipX, 0 + 8 + 7);
}

TEST(BalloonGeometry, ShiftsAtTheRightEdge) {
    const QRect character(900, 400, 100, 120);
    const BalloonPlacement p = placeBalloon(character, QSize(300, 50), kScreen, kShape);
    EXPECT_EQ(p.body.right(), kScreen.right());
    EXPECT_TRUE(kScreen.contains(p.window));
    EXPECT_EQ(p.tipX, 950);  // the character's centre, still well inside the body
    EXPECT_LE(p.tipX + 7, p.body.right() - 8);
}

TEST(BalloonGeometry, TipClampedAtTheRightCorner) {
    const QRect character(990, 400, 100, 120);  // centre at 1040, off the screen
    const BalloonPlacement p = placeBalloon(character, QSize(300, 50), kScreen, kShape);
    EXPECT_EQ(p.body.right(), kScreen.right());
    EXPECT_EQ(p.tipX, kScreen.right() - 8 - 7);
}

TEST(BalloonGeometry, TipPointsAtTheCharacterWhereverItIs) {
    const QSize body(240, 60);
    for (int x = -200; x <= 1200; x += 37) {
        for (int y : {-50, 0, 40, 300, 700, 790}) {
            const QRect character(x, y, 120, 110);
            const BalloonPlacement p = placeBalloon(character, body, kScreen, kShape);
            EXPECT_TRUE(kScreen.contains(p.window)) << x << "," << y;
            EXPECT_GE(p.tipX - kShape.tipHalfWidth, p.body.left() + kShape.cornerRadius) << x << "," << y;
            EXPECT_LE(p.tipX + kShape.tipHalfWidth, p.body.right() - kShape.cornerRadius) << x << "," << y;
            const int centre = character.left() + character.width() / 2;
            if (centre - 15 >= p.body.left() && centre + 15 <= p.body.right()) {
                EXPECT_EQ(p.tipX, centre) << x << "," << y;
            }
            // The window is the body and the tip, with the tip on the side the placement says.
            if (p.tipBelow()) {
                EXPECT_EQ(p.window.top(), p.body.top());
            } else {
                EXPECT_EQ(p.window.bottom(), p.body.bottom());
            }
            EXPECT_EQ(p.window.height(), body.height() + kShape.tipHeight);
        }
    }
}

TEST(BalloonGeometry, BodyWiderThanTheScreenKeepsItsLeftEdgeOnScreen) {
    const BalloonPlacement p = placeBalloon(QRect(400, 400, 100, 100), QSize(1200, 50), kScreen, kShape);
    EXPECT_EQ(p.body.left(), kScreen.left());
    EXPECT_EQ(p.tipX, 450);
}

TEST(BalloonGeometry, NarrowBodyPutsTheTipInTheMiddle) {
    const BalloonPlacement p = placeBalloon(QRect(400, 400, 100, 100), QSize(20, 20), kScreen, kShape);
    EXPECT_EQ(p.tipX, p.body.left() + 10);
}

// ---- The window ----

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

bool hasColour(const QImage& image, QRgb colour, int tolerance = 0) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (qAbs(qRed(c) - qRed(colour)) <= tolerance && qAbs(qGreen(c) - qGreen(colour)) <= tolerance &&
                qAbs(qBlue(c) - qBlue(colour)) <= tolerance && qAlpha(c) == 255) {
                return true;
            }
        }
    }
    return false;
}

QImage rendered(WordBalloon& balloon) {
    QImage image(balloon.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    balloon.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image.convertToFormat(QImage::Format_ARGB32);
}

TEST(WordBalloon, WindowNeverTakesFocus) {
    WordBalloon balloon;
    const Qt::WindowFlags flags = balloon.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::Tool));
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(balloon.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(balloon.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_FALSE(balloon.testAttribute(Qt::WA_QuitOnClose));
    EXPECT_EQ(balloon.focusPolicy(), Qt::NoFocus);
}

TEST(WordBalloon, OpenAndRevealShowExactlyTheRevealedWords) {
    WordBalloon balloon;
    balloon.setStyle(genieLikeStyle());
    const QString statement = QStringLiteral("Hello, it is a quarter past eleven and time for tea");
    balloon.open(statement);
    EXPECT_TRUE(balloon.isOpen());
    EXPECT_TRUE(balloon.visibleLines().isEmpty());
    EXPECT_FALSE(balloon.isVisible());  // no place yet
    balloon.placeBeside(QRect(300, 300, 120, 120), QRect(0, 0, 800, 600));
    EXPECT_TRUE(balloon.isVisible());

    balloon.reveal(int(statement.indexOf(QLatin1String("it")) + 2));
    EXPECT_EQ(balloon.visibleLines(), lines({"Hello, it"}));
    balloon.reveal(int(statement.indexOf(QLatin1String("eleven")) + 6));
    EXPECT_EQ(balloon.visibleLines(), lines({"Hello, it is a", "quarter past eleven"}));
    balloon.reveal(int(statement.size()));
    EXPECT_EQ(balloon.visibleLines(), lines({"quarter past eleven", "and time for tea"}));
    EXPECT_EQ(balloon.rowCount(), 2);

    balloon.close();
    EXPECT_FALSE(balloon.isVisible());
    EXPECT_FALSE(balloon.isOpen());
    EXPECT_TRUE(balloon.visibleLines().isEmpty());
    balloon.reveal(5);  // a late word after the statement ended changes nothing
    EXPECT_TRUE(balloon.visibleLines().isEmpty());

    // The next statement shows again at the known place.
    balloon.open(QStringLiteral("Bye"));
    EXPECT_TRUE(balloon.isVisible());
    balloon.reveal(3);
    EXPECT_EQ(balloon.visibleLines(), lines({"Bye"}));
}

TEST(WordBalloon, SizeFollowsTheWholeStatementNotTheRevealedPart) {
    WordBalloon balloon;
    balloon.setStyle(genieLikeStyle());
    balloon.placeBeside(QRect(300, 300, 120, 120), QRect(0, 0, 800, 600));
    balloon.open(QStringLiteral("Hi"));
    const QSize small = balloon.bodySize();
    EXPECT_EQ(balloon.rowCount(), 1);

    balloon.open(QStringLiteral("It is a quarter past eleven"));
    const QSize big = balloon.bodySize();
    EXPECT_EQ(balloon.rowCount(), 2);
    EXPECT_GT(big.width(), small.width());
    EXPECT_GT(big.height(), small.height());
    for (int end = 0; end <= 27; ++end) {
        balloon.reveal(end);
        EXPECT_EQ(balloon.bodySize(), big);
    }

    // Width: the widest line in the font, never more than charsPerLine characters of text.
    const QFontMetrics metrics(balloon.textFont());
    EXPECT_GE(big.width(), metrics.horizontalAdvance(QStringLiteral("quarter past eleven")));
    EXPECT_LE(big.width(), metrics.horizontalAdvance(QStringLiteral("quarter past eleven")) + 40);
    EXPECT_GE(big.height(), 2 * metrics.height());
    // The window holds the body and the tip.
    EXPECT_EQ(balloon.size(), QSize(big.width(), big.height() + WordBalloon::kShape.tipHeight));

    balloon.setSizeToText(false);
    EXPECT_EQ(balloon.rowCount(), 2);
    EXPECT_GE(balloon.bodySize().width(), metrics.averageCharWidth() * 20);
    balloon.open(QStringLiteral("Hi"));
    EXPECT_EQ(balloon.rowCount(), 2);
    EXPECT_EQ(balloon.bodySize().height(), big.height());
}

TEST(WordBalloon, FontFromTheStyle) {
    BalloonInfo info = genieLikeStyle();
    info.fontName = QStringLiteral("Comic Sans MS");
    info.fontHeight = -16;
    info.fontWeight = 700;
    info.italic = true;
    WordBalloon balloon;
    balloon.setStyle(info);
    const QFont font = balloon.textFont();
    EXPECT_EQ(font.family(), QStringLiteral("Comic Sans MS"));
    EXPECT_EQ(font.pixelSize(), 16);
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_TRUE(font.italic());
}

TEST(WordBalloon, LogFontHeights) {
    BalloonInfo info = genieLikeStyle();
    info.fontHeight = 20;  // cell height: the characters come out smaller
    const QFont cell = agent::render::balloonFont(info);
    EXPECT_LE(cell.pixelSize(), 20);
    EXPECT_GE(cell.pixelSize(), 12);
    EXPECT_LE(QFontMetrics(cell).height(), 21);

    info.fontHeight = 0;  // a sensible default: the desktop's font size
    const QFont fallback = agent::render::balloonFont(info);
    EXPECT_EQ(fallback.family(), info.fontName);
    EXPECT_GT(QFontMetrics(fallback).height(), 4);

    info.fontHeight = -100000;  // absurd: capped
    EXPECT_LE(agent::render::balloonFont(info).pixelSize(), 144);

    info.fontWeight = 0;
    EXPECT_EQ(agent::render::balloonFont(info).weight(), QFont::Normal);
    info.fontWeight = 300;
    EXPECT_EQ(agent::render::balloonFont(info).weight(), QFont::Light);
    info.fontWeight = 5000;
    EXPECT_EQ(agent::render::balloonFont(info).weight(), QFont::Black);

    info.fontName.clear();  // no name: the desktop's family
    EXPECT_EQ(agent::render::balloonFont(info).family(), QGuiApplication::font().family());
}

TEST(WordBalloon, FontOverrideWins) {
    WordBalloon balloon;
    balloon.setStyle(genieLikeStyle());
    QFont mine(QStringLiteral("DejaVu Serif"));
    mine.setPixelSize(22);
    balloon.setFontOverride(mine);
    EXPECT_EQ(balloon.textFont().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(balloon.textFont().pixelSize(), 22);
    // A new style does not undo the user's choice.
    BalloonInfo other = genieLikeStyle();
    other.fontHeight = -9;
    balloon.setStyle(other);
    EXPECT_EQ(balloon.textFont().pixelSize(), 22);
    balloon.setFontOverride(std::nullopt);
    EXPECT_EQ(balloon.textFont().family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(balloon.textFont().pixelSize(), 9);
}

TEST(WordBalloon, PaintsInTheStyleColours) {
    WordBalloon balloon;
    BalloonInfo info = genieLikeStyle();
    info.background = info.background & 0x00ffffff;  // a spare byte of 0 must not make it transparent
    balloon.setStyle(info);
    balloon.placeBeside(QRect(300, 300, 120, 120), QRect(0, 0, 800, 600));
    balloon.open(QStringLiteral("Tea time"));

    QImage image = rendered(balloon);
    const QRect body = balloon.placement().body.translated(-balloon.placement().window.topLeft());
    EXPECT_EQ(image.pixel(body.center()) & 0xffffffu, info.background & 0xffffffu);
    EXPECT_EQ(qAlpha(image.pixel(body.center())), 255);
    EXPECT_TRUE(hasColour(image, info.border, 8));
    EXPECT_FALSE(hasColour(image, info.foreground, 40));  // nothing revealed, no text
    // Outside the outline, beside the tip, the window is see-through.
    EXPECT_EQ(qAlpha(image.pixel(0, image.height() - 1)), 0);

    balloon.reveal(8);
    image = rendered(balloon);
    EXPECT_TRUE(hasColour(image, info.foreground, 40));
}

TEST(WordBalloon, MaskShapedToTheBalloon) {
    WordBalloon balloon;
    balloon.setStyle(genieLikeStyle());
    balloon.placeBeside(QRect(300, 300, 120, 120), QRect(0, 0, 800, 600));
    balloon.open(QStringLiteral("Tea time"));
    const QRegion mask = balloon.mask();
    ASSERT_FALSE(mask.isEmpty());
    const auto& p = balloon.placement();
    const QPoint origin = p.window.topLeft();
    EXPECT_TRUE(mask.contains(p.body.center() - origin));
    // The tip's point region is in, the corners beside it are out.
    EXPECT_TRUE(mask.contains(QPoint(p.tipX, p.body.bottom() + 3) - origin));
    EXPECT_FALSE(mask.contains(QPoint(0, balloon.height() - 1)));
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));  // the rounded corner
}

TEST(WordBalloon, PlacedBesideTheCharacter) {
    WordBalloon balloon;
    balloon.setStyle(genieLikeStyle());
    const QRect screen(0, 0, 800, 600);
    balloon.open(QStringLiteral("Good morning"));
    balloon.placeBeside(QRect(300, 300, 120, 120), screen);
    EXPECT_TRUE(balloon.isTipBelow());
    EXPECT_EQ(balloon.tipSide(), TipSide::Bottom);
    EXPECT_EQ(balloon.geometry(), balloon.placement().window);
    EXPECT_EQ(balloon.geometry().bottom() + 1, 300);
    EXPECT_EQ(balloon.placement().tipX, 360);

    // The character walks to the top of the screen: the balloon goes below it.
    balloon.placeBeside(QRect(300, 0, 120, 120), screen);
    EXPECT_EQ(balloon.tipSide(), TipSide::Top);
    EXPECT_EQ(balloon.geometry().top(), 120);
    EXPECT_TRUE(screen.contains(balloon.geometry()));

    // ... and into the right-hand corner.
    balloon.placeBeside(QRect(760, 0, 120, 120), screen);
    EXPECT_EQ(balloon.geometry().right(), screen.right());
}

TEST(WordBalloon, UsesTheScreenUnderTheCharacter) {
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QRect area = screen->availableGeometry();
    WordBalloon balloon;
    balloon.setStyle(genieLikeStyle());
    balloon.open(QStringLiteral("Good morning"));
    balloon.placeBeside(QRect(area.left(), area.top(), 100, 100));
    EXPECT_EQ(balloon.tipSide(), TipSide::Top);
    EXPECT_TRUE(area.contains(balloon.geometry()));
}

TEST(WordBalloon, RepaintsOnlyWhenSomethingChanges) {
    WordBalloon balloon;
    balloon.setStyle(genieLikeStyle());
    balloon.placeBeside(QRect(300, 300, 120, 120), QRect(0, 0, 800, 600));
    const QString statement = QStringLiteral("It is ten");
    balloon.open(statement);
    int before = balloon.repaintRequests();
    balloon.reveal(2);
    EXPECT_EQ(balloon.repaintRequests(), before + 1);
    before = balloon.repaintRequests();
    balloon.reveal(2);
    balloon.reveal(3);  // only a space: the same lines
    balloon.setStyle(genieLikeStyle());
    balloon.placeBeside(QRect(300, 300, 120, 120), QRect(0, 0, 800, 600));
    EXPECT_EQ(balloon.repaintRequests(), before);
    // Moving with the character moves the window; the picture stays.
    balloon.placeBeside(QRect(310, 300, 120, 120), QRect(0, 0, 800, 600));
    EXPECT_EQ(balloon.repaintRequests(), before);
    EXPECT_EQ(balloon.placement().tipX, 370);
}

TEST(WordBalloon, StyleChangeOnAnOpenBalloonWrapsAgain) {
    WordBalloon balloon;
    BalloonInfo info = genieLikeStyle();
    balloon.setStyle(info);
    const QString statement = QStringLiteral("one two three four");
    balloon.open(statement);
    balloon.reveal(int(statement.size()));
    EXPECT_EQ(balloon.visibleLines(), lines({"one two three four"}));
    info.charsPerLine = 8;
    info.lines = 3;
    balloon.setStyle(info);
    EXPECT_EQ(balloon.visibleLines(), lines({"one two", "three", "four"}));
}

TEST(WordBalloon, DegenerateStyleStillShows) {
    WordBalloon balloon;
    balloon.setStyle(BalloonInfo{});  // lines 0, charsPerLine 0, no font
    balloon.placeBeside(QRect(300, 300, 120, 120), QRect(0, 0, 800, 600));
    balloon.open(QStringLiteral("It is ten past three"));
    balloon.reveal(20);
    // One line of eight characters: "It is", "ten past", "three", paged to the last.
    EXPECT_EQ(balloon.visibleLines(), lines({"three"}));
    EXPECT_EQ(balloon.rowCount(), 1);
    EXPECT_GT(balloon.bodySize().width(), 0);
    EXPECT_TRUE(balloon.isVisible());
}

TEST(WordBalloon, NoTallerThanTheScreen) {
    WordBalloon balloon;
    BalloonInfo info = genieLikeStyle();
    info.lines = 255;
    info.charsPerLine = 8;
    balloon.setStyle(info);
    const QRect screen(0, 0, 800, 200);
    balloon.placeBeside(QRect(300, 100, 100, 100), screen);
    QString statement;
    for (int i = 0; i < 100; ++i) {
        statement += QStringLiteral("word%1 ").arg(i);
    }
    balloon.open(statement);
    EXPECT_LT(balloon.rowCount(), 20);
    EXPECT_GE(balloon.rowCount(), 1);
    EXPECT_TRUE(screen.contains(balloon.geometry()));
    balloon.reveal(int(statement.size()));
    EXPECT_EQ(balloon.visibleLines().size(), balloon.rowCount());
    EXPECT_EQ(balloon.visibleLines().last(), QStringLiteral("word99"));

    // On a taller screen it has room for more.
    const int rows = balloon.rowCount();
    balloon.placeBeside(QRect(300, 500, 100, 100), QRect(0, 0, 800, 600));
    EXPECT_GT(balloon.rowCount(), rows);
    EXPECT_EQ(balloon.visibleLines().size(), balloon.rowCount());
}

TEST(WordBalloon, GenuineCharacterStyle) {
    const QString dir = testsupport::acsTestDataDir();
    if (dir.isEmpty()) {
        GTEST_SKIP() << "no character files";
    }
    agent::format::AcsFile file;
    ASSERT_TRUE(file.load(dir + QStringLiteral("/Genie.acs"))) << file.errorString().toStdString();
    ASSERT_TRUE(file.info().balloon.has_value());
    const BalloonInfo info = *file.info().balloon;
    WordBalloon balloon;
    balloon.setStyle(info);
    EXPECT_EQ(balloon.textFont().family(), info.fontName);
    balloon.placeBeside(QRect(300, 300, 128, 128), QRect(0, 0, 1024, 768));
    const QString statement = QStringLiteral(
        "It is a quarter past eleven on a fine Tuesday morning, and the "
        "kettle has just boiled for the second time today");
    balloon.open(statement);
    balloon.reveal(int(statement.size()));
    EXPECT_GE(balloon.visibleLines().size(), 1);
    EXPECT_LE(balloon.visibleLines().size(), int(info.lines));
    for (const QString& line : balloon.visibleLines()) {
        EXPECT_LE(line.size(), int(info.charsPerLine));
    }
    EXPECT_TRUE(QRect(0, 0, 1024, 768).contains(balloon.geometry()));
    const QImage image = rendered(balloon);
    EXPECT_TRUE(hasColour(image, info.background));
}

}  // namespace

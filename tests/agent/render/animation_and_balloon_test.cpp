// The word balloon: its text layout and placement as plain functions, and the window on the offscreen
// platform; and the character's window there: how it tells its own moves from the window system's, and the
// X server's device pixels in logical ones; and the player of the character's animations.
#include "agent/format/acs_writer.h"
#include "agent/render/animation_player.h"
#include "agent/render/balloon_geometry.h"
#include "agent/render/balloon_text.h"
#include "agent/render/character_window.h"
#include "agent/render/device_pixels.h"
#include "agent/render/frame_timer.h"
#include "agent/render/word_balloon.h"
#include "tests/agent/format/acs_test_files.h"
#include "tests/agent/format/sample_character.h"
#include "tests/support/qt_printers.h"

#include <QDir>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace agent::format;
using namespace agent::render;
using Done = QList<Completion>;

namespace {

// ---- Text layout ----

TEST(BalloonText, WholeTextWraps) {
    const std::tuple<const char*, int, QStringList, qsizetype> cases[] = {
        {"", 20, {}, 0},
        {"The time is now ten past three", 12, {"The time is", "now ten past", "three"}, 12},
        {"a supercalifragilistic day", 8, {"a", "supercal", "ifragili", "stic day"}, 8},
        {"one\r\ntwo\rthree\n\nfour", 40, {"one", "two", "three", "", "four"}, 5},
        {"ten\u00a0o'clock now", 11, {"ten\u00a0o'clock", "now"}, 11},
        // U+1F600 is two UTF-16 units; a line of 8 units must not end between them.
        {"abcdefg\U0001F600hij", 8, {"abcdefg", "\U0001F600hij"}, 7},
    };
    for (const auto& [utf8, charsPerLine, expected, widest] : cases) {
        SCOPED_TRACE(utf8);
        const BalloonText text(QString::fromUtf8(utf8), charsPerLine);
        // Everything revealed shows the same lines when the balloon has room for them all.
        EXPECT_EQ(std::tuple(text.fullLines(), text.lineCount(), text.widestLine(),
                             text.visibleLines(int(text.text().size()), 255)),
                  std::tuple(expected, expected.size(), widest, expected));
    }
    // Reading takes a second and a quarter second a word; absurd sizes are bounded.
    EXPECT_EQ(std::tuple(readingTimeMs(QString()), readingTimeMs("  good   morning,\nSam "),
                         sanitizedBalloonLines(0), sanitizedBalloonLines(100000), sanitizedCharsPerLine(7),
                         BalloonText("x", 1000).charsPerLine()),
              std::tuple(0, 1750, 1, 255, 8, 255));
}

// What a balloon of so many rows shows once the text up to a point has been spoken: the lines of the whole
// text, never reflowed while it is revealed, paged to the last rows.
TEST(BalloonText, RevealsWordByWordWithoutReflowingAndPagesToTheLastRows) {
    const QString noon = "It is now twelve o'clock and all is well";
    const QString count = "one two three four five six";
    const std::tuple<QString, int, int, int, QStringList> cases[] = {
        {noon, 12, 0, 2, {}},
        {noon, 12, 3, 2, {"It"}},  // the space alone adds nothing
        // "twelve" would fit after "It is now" while it is being revealed; the whole text decides its line.
        {noon, 12, 13, 2, {"It is now", "twe"}},
        {count, 8, 18, 2, {"three", "four"}},
        // A balloon of one line shows only the line being spoken.
        {count, 8, 18, 1, {"four"}},
        // A blank line comes with the text after it.
        {"one\n\ntwo", 20, 6, 3, {"one", "", "t"}},
        // Up to the middle of a surrogate pair: neither half.
        {"abcdefg" + QString::fromUcs4(U"\U0001F600") + "hij", 40, 8, 1, {"abcdefg"}},
    };
    for (const auto& [text, charsPerLine, end, rows, shown] : cases) {
        SCOPED_TRACE(testing::Message() << text.toStdString() << " up to " << end << " in " << rows);
        EXPECT_EQ(BalloonText(text, charsPerLine).visibleLines(end, rows), shown);
    }
    EXPECT_EQ(BalloonText(noon, 12).firstVisibleLine(0, 2), 0);
}

// ---- Placement ----

TEST(BalloonGeometry, PlacesBesideTheCharacterAndMovesIntoTheScreen) {
    const BalloonShape shape{14, 7, 8};
    const TipSide above = TipSide::Bottom, below = TipSide::Top;
    const QRect wide(0, 0, 1000, 800), lowScreen(0, 0, 1000, 300);
    // The character, the balloon's size; the body, the tip's side and place; the screen.
    const std::tuple<QRect, QSize, QRect, TipSide, int, QRect> cases[] = {
        {{400, 64, 100, 120}, {200, 50}, {350, 0, 200, 50}, above, 450, wide},  // exactly enough room above
        {{400, 63, 100, 120}, {200, 50}, {350, 197, 200, 50}, below, 450, wide},
        // No room either way: the larger side, moved into the screen.
        {{400, 120, 100, 140}, {200, 150}, {350, 0, 200, 150}, above, 450, lowScreen},
        {{400, 40, 100, 140}, {200, 150}, {350, 150, 200, 150}, below, 450, lowScreen},
        // At the sides the tip keeps pointing at the character's centre, clear of the rounded corners.
        {{-90, 400, 100, 120}, {300, 50}, {0, 336, 300, 50}, above, 15, wide},
        {{990, 400, 100, 120}, {300, 50}, {700, 336, 300, 50}, above, 984, wide},
        // Wider than the screen: its left edge stays on it. Too narrow for the corners: the tip centred.
        {{400, 400, 100, 100}, {1200, 50}, {0, 336, 1200, 50}, above, 450, wide},
        {{-50, 400, 100, 100}, {20, 20}, {0, 366, 20, 20}, above, 10, wide},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        const auto& [character, size, body, tip, tipX, screen] = c;
        const BalloonPlacement p = placeBalloon(character, size, screen, shape);
        EXPECT_EQ(std::tuple(p.body, p.tip, p.tipX), std::tuple(body, tip, tipX));
        // The body and the tip together, the tip on the side the placement says.
        EXPECT_EQ(p.window, p.tipBelow() ? p.body.adjusted(0, 0, 0, shape.tipHeight)
                                         : p.body.adjusted(0, -shape.tipHeight, 0, 0));
    }
}

// ---- The window ----

// Lines, characters a line, text, background and border colours, font, height and weight.
const BalloonInfo kGenieLike{
    2, 20, qRgb(0, 0, 0x80), qRgb(0xff, 0xff, 0xc0), qRgb(0xc0, 0, 0), "DejaVu Sans", -13, 400};

TEST(WordBalloon, FontFromTheFileTheUsersOverrideAndStyleChanges) {
    BalloonInfo info = kGenieLike;
    info.fontName = "Comic Sans MS";
    info.fontWeight = 700;
    info.italic = true;
    QFont font = balloonFont(info);
    EXPECT_EQ(std::tuple(font.family(), font.pixelSize(), font.weight(), font.italic()),
              std::tuple(QString("Comic Sans MS"), 13, QFont::Bold, true));

    info.fontHeight = 20;  // cell height: the characters come out smaller
    font = balloonFont(info);
    EXPECT_TRUE(font.pixelSize() >= 12 && font.pixelSize() <= 20) << font.pixelSize();
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

    // The user's font wins over the file's, and a new style does not undo the choice.
    WordBalloon balloon;
    balloon.setStyle(kGenieLike);
    QFont mine("DejaVu Serif");
    mine.setPixelSize(22);
    balloon.setFontOverride(mine);
    EXPECT_EQ(balloon.textFont(), mine);
    BalloonInfo other = kGenieLike;
    other.fontHeight = -9;
    balloon.setStyle(other);
    EXPECT_EQ(balloon.textFont(), mine);
    balloon.setFontOverride(std::nullopt);
    EXPECT_EQ(std::pair(balloon.textFont().family(), balloon.textFont().pixelSize()),
              std::pair(QString("DejaVu Sans"), 9));

    // A style change on an open balloon wraps again, even to a degenerate style.
    balloon.setStyle(kGenieLike);
    balloon.placeBeside(QRect(300, 300, 120, 120), QRect(0, 0, 800, 600));
    balloon.open("It is ten past three");
    balloon.reveal(20);
    EXPECT_EQ(balloon.visibleLines(), QStringList{"It is ten past three"});
    balloon.setStyle(BalloonInfo{});  // lines 0, charsPerLine 0, no font
    // One line of eight characters: "It is", "ten past", "three", paged to the last.
    EXPECT_EQ(balloon.visibleLines(), QStringList{"three"});
    EXPECT_TRUE(balloon.bodySize().width() > 0 && balloon.isVisible());
}

TEST(CharacterWindow, ADragEndsWhereTheButtonIsLetGo) {
    CharacterWindow window(QSize(40, 40));
    window.place(QPoint(100, 100));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QSignalSpy finished(&window, &CharacterWindow::dragFinished);

    const QPoint grip(5, 8);
    QTest::mousePress(&window, Qt::LeftButton, {}, grip);
    QTest::mouseMove(&window, grip + QPoint(30, 0));
    EXPECT_EQ(window.pos(), QPoint(130, 100));
    // The button comes up further on with no motion before it, as a compositor may pass them on.
    const QPoint letGo = QPoint(100, 100) + grip + QPoint(50, 20);
    QTest::mouseRelease(&window, Qt::LeftButton, {}, window.mapFromGlobal(letGo));
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(std::tuple(window.pos(), window.requested(), finished[0][0].toPoint()),
              std::tuple(QPoint(150, 120), QPoint(150, 120), QPoint(150, 120)));
}

// A screen scaled by 2 and, right of it, one scaled by 1.5: Qt keeps each screen's corner where the X server
// has it and scales what lies inside.
TEST(DevicePixels, EachScreenScalesFromItsOwnCorner) {
    const QList<ScreenScale> screens{{{0, 0, 1280, 720}, 2.0}, {{2560, 0, 800, 600}, 1.5}};
    for (const auto& [device, logical] : {std::pair<QPoint, QPoint>({2202, 822}, {1101, 411}),
                                          std::pair<QPoint, QPoint>({2560 + 300, 150}, {2560 + 200, 100})}) {
        EXPECT_EQ(logicalFromDevice(screens, device), logical) << device.x();
        EXPECT_EQ(deviceFromLogical(screens, logical), device) << logical.x();
    }
    // Off every screen: the nearest one's scale.
    EXPECT_EQ(logicalFromDevice(screens, {2450, 1500}), QPoint(1225, 750));
    EXPECT_EQ(logicalFromDevice({}, {7, 9}), QPoint(7, 9));
}

// ---- The animation player ----

Frame frame(int hundredths, int exitFrame = -1, QList<Branch> branches = {}) {
    return {{}, kNoSound, std::uint16_t(hundredths), std::int16_t(exitFrame), branches, {}};
}

// The format tests' character (Idle branches 60/40 and returns to Wave; Wave ends on a zero-length frame),
// with the states and animations the player looks for.
CharacterData playerCharacter() {
    CharacterData c = formattest::sampleCharacter();
    // Transition 2: none.
    c.animations += QList<Animation>{{"Appear", 2, {}, {frame(20)}},
                                     {"Vanish", 2, {}, {frame(15)}},
                                     {"Blink", 2, {}, {frame(10)}},
                                     {"Yawn", 2, {}, {frame(10)}},
                                     {"Sleep", 2, {}, {frame(10, -2, {{0, 100}})}},
                                     {"WalkLeft", 2, {}, {frame(10, 1, {{0, 100}}), frame(10)}}};
    c.info.states = {{"Showing", {"appear"}},     {"Hiding", {"Vanish"}},     {"Speaking", {"IDLE"}},
                     {"IdlingLevel1", {"Blink"}}, {"IdlingLevel2", {"Yawn"}}, {"IdlingLevel3", {"Sleep"}},
                     {"MovingLeft", {"WalkLeft"}}};
    return c;
}

// A player whose reports are kept until the test takes them.
class RecordingPlayer : public AnimationPlayer {
public:
    explicit RecordingPlayer(const AcsFile& file, std::uint32_t seed)
        : AnimationPlayer(file, seededRandom(seed)) {
        setCompletionHandler([this](const Completion& c) { reported_ << c; });
    }
    Done takeCompletions() { return std::exchange(reported_, {}); }

private:
    Done reported_;
};

// Shows the character at a place and lets the Showing animation finish; it walks at the given speed.
void showNow(RecordingPlayer& player, QPoint at = {0, 0}, int pixelsPerSecond = 100) {
    player.setPosition(at);
    player.setMoveSpeed(pixelsPerSecond);
    player.show();
    player.advance(200);
    ASSERT_FALSE(player.isBusy());
    player.takeCompletions();
}

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(formattest::succeeds(file.loadData(writeCharacter(playerCharacter(), {}).valueOr({}))));
    }
    AcsFile file;
};

TEST_F(PlayerTest, AMoveEndsWhereTheCharacterIsPutOrStopped) {
    RecordingPlayer player(file, 9);
    // A hidden character is there before any time passes: a Stop in the same moment leaves it there.
    int id = player.moveTo({-300, 40});
    player.stop();
    EXPECT_EQ(player.position(), QPoint(-300, 40));
    player.advance(0);
    EXPECT_EQ(std::tuple(player.position(), player.currentAnimation(), player.takeCompletions()),
              std::tuple(QPoint(-300, 40), QString(), Done{{id, RequestKind::Move, false}}));

    showNow(player);
    id = player.moveTo({-1000, 0});
    player.advance(2050);
    EXPECT_EQ(player.position(), QPoint(-205, 0));
    player.stop();
    player.advance(1000);
    EXPECT_EQ(std::tuple(player.takeCompletions(), player.position(), player.isAnimating()),
              std::tuple(Done{{id, RequestKind::Move, true}}, QPoint(-205, 0), false));

    // Put somewhere on the way: the journey ends there.
    id = player.moveTo({-1000, 0});
    player.advance(1000);
    player.setPosition({50, 60});
    player.advance(2000);
    EXPECT_EQ(std::pair(player.position(), player.takeCompletions()),
              std::pair(QPoint(50, 60), Done{{id, RequestKind::Move, false}}));

    // Upwards: the character has no MovingUp state, so only the position changes.
    player.setPosition({10, 500});
    player.setMoveSpeed(200);
    id = player.moveTo({10, 100});
    player.advance(1000);
    EXPECT_EQ(std::pair(player.position(), player.isAnimating()), std::pair(QPoint(10, 300), false));
    player.advance(999);
    EXPECT_TRUE(player.takeCompletions().isEmpty());
    player.advance(1);
    EXPECT_EQ(std::pair(player.takeCompletions(), player.position()),
              std::pair(Done{{id, RequestKind::Move, false}}, QPoint(10, 100)));

    // With reduced motion a character neither walks nor idles.
    RecordingPlayer still(file, 9);
    still.setIdleTimes(IdleTimes{1000, 500, 5000, 10000});
    still.setReducedMotion(true);
    showNow(still);
    id = still.moveTo({-300, 40});
    still.advance(0);
    EXPECT_EQ(std::tuple(still.position(), still.isAnimating(), still.takeCompletions().last()),
              std::tuple(QPoint(-300, 40), false, Completion{id, RequestKind::Move, false}));
    EXPECT_EQ(still.msUntilNextEvent(), -1) << "nothing is due of itself: no idling";
    still.advance(60000);
    EXPECT_FALSE(still.isAnimating());
}

// What the engine's service asks beyond the program's requests: a move of a given length, one request ended
// alone, a hold, a stop that leaves some requests, a fast Show.
TEST_F(PlayerTest, TimedMovesHoldsAndStopsThatKeepSomeRequests) {
    RecordingPlayer player(file, 9);
    showNow(player, {10, 500}, 200);
    const int timed = player.moveTo({10, 100}, 500);  // 2000 ms at the speed
    player.advance(250);
    EXPECT_EQ(player.position(), QPoint(10, 300));
    player.finish(timed);
    player.advance(100);
    EXPECT_EQ(std::pair(player.takeCompletions(), player.position()),
              std::pair(Done{{timed, RequestKind::Move, true}}, QPoint(10, 300)))
        << "ended where it was";

    const int hold = player.hold();
    const int kept = player.play("Blink");
    const int dropped = player.play("Blink");
    player.advance(1000);
    EXPECT_TRUE(player.takeCompletions().isEmpty()) << "a hold holds the queue";
    player.stop([&](int id) { return id == hold || id == kept; });
    EXPECT_EQ(player.takeCompletions(), (Done{{dropped, RequestKind::Play, true}}));
    player.finish(hold, false);
    player.advance(200);
    EXPECT_EQ(player.takeCompletions(),
              (Done{{hold, RequestKind::Hold, false}, {kept, RequestKind::Play, false}}));

    const int hide = player.hide(true);
    player.advance(0);
    EXPECT_EQ(player.takeCompletions(), (Done{{hide, RequestKind::Hide, false}}));
    EXPECT_FALSE(player.isVisible()) << "a fast Hide plays no Hiding animation";
}

// Whenever the voice's end comes, the statement it belongs to ends and no other; and a voice that never
// starts or never ends holds the queue only for a bounded time. Each case runs the clock's own sequence
// (Stop, a space, Show, the text, a gesture) and must reach the gesture.
TEST_F(PlayerTest, NoStatementsEndIsLostWhateverTheOrderOfEvents) {
    // What the voice does when a Speak's turn comes, and when (if ever) every statement so far is ended
    // from outside (at that ms, or at each multiple of it); the gesture must start within mostMs.
    enum Start { Nothing, End, NeverEnds };
    const qint64 limit = AnimationPlayer::kVoiceStartLimitMs;
    const qint64 grace = AnimationPlayer::kSpeechGraceMs;
    const std::tuple<const char*, Start, int, bool, int> cases[] = {
        {"the voice ends inside the start handler", End, 0, false, 300},
        {"the voice ends a little later", Nothing, 50, true, 400},
        {"the voice never starts", Nothing, 0, false, int(2 * limit + 300)},
        {"the voice starts and never ends", NeverEnds, 0, false, int(2 * grace + 21 * 100 + 500)},
        {"both statements end before their turn", Nothing, 1, false, 300},
    };
    for (const auto& [what, atStart, endAllAt, repeat, mostMs] : cases) {
        SCOPED_TRACE(what);
        RecordingPlayer player(file, 3);
        QList<int> ids;
        int gestureAt = -1;
        int clock = 0;
        player.setRequestStartHandler([&](int id, RequestKind kind, const QString& text) {
            if (kind == RequestKind::Speak && atStart == NeverEnds) {
                player.speechStarted(id, text.size() * 100);
            }
            if (kind == RequestKind::Speak && atStart == End) {
                player.endSpeech(id);
            }
            if (kind == RequestKind::Play) {
                gestureAt = clock;
            }
        });
        player.stop();
        ids << player.speak(" ");
        player.show();
        ids << player.speak("Hello there, fifteen");
        player.play("Wave");
        while (gestureAt < 0 && clock < 30000) {
            player.advance(1);
            ++clock;
            if (endAllAt > 0 && (clock == endAllAt || (repeat && clock % endAllAt == 0))) {
                for (int id : ids) {
                    player.endSpeech(id);
                }
            }
            ASSERT_TRUE(player.msUntilNextEvent() >= 0 || !player.isBusy())
                << "a busy character must never be left asleep, at " << clock << " ms";
        }
        EXPECT_GE(gestureAt, 0);
        EXPECT_LE(gestureAt, mostMs);
    }
}

// The user chose another command while synthesis ran, or while a gesture was about to start.
TEST_F(PlayerTest, StopFromTheStartHandlerDropsTheRequestAtOnce) {
    for (const RequestKind kind : {RequestKind::Play, RequestKind::Speak}) {
        SCOPED_TRACE(int(kind));
        RecordingPlayer player(file, 4);
        showNow(player);
        int id = 0;
        player.setRequestStartHandler([&](int started, RequestKind k, const QString&) {
            if (k == kind) {
                id = started;
                player.stop();
            }
        });
        kind == RequestKind::Play ? player.play("Wave") : player.speak("Never heard");
        player.advance(0);
        EXPECT_NE(player.currentAnimation(), "Wave");
        EXPECT_EQ(std::pair(player.isBusy(), player.takeCompletions()),
                  std::pair(false, Done{{id, kind, true}}));
        player.endSpeech(id);  // the voice's end comes afterwards and finds nothing to end
        EXPECT_FALSE(player.isBusy());
    }
}

// The genuine characters: showing, a walk and hiding all come to an end with any seed.
TEST(PlayerGenuineFiles, ShowMoveHideComplete) {
    const QString dir = formattest::acsDir();
    if (dir.isEmpty()) {
        GTEST_SKIP() << "no character files";
    }
    int played = 0;
    for (const QString& name : QDir(dir).entryList({"*.acs"}, QDir::Files)) {
        SCOPED_TRACE(name.toStdString());
        AcsFile file;
        // Some files are there to be refused (an older format, a damaged index); the format tests see to
        // them.
        if (!file.load(QDir(dir).filePath(name))) {
            continue;
        }
        ++played;
        for (std::uint32_t seed = 1; seed <= 3; ++seed) {
            RecordingPlayer player(file, seed);
            player.setPosition({400, 300});
            player.show();
            player.moveTo({100, 250});
            player.hide();
            player.advance(0);
            if (const State* showing = file.state(u"Showing"); showing && !showing->animations.isEmpty()) {
                EXPECT_TRUE(showing->animations.contains(player.currentAnimation(), Qt::CaseInsensitive));
            }
            for (int t = 0; t < 120000 && player.isBusy(); t += 10) {
                player.advance(10);
            }
            EXPECT_EQ(player.takeCompletions().size(), 3) << " seed " << seed;
            EXPECT_EQ(player.position(), QPoint(100, 250));
            EXPECT_FALSE(player.isVisible());
        }
    }
    EXPECT_GE(played, 8);
}

// How long the engine sleeps between the characters' pictures: close pictures share a wake-up and nothing
// due now waits.
TEST(SharedWait, ClosePicturesShareAWakeUpAndNothingDueNowWaits) {
    const std::tuple<const char*, QList<qint64>, qint64> cases[] = {
        {"nothing to do", {}, -1},          {"a still character does not count", {-1, 80}, 80},
        {"in any order", {120, 100}, 120},  {"just within reach", {100, 130}, 130},
        {"too far apart", {100, 131}, 100}, {"due now is not put off", {0, 20}, 0},
    };
    for (const auto& [what, waits, expected] : cases) {
        EXPECT_EQ(sharedWait(waits, 30), expected) << what;
    }
}

}  // namespace

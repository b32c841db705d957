#include "agent/render/animation_player.h"
#include "agent/format/acs_writer.h"
#include "tests/agent/format/acs_test_files.h"
#include "tests/agent/format/sample_character.h"

#include <QDir>
#include <QHash>
#include <QSet>

#include <gtest/gtest.h>

#include <deque>
#include <memory>

using agent::format::AcsFile;
using agent::format::Animation;
using agent::format::Branch;
using agent::format::CharacterData;
using agent::format::Frame;
using agent::format::State;
using agent::render::AnimationPlayer;
using agent::render::Completion;
using agent::render::IdleTimes;
using agent::render::RequestKind;

namespace {

Frame frame(int hundredths, int exitFrame = -1, QList<Branch> branches = {}) {
    Frame f;
    f.duration = std::uint16_t(hundredths);
    f.exitFrame = std::int16_t(exitFrame);
    f.branches = branches;
    return f;
}

Animation animation(const QString& name, QList<Frame> frames) {
    Animation a;
    a.name = name;
    a.transition = std::uint8_t(agent::format::Transition::None);
    a.frames = frames;
    return a;
}

// The format tests' character (Idle branches 60/40 and returns to Wave; Wave ends on a zero-length frame),
// with the states and animations the player looks for.
CharacterData playerCharacter() {
    CharacterData c = formattest::sampleCharacter();
    c.animations.append(animation("Appear", {frame(20)}));
    c.animations.append(animation("Vanish", {frame(15)}));
    c.animations.append(animation("Blink", {frame(10)}));
    c.animations.append(animation("Yawn", {frame(10)}));
    c.animations.append(animation("Sleep", {frame(10, -2, {{0, 100}})}));
    c.animations.append(animation("WalkLeft", {frame(10, 1, {{0, 100}}), frame(10)}));
    c.info.states = {State{"Showing", {"appear"}},     State{"Hiding", {"Vanish"}},
                     State{"Speaking", {"IDLE"}},      State{"IdlingLevel1", {"Blink"}},
                     State{"IdlingLevel2", {"Yawn"}},  State{"IdlingLevel3", {"Sleep"}},
                     State{"MovingLeft", {"WalkLeft"}}};
    return c;
}

void loadInto(AcsFile* file, const CharacterData& c) {
    const agent::Result<QByteArray> bytes = agent::format::writeCharacter(c, {});
    ASSERT_TRUE(formattest::succeeds(bytes));
    ASSERT_TRUE(formattest::succeeds(file->loadData(*bytes)));
}

// A player whose reports are kept until the test takes them.
class RecordingPlayer : public AnimationPlayer {
public:
    explicit RecordingPlayer(const agent::format::AcsFile& file, agent::render::RandomSource random = {})
        : AnimationPlayer(file, std::move(random)) {
        setCompletionHandler([this](const Completion& c) { reported_ << c; });
    }
    QList<Completion> takeCompletions() { return std::exchange(reported_, {}); }

private:
    QList<Completion> reported_;
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
    void SetUp() override { loadInto(&file, playerCharacter()); }
    AcsFile file;
};

TEST_F(PlayerTest, AMoveEndsWhereTheCharacterIsPutOrStopped) {
    RecordingPlayer player(file, agent::render::seededRandom(9));
    // A hidden character is there before any time passes: a Stop in the same moment leaves it there.
    int id = player.moveTo({-300, 40});
    player.stop();
    EXPECT_EQ(player.position(), QPoint(-300, 40));
    player.advance(0);
    EXPECT_EQ(player.position(), QPoint(-300, 40));
    EXPECT_TRUE(player.currentAnimation().isEmpty());
    EXPECT_EQ(player.takeCompletions(), (QList<Completion>{{id, RequestKind::Move, false}}));

    showNow(player);
    id = player.moveTo({-1000, 0});
    player.advance(2050);
    EXPECT_EQ(player.position(), QPoint(-205, 0));
    player.stop();
    player.advance(1000);
    EXPECT_EQ(player.takeCompletions(), (QList<Completion>{{id, RequestKind::Move, true}}));
    EXPECT_EQ(player.position(), QPoint(-205, 0));
    EXPECT_FALSE(player.isAnimating());

    // Put somewhere on the way: the journey ends there.
    id = player.moveTo({-1000, 0});
    player.advance(1000);
    player.setPosition({50, 60});
    player.advance(2000);
    EXPECT_EQ(player.position(), QPoint(50, 60));
    EXPECT_EQ(player.takeCompletions(), (QList<Completion>{{id, RequestKind::Move, false}}));

    // Upwards: the character has no MovingUp state, so only the position changes.
    player.setPosition({10, 500});
    player.setMoveSpeed(200);
    id = player.moveTo({10, 100});
    player.advance(1000);
    EXPECT_EQ(player.position(), QPoint(10, 300));
    EXPECT_FALSE(player.isAnimating());
    player.advance(999);
    EXPECT_TRUE(player.takeCompletions().isEmpty());
    player.advance(1);
    EXPECT_EQ(player.takeCompletions(), (QList<Completion>{{id, RequestKind::Move, false}}));
    EXPECT_EQ(player.position(), QPoint(10, 100));
}

TEST_F(PlayerTest, WithReducedMotionACharacterNeitherWalksNorIdles) {
    RecordingPlayer player(file, agent::render::seededRandom(9));
    player.setIdleTimes(IdleTimes{1000, 500, 5000, 10000});
    player.setReducedMotion(true);
    showNow(player);
    const int id = player.moveTo({-300, 40});
    player.advance(0);
    EXPECT_EQ(player.position(), QPoint(-300, 40));
    EXPECT_FALSE(player.isAnimating());
    EXPECT_EQ(player.takeCompletions().last(), (Completion{id, RequestKind::Move, false}));
    EXPECT_EQ(player.msUntilNextEvent(), -1) << "nothing is due of itself: no idling";
    player.advance(60000);
    EXPECT_FALSE(player.isAnimating());
}

// What the engine's service asks beyond the program's requests: a move of a given length, one request ended
// alone, a hold, a stop that leaves some requests, a fast Show.
TEST_F(PlayerTest, TimedMovesHoldsAndStopsThatKeepSomeRequests) {
    RecordingPlayer player(file, agent::render::seededRandom(9));
    showNow(player, {10, 500}, 200);
    const int timed = player.moveTo({10, 100}, 500);  // 2000 ms at the speed
    player.advance(250);
    EXPECT_EQ(player.position(), QPoint(10, 300));
    player.finish(timed);
    player.advance(100);
    EXPECT_EQ(player.takeCompletions(), (QList<Completion>{{timed, RequestKind::Move, true}}));
    EXPECT_EQ(player.position(), QPoint(10, 300)) << "ended where it was";

    const int hold = player.hold();
    const int kept = player.play("Blink");
    const int dropped = player.play("Blink");
    player.advance(1000);
    EXPECT_TRUE(player.takeCompletions().isEmpty()) << "a hold holds the queue";
    player.stop([&](int id) { return id == hold || id == kept; });
    EXPECT_EQ(player.takeCompletions(), (QList<Completion>{{dropped, RequestKind::Play, true}}));
    player.finish(hold, false);
    player.advance(200);
    EXPECT_EQ(player.takeCompletions(),
              (QList<Completion>{{hold, RequestKind::Hold, false}, {kept, RequestKind::Play, false}}));

    const int hide = player.hide(true);
    player.advance(0);
    EXPECT_EQ(player.takeCompletions(), (QList<Completion>{{hide, RequestKind::Hide, false}}));
    EXPECT_FALSE(player.isVisible()) << "a fast Hide plays no Hiding animation";
}

// Whenever the voice's end comes, the statement it belongs to ends and no other; and a voice that never
// starts or never ends holds the queue only for a bounded time. Each case runs the clock's own sequence
// (Stop, a space, Show, the text, a gesture) and must reach the gesture.
TEST_F(PlayerTest, NoStatementsEndIsLostWhateverTheOrderOfEvents) {
    // What the voice does when a Speak's turn comes, and when (if ever) every statement so far is ended
    // from outside (at that ms, or at each multiple of it).
    enum Start { Nothing, End, NeverEnds };
    struct Case {
        const char* what;
        Start atStart;
        int endAllAt;
        bool repeat;
        int mostMs;  // the gesture starts within this time
    };
    const qint64 limit = AnimationPlayer::kVoiceStartLimitMs;
    const qint64 grace = AnimationPlayer::kSpeechGraceMs;
    const Case cases[] = {
        {"the voice ends inside the start handler", End, 0, false, 300},
        {"the voice ends a little later", Nothing, 50, true, 400},
        {"the voice never starts", Nothing, 0, false, int(2 * limit + 300)},
        {"the voice starts and never ends", NeverEnds, 0, false, int(2 * grace + 21 * 100 + 500)},
        {"both statements end before their turn", Nothing, 1, false, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingPlayer player(file, agent::render::seededRandom(3));
        QList<int> ids;
        int gestureAt = -1;
        int clock = 0;
        player.setRequestStartHandler([&](int id, RequestKind kind, const QString& text) {
            if (kind == RequestKind::Speak && c.atStart == NeverEnds) {
                player.speechStarted(id, text.size() * 100);
            }
            if (kind == RequestKind::Speak && c.atStart == End) {
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
            if (c.endAllAt > 0 && (clock == c.endAllAt || (c.repeat && clock % c.endAllAt == 0))) {
                for (int id : ids) {
                    player.endSpeech(id);
                }
            }
            ASSERT_TRUE(player.msUntilNextEvent() >= 0 || !player.isBusy())
                << "a busy character must never be left asleep, at " << clock << " ms";
        }
        EXPECT_GE(gestureAt, 0);
        EXPECT_LE(gestureAt, c.mostMs);
    }
}

// The user chose another command while synthesis ran, or while a gesture was about to start.
TEST_F(PlayerTest, StopFromTheStartHandlerDropsTheRequestAtOnce) {
    for (const RequestKind kind : {RequestKind::Play, RequestKind::Speak}) {
        SCOPED_TRACE(int(kind));
        RecordingPlayer player(file, agent::render::seededRandom(4));
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
        EXPECT_FALSE(player.isBusy());
        EXPECT_NE(player.currentAnimation(), "Wave");
        EXPECT_EQ(player.takeCompletions(), (QList<Completion>{{id, kind, true}}));
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
    const QStringList names = QDir(dir).entryList({"*.acs"}, QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    int played = 0;
    for (const QString& name : names) {
        AcsFile file;
        // Some files are there to be refused (an older format, a damaged index); the format tests see to
        // them.
        if (!file.load(QDir(dir).filePath(name))) {
            continue;
        }
        ++played;
        for (std::uint32_t seed = 1; seed <= 3; ++seed) {
            RecordingPlayer player(file, agent::render::seededRandom(seed));
            player.setPosition({400, 300});
            player.show();
            player.moveTo({100, 250});
            player.hide();
            player.advance(0);
            if (const agent::format::State* showing = file.state(u"Showing");
                showing && !showing->animations.isEmpty()) {
                EXPECT_TRUE(showing->animations.contains(player.currentAnimation(), Qt::CaseInsensitive))
                    << name.toStdString();
            }
            for (int t = 0; t < 120000 && player.isBusy(); t += 10) {
                player.advance(10);
            }
            const QList<Completion> done = player.takeCompletions();
            EXPECT_EQ(done.size(), 3) << name.toStdString() << " seed " << seed;
            EXPECT_EQ(player.position(), QPoint(100, 250)) << name.toStdString();
            EXPECT_FALSE(player.isVisible()) << name.toStdString();
        }
    }
    EXPECT_GE(played, 8);
}

}  // namespace

#include "agent/render/animation_player.h"
#include "agent/format/acs_writer.h"
#include "tests/agent/format/acs_test_files.h"
#include "tests/agent/format/sample_character.h"

#include <QDir>

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
    // Loops on frame 0; its exit branch skips frame 1.
    c.animations.append(animation("Greet", {frame(10, 2, {{0, 100}}), frame(10), frame(5)}));
    c.animations.append(animation("Zero", {frame(0), frame(0), frame(3), frame(0)}));
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

// Hands out the given rolls in order, then fails the test if asked for more.
agent::render::RandomSource scripted(std::deque<int> rolls) {
    auto left = std::make_shared<std::deque<int>>(std::move(rolls));
    return [left](int) {
        if (left->empty()) {
            ADD_FAILURE() << "more random numbers asked for than expected";
            return 0;
        }
        const int r = left->front();
        left->pop_front();
        return r;
    };
}

struct Timed {
    int atMs;
    Completion completion;
};

// Advances a millisecond at a time, noting when each request completes.
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

QList<Timed> run(RecordingPlayer& player, int ms, int* clock) {
    QList<Timed> out;
    for (int i = 0; i < ms; ++i) {
        player.advance(1);
        ++*clock;
        for (const Completion& c : player.takeCompletions()) {
            out.append({*clock, c});
        }
    }
    return out;
}

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

TEST_F(PlayerTest, RequestsReturnAtOnceAndRunInOrder) {
    RecordingPlayer player(file, agent::render::seededRandom(1));
    const int show = player.show();
    const int wave = player.play("WAVE");
    const int unknown = player.play("NoSuchAnimation");
    const int zero = player.play("zero");
    const int hide = player.hide();
    EXPECT_FALSE(player.isVisible());
    EXPECT_TRUE(player.currentAnimation().isEmpty());
    EXPECT_TRUE(player.takeCompletions().isEmpty());

    player.advance(0);
    EXPECT_TRUE(player.isVisible());
    EXPECT_EQ(player.currentAnimation(), "Appear");

    int clock = 0;
    const QList<Timed> done = run(player, 1000, &clock);
    ASSERT_EQ(done.size(), 5);
    const int ids[] = {show, wave, unknown, zero, hide};
    const int times[] = {200, 250, 250, 280, 430};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(done[i].completion.id, ids[i]) << i;
        EXPECT_EQ(done[i].atMs, times[i]) << i;
        EXPECT_FALSE(done[i].completion.interrupted) << i;
    }
    EXPECT_EQ(done[4].completion.kind, RequestKind::Hide);
    EXPECT_FALSE(player.isVisible());
    EXPECT_EQ(player.currentAnimation(), "Vanish");
    EXPECT_FALSE(player.isBusy());
}

TEST_F(PlayerTest, OneLongAdvanceMatchesManyShortOnes) {
    RecordingPlayer player(file, agent::render::seededRandom(3));
    QList<Completion> seen;
    player.setCompletionHandler([&](const Completion& c) { seen.append(c); });
    player.show();
    player.play("Wave");
    player.play("Zero");
    player.advance(279);
    EXPECT_EQ(seen.size(), 2);
    EXPECT_EQ(player.currentAnimation(), "Zero");
    EXPECT_EQ(player.currentFrame(), 2);
    player.advance(1);
    EXPECT_EQ(seen.size(), 3);
}

TEST_F(PlayerTest, StopDropsTheQueueAndLeavesThroughTheExitBranch) {
    RecordingPlayer player(file, agent::render::seededRandom(7));
    const int greet = player.play("Greet");
    const int after = player.play("Wave");
    int clock = 0;
    // The loop's branch is certain, so frame 1 is never reached while it plays.
    for (int i = 0; i < 350; ++i) {
        run(player, 1, &clock);
        ASSERT_EQ(player.currentAnimation(), "Greet");
        ASSERT_EQ(player.currentFrame(), 0);
    }
    player.stop();
    QList<Completion> dropped = player.takeCompletions();
    ASSERT_EQ(dropped.size(), 1);
    EXPECT_EQ(dropped[0], (Completion{after, RequestKind::Play, true}));

    // The frame plays out (50 ms left), then the exit branch jumps over frame 1 to frame 2.
    run(player, 49, &clock);
    EXPECT_EQ(player.currentFrame(), 0);
    QList<Timed> done = run(player, 1, &clock);
    EXPECT_TRUE(done.isEmpty());
    EXPECT_EQ(player.currentFrame(), 2);
    done = run(player, 50, &clock);
    ASSERT_EQ(done.size(), 1);
    EXPECT_EQ(done[0].completion, (Completion{greet, RequestKind::Play, true}));
    EXPECT_EQ(done[0].atMs, 450);
    EXPECT_FALSE(player.isAnimating());
    EXPECT_FALSE(player.isBusy());
}

TEST_F(PlayerTest, BranchesFollowTheRandomSourceThenTheReturnAnimationPlays) {
    // Idle's first frame goes to frame 1 on a roll below 60 and back to itself otherwise.
    RecordingPlayer player(file, scripted({70, 59}));
    const int id = player.play("idle");
    int clock = 0;
    run(player, 100, &clock);
    EXPECT_EQ(player.currentFrame(), 0);  // rolled 70: stays
    run(player, 100, &clock);
    EXPECT_EQ(player.currentFrame(), 1);  // rolled 59: moves on
    QList<Timed> done = run(player, 250, &clock);
    ASSERT_EQ(done.size(), 1);
    EXPECT_EQ(done[0].completion.id, id);
    EXPECT_EQ(done[0].atMs, 450);
    EXPECT_EQ(player.currentAnimation(), "Wave");
    EXPECT_TRUE(player.isAnimating());
    run(player, 50, &clock);
    EXPECT_FALSE(player.isAnimating());
    EXPECT_EQ(player.currentAnimation(), "Wave");
}

TEST_F(PlayerTest, ASeedGivesTheSameBranchEveryTime) {
    int stayed = 0;
    int moved = 0;
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        const int roll = agent::render::seededRandom(seed)(100);
        RecordingPlayer player(file, agent::render::seededRandom(seed));
        player.play("Idle");
        player.advance(100);
        EXPECT_EQ(player.currentAnimation(), "Idle");
        EXPECT_EQ(player.currentFrame(), roll < 60 ? 1 : 0) << "seed " << seed;
        (roll < 60 ? moved : stayed)++;
    }
    // Both ways must have been taken for the check above to mean anything.
    EXPECT_GT(stayed, 0);
    EXPECT_GT(moved, 0);
}

TEST_F(PlayerTest, IdlingGoesFromLevelOneToThreeAndGivesWayToARequest) {
    RecordingPlayer player(file, agent::render::seededRandom(5));
    player.setIdleTimes(IdleTimes{1000, 500, 5000, 10000});
    QList<std::pair<int, bool>> idling;  // when the character began and stopped idling
    int clock = 0;
    player.setIdlingHandler([&](bool on) { idling.append({clock, on}); });
    player.show();
    run(player, 200, &clock);  // Appear done
    QList<std::pair<int, QString>> started;
    QString last = player.currentAnimation();
    bool wasAnimating = player.isAnimating();
    for (int i = 0; i < 12000; ++i) {
        run(player, 1, &clock);
        if (player.isAnimating() && (!wasAnimating || player.currentAnimation() != last)) {
            started.append({clock, player.currentAnimation()});
        }
        last = player.currentAnimation();
        wasAnimating = player.isAnimating();
    }
    ASSERT_FALSE(started.isEmpty());
    EXPECT_EQ(started[0], (std::pair<int, QString>{1200, "Blink"}));
    int levelTwo = -1;
    int levelThree = -1;
    for (const auto& [at, name] : started) {
        const int quiet = at - 200;
        if (name == "Blink") {
            EXPECT_LT(quiet, 5000) << at;
        } else if (name == "Yawn") {
            EXPECT_GE(quiet, 5000) << at;
            EXPECT_LT(quiet, 10000) << at;
            levelTwo = levelTwo < 0 ? at : levelTwo;
        } else {
            EXPECT_EQ(name, "Sleep");
            EXPECT_GE(quiet, 10000) << at;
            levelThree = levelThree < 0 ? at : levelThree;
        }
    }
    EXPECT_GT(levelTwo, 0);
    EXPECT_GT(levelThree, levelTwo);
    EXPECT_EQ(player.idleLevel(), 3);
    // Sleep loops until something is asked of the character.
    EXPECT_EQ(player.currentAnimation(), "Sleep");
    EXPECT_TRUE(player.isAnimating());

    const int wave = player.play("Wave");
    const QList<Timed> done = run(player, 150, &clock);
    ASSERT_EQ(done.size(), 1);
    EXPECT_EQ(done[0].completion.id, wave);
    EXPECT_EQ(player.idleLevel(), 1);
    // Told once as the idling begins (in the tick that starts the first Blink), once as the request ends it.
    ASSERT_EQ(idling.size(), 2);
    EXPECT_EQ(idling[0], std::make_pair(started[0].first - 1, true));
    EXPECT_FALSE(idling[1].second);
    EXPECT_GE(idling[1].first, 12200);
}

TEST_F(PlayerTest, MoveTravelsToTheTargetWhileWalking) {
    RecordingPlayer player(file, agent::render::seededRandom(9));
    showNow(player);
    const int id = player.moveTo({-300, 40});
    int clock = 0;
    run(player, 1, &clock);
    EXPECT_EQ(player.currentAnimation(), "WalkLeft");
    // hypot(300, 40) = 302.66 px at 100 px/s.
    const int travelMs = 3027;
    int lastX = 1;
    QList<Timed> done;
    for (int t = 1; t < travelMs; ++t) {
        done += run(player, 1, &clock);
        ASSERT_LE(player.position().x(), lastX);
        lastX = player.position().x();
    }
    EXPECT_TRUE(done.isEmpty());
    EXPECT_EQ(player.position(), QPoint(-300, 40));
    EXPECT_EQ(player.currentAnimation(), "WalkLeft");
    // Arrived mid-frame: the frame ends, the exit branch leads to frame 1, then the request is done.
    done = run(player, 300, &clock);
    ASSERT_EQ(done.size(), 1);
    EXPECT_EQ(done[0].completion, (Completion{id, RequestKind::Move, false}));
    EXPECT_GT(done[0].atMs, travelMs);
    EXPECT_LE(done[0].atMs, travelMs + 200);
    EXPECT_EQ(player.position(), QPoint(-300, 40));
}

// Some characters' walks end on an empty marker frame long before the journey does: the last step is held
// until the character arrives, and it comes to rest from there through the exit branches.
TEST_F(PlayerTest, AWalkShorterThanItsJourneyHoldsItsLastStepAndLeavesFromThere) {
    CharacterData c = playerCharacter();
    Frame marker = frame(0, -2);
    c.animations.append(
        animation("Stride", {frame(10, 4), frame(10, 0), frame(10, 3, {{4, 100}}), frame(10, 1), marker}));
    c.info.states.append(State{"MovingRight", {"Stride"}});
    AcsFile walker;
    loadInto(&walker, c);
    RecordingPlayer player(walker, agent::render::seededRandom(3));
    showNow(player);
    player.moveTo({100, 0});
    QList<int> pictures;
    for (int t = 0; t < 2000; t += 50) {
        player.advance(t == 0 ? 0 : 50);
        ASSERT_NE(player.picture(), nullptr);
        if (player.pictureAnimation() == "Stride" &&
            (pictures.isEmpty() || pictures.last() != player.pictureFrame())) {
            pictures << player.pictureFrame();
        }
        if (t == 900) {
            EXPECT_EQ(player.pictureFrame(), 2) << "the last step is held while the character travels";
            EXPECT_EQ(player.position(), QPoint(90, 0));
        }
    }
    EXPECT_EQ(pictures, (QList<int>{0, 1, 2, 3, 1, 0})) << "the empty marker frame is never shown";
    EXPECT_EQ(player.position(), QPoint(100, 0));
    EXPECT_FALSE(player.isBusy());
}

TEST_F(PlayerTest, PuttingTheCharacterSomewhereEndsItsJourneyThere) {
    RecordingPlayer player(file, agent::render::seededRandom(9));
    showNow(player);
    const int id = player.moveTo({-300, 0});
    player.advance(1000);
    player.setPosition({50, 60});
    player.advance(2000);
    EXPECT_EQ(player.position(), QPoint(50, 60));
    EXPECT_EQ(player.takeCompletions(), (QList<Completion>{{id, RequestKind::Move, false}}));
}

TEST_F(PlayerTest, AHiddenCharacterMovesAtOnce) {
    RecordingPlayer player(file, agent::render::seededRandom(9));
    const int id = player.moveTo({-300, 40});
    // There before any time passes: a Stop in the same moment leaves it there.
    player.stop();
    EXPECT_EQ(player.position(), QPoint(-300, 40));
    player.advance(0);
    EXPECT_EQ(player.position(), QPoint(-300, 40));
    EXPECT_TRUE(player.currentAnimation().isEmpty());
    EXPECT_EQ(player.takeCompletions(), (QList<Completion>{{id, RequestKind::Move, false}}));
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
    const int wave = player.play("Wave");
    player.advance(0);
    EXPECT_EQ(player.currentAnimation(), "Wave") << "what is asked for still plays";
    player.advance(1000);
    EXPECT_EQ(player.takeCompletions(), (QList<Completion>{{wave, RequestKind::Play, false}}));
}

TEST_F(PlayerTest, MoveHalfwayAndWithoutAnimation) {
    RecordingPlayer player(file, agent::render::seededRandom(9));
    showNow(player, {10, 500}, 200);
    // Upwards: the character has no MovingUp state, so only the position changes.
    const int id = player.moveTo({10, 100});
    player.advance(1000);
    EXPECT_EQ(player.position(), QPoint(10, 300));
    EXPECT_FALSE(player.isAnimating());
    player.advance(999);
    EXPECT_TRUE(player.takeCompletions().isEmpty());
    player.advance(1);
    EXPECT_EQ(player.takeCompletions(), (QList<Completion>{{id, RequestKind::Move, false}}));
    EXPECT_EQ(player.position(), QPoint(10, 100));
}

TEST_F(PlayerTest, StopDuringAMoveLeavesTheCharacterWhereItIs) {
    RecordingPlayer player(file, agent::render::seededRandom(9));
    showNow(player);
    const int id = player.moveTo({-1000, 0});
    player.advance(2050);
    const QPoint there = player.position();
    EXPECT_EQ(there, QPoint(-205, 0));
    player.stop();
    player.advance(1000);
    EXPECT_EQ(player.takeCompletions(), (QList<Completion>{{id, RequestKind::Move, true}}));
    EXPECT_EQ(player.position(), there);
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

TEST_F(PlayerTest, SpeakHoldsTheSpeakingStatesFrameWhenTheLastFrameHasNoMouths) {
    RecordingPlayer player(file, agent::render::seededRandom(2));
    player.speak("Hello there");
    player.advance(0);
    EXPECT_TRUE(player.isSpeaking());
    EXPECT_EQ(player.speechText(), "Hello there");
    // The Speaking state names Idle, whose first frame has mouths; it holds however long the voice takes.
    EXPECT_EQ(player.pictureAnimation(), "Idle");
    ASSERT_NE(player.picture(), nullptr);
    EXPECT_FALSE(player.picture()->overlays.isEmpty());
    player.advance(60000);
    EXPECT_EQ(player.pictureFrame(), 0);
}

TEST_F(PlayerTest, SpeechStartsAtItsTurnAndLastsUntilTheVoiceEnds) {
    RecordingPlayer player(file, agent::render::seededRandom(4));
    QStringList started;
    player.setRequestStartHandler([&](int, RequestKind kind, const QString& text) {
        if (kind == RequestKind::Speak) {
            started << text;
        }
    });
    player.show();
    const int first = player.speak("One");
    const int second = player.speak("Two");
    player.advance(0);
    EXPECT_TRUE(started.isEmpty()) << "speech must wait for the Showing animation";
    player.advance(200);
    EXPECT_EQ(started, QStringList{"One"});
    player.setMouth(int(agent::format::MouthShape::WideOpen2));
    EXPECT_EQ(player.mouth(), int(agent::format::MouthShape::WideOpen2));
    player.speechStarted(first, 60000);
    EXPECT_EQ(player.msUntilNextEvent(), 60000 + AnimationPlayer::kSpeechGraceMs);
    player.advance(59000);
    EXPECT_TRUE(player.isSpeaking()) << "a long voice holds the statement";
    EXPECT_EQ(started, QStringList{"One"});

    player.endSpeech(first);
    EXPECT_EQ(player.msUntilNextEvent(), 0) << "an ended statement must not be slept on";
    player.advance(0);
    EXPECT_EQ(started, (QStringList{"One", "Two"}));
    EXPECT_EQ(player.mouth(), -1) << "a new statement starts with the mouth as drawn";
    player.stop();
    const QList<Completion> done = player.takeCompletions();
    ASSERT_EQ(done.size(), 3);
    EXPECT_EQ(done[1], (Completion{first, RequestKind::Speak, false}));
    EXPECT_EQ(done[2], (Completion{second, RequestKind::Speak, true}));
    EXPECT_FALSE(player.isSpeaking());
}

// A statement in a balloon lasts until it can have been read, however soon its voice ends; a voice longer
// than the reading holds it as before.
TEST_F(PlayerTest, AStatementLastsUntilItsBalloonHasBeenRead) {
    const struct {
        qint64 voiceMs, readMs, endsAtMs;
    } cases[] = {
        {1200, 2000, 2000},
        {3000, 2000, 3000},
        {1200, 0, 1200},
    };
    for (const auto& c : cases) {
        RecordingPlayer player(file, agent::render::seededRandom(4));
        showNow(player);
        const int id = player.speak("the time is 6,54");
        player.advance(0);
        ASSERT_TRUE(player.isSpeaking());
        player.speechStarted(id, c.voiceMs, c.readMs);
        player.advance(int(c.voiceMs));
        player.endSpeech(id);
        player.advance(0);
        const qint64 left = c.endsAtMs - c.voiceMs;
        if (left > 0) {
            EXPECT_TRUE(player.isSpeaking()) << c.voiceMs << " " << c.readMs;
            EXPECT_EQ(player.msUntilNextEvent(), left) << "the driver wakes when the reading is over";
            player.advance(int(left) - 1);
            EXPECT_TRUE(player.isSpeaking()) << c.voiceMs << " " << c.readMs;
            player.advance(1);
        }
        EXPECT_FALSE(player.isSpeaking()) << c.voiceMs << " " << c.readMs;
    }
}

// Whenever the voice's end comes, the statement it belongs to ends and no other; and a voice that never
// starts or never ends holds the queue only for a bounded time. Each case runs the clock's own sequence
// (Stop, a space, Show, the text, a gesture) and must reach the gesture.
TEST_F(PlayerTest, NoStatementsEndIsLostWhateverTheOrderOfEvents) {
    struct Case {
        const char* what;
        // Called when a Speak's turn comes, with its id; may end it, stop the player, or do nothing.
        std::function<void(AnimationPlayer&, int id, const QString& text)> atStart;
        // Called after each step of 1 ms with the ids of the statements so far.
        std::function<void(AnimationPlayer&, const QList<int>& ids, int clock)> meanwhile;
        int mostMs;  // the gesture starts within this time
    };
    const qint64 limit = AnimationPlayer::kVoiceStartLimitMs;
    const qint64 grace = AnimationPlayer::kSpeechGraceMs;
    const QList<Case> cases = {
        {"the voice ends inside the start handler",
         [](AnimationPlayer& p, int id, const QString&) { p.endSpeech(id); },
         {},
         300},
        {"the voice ends a little later",
         {},
         [](AnimationPlayer& p, const QList<int>& ids, int clock) {
             if (clock % 50 == 0) {
                 for (int id : ids) {
                     p.endSpeech(id);
                 }
             }
         },
         400},
        {"the voice starts, says nothing and ends",
         [](AnimationPlayer& p, int id, const QString&) {
             p.speechStarted(id, 0);
             p.endSpeech(id);
         },
         {},
         300},
        {"the voice never starts", {}, {}, int(2 * limit + 300)},
        {"the voice starts and never ends",
         [](AnimationPlayer& p, int id, const QString& text) { p.speechStarted(id, text.size() * 100); },
         {},
         int(2 * grace + 21 * 100 + 500)},
        {"both statements end before their turn",
         {},
         [](AnimationPlayer& p, const QList<int>& ids, int clock) {
             if (clock == 1) {
                 for (int id : ids) {
                     p.endSpeech(id);
                 }
             }
         },
         300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingPlayer player(file, agent::render::seededRandom(3));
        QList<int> ids;
        int gestureAt = -1;
        int clock = 0;
        player.setRequestStartHandler([&](int id, RequestKind kind, const QString& text) {
            if (kind == RequestKind::Speak && c.atStart) {
                c.atStart(player, id, text);
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
            if (c.meanwhile) {
                c.meanwhile(player, ids, clock);
            }
            ASSERT_TRUE(player.msUntilNextEvent() >= 0 || !player.isBusy())
                << "a busy character must never be left asleep, at " << clock << " ms";
        }
        EXPECT_GE(gestureAt, 0);
        EXPECT_LE(gestureAt, c.mostMs);
    }
}

TEST_F(PlayerTest, AnEndForAnotherStatementEndsNothing) {
    RecordingPlayer player(file, agent::render::seededRandom(4));
    showNow(player);
    const int old = player.speak("Cut short");
    player.advance(0);
    player.stop();
    const int now = player.speak("Said in full");
    player.advance(0);
    ASSERT_TRUE(player.isSpeaking());
    player.speechStarted(old, 0);
    player.endSpeech(old);
    player.endSpeech(now + 7);
    player.advance(100);
    EXPECT_EQ(player.speechText(), "Said in full") << "a late end of a dropped statement is ignored";
    player.endSpeech(now);
    player.advance(0);
    EXPECT_FALSE(player.isSpeaking());
    const QList<Completion> done = player.takeCompletions();
    ASSERT_EQ(done.size(), 2);
    EXPECT_EQ(done[0], (Completion{old, RequestKind::Speak, true}));
    EXPECT_EQ(done[1], (Completion{now, RequestKind::Speak, false}));
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

TEST_F(PlayerTest, FrameSoundsAreReportedAsFramesAreEntered) {
    CharacterData c = playerCharacter();
    QList<Frame> frames = {frame(10), frame(10), frame(0), frame(10)};
    frames[0].sound = 3;
    frames[2].sound = 7;  // a zero-length frame still sounds
    c.animations.append(animation("Clang", frames));
    c.sounds.resize(8);
    AcsFile noisy;
    loadInto(&noisy, c);
    RecordingPlayer player(noisy, agent::render::seededRandom(1));
    QList<int> sounds;
    player.setFrameSoundHandler([&](int s) { sounds << s; });
    player.play("Clang");
    player.advance(0);
    EXPECT_EQ(sounds, QList<int>{3});
    player.advance(200);
    EXPECT_EQ(sounds, (QList<int>{3, 7}));
}

TEST_F(PlayerTest, TimeToNextEventTellsADriverHowLongToSleep) {
    RecordingPlayer player(file, agent::render::seededRandom(5));
    player.setIdleTimes(IdleTimes{10, 10, 20, 30});
    player.advance(100000);
    EXPECT_FALSE(player.isAnimating()) << "a hidden character does not idle";
    EXPECT_TRUE(player.currentAnimation().isEmpty());
    EXPECT_EQ(player.msUntilNextEvent(), -1) << "hidden and asked nothing: no time needed";
    player.setIdleTimes(IdleTimes{});
    player.show();
    EXPECT_EQ(player.msUntilNextEvent(), 0);
    player.advance(0);
    EXPECT_EQ(player.msUntilNextEvent(), 200) << "the Showing frame lasts 20 hundredths";
    player.advance(200);
    IdleTimes idle;
    EXPECT_EQ(player.msUntilNextEvent(), idle.firstMs) << "standing still until the first idling";
    player.setPosition({0, 0});
    player.moveTo({500, 0});
    player.advance(0);
    EXPECT_EQ(player.msUntilNextEvent(), 0) << "a travelling window moves every step";
    EXPECT_TRUE(player.isMoving());
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

#include "agent/render/desktop_control.h"
#include "agent/console/console_control.h"
#include "agent/format/acs_writer.h"
#include "agent/format/frame_composer.h"
#include "agent/render/command_menu.h"
#include "tests/agent/format/sample_character.h"
#include "tests/support/desktop_engine.h"
#include "tests/support/recording_sink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTest>
#include <QTransform>
#include <QWindow>

#include <gtest/gtest.h>

using agent::render::Completion;
using agent::render::DesktopCharacter;
using agent::render::DesktopControl;
using agent::render::EngineOptions;
using agent::render::MenuEntry;
using agent::render::RequestKind;
using testsupport::menuTexts;
using testsupport::opaquePoint;

namespace {

// The engine on the genuine Genie, with voices the test drives.
class EngineTest : public testsupport::DesktopEngineTest {
protected:
    void SetUp() override {
        copyCharacters({"Genie.acs"});
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        control = std::make_unique<DesktopControl>(environment());
        control->setCommandHandler(
            [this](const agent::UserInput& in) { commands << in.characterId + ":" + in.name; });
        control->setDragCompleteHandler([this](const agent::DragEvent& e) { drags << e; });
    }

    DesktopCharacter* loadGenie() {
        const agent::Status loaded = control->load("Genie", "genie.acs");
        EXPECT_TRUE(loaded) << loaded.error().toStdString();
        DesktopCharacter* genie = control->character("genie");
        if (genie != nullptr) {
            completions(genie);
        }
        return genie;
    }

    // Runs time in frame-sized steps until the character has nothing left to do (or the limit passes).
    void settle(DesktopCharacter* c, int limitMs = 60000) {
        for (int t = 0; t < limitMs && c->player().isBusy() && !c->player().isSpeaking(); t += 10) {
            time.advance(10);
        }
    }

    // What the character's player reported since the last call (the record starts with the load).
    QList<Completion> completions(DesktopCharacter* c) {
        if (!recorded.contains(c)) {
            c->player().setCompletionHandler([this, c](const Completion& done) { recorded[c] << done; });
        }
        return std::exchange(recorded[c], {});
    }
    QHash<DesktopCharacter*, QList<Completion>> recorded;

    std::unique_ptr<DesktopControl> control;
    QStringList commands;
    QList<agent::DragEvent> drags;
};

TEST_F(EngineTest, AFailedLoadLeavesTheIdFreeAndABareNameIsFoundWhateverItsCase) {
    EXPECT_TRUE(control->load("Genie", "merlin.acs").error().contains("merlin.acs"));
    QFile whole(folder.filePath("Genie.acs"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    QFile cut(folder.filePath("cut.acs"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(whole.read(4000));
    cut.close();
    EXPECT_FALSE(control->load("Genie", "cut.acs"));
    EXPECT_EQ(control->item("Genie"), nullptr);
    EXPECT_TRUE(voices.empty()) << "nothing is built for a file that fails";

    DesktopCharacter* genie = loadGenie();
    ASSERT_NE(genie, nullptr);
    EXPECT_EQ(control->item("GENIE"), genie);
    EXPECT_EQ(genie->name(), "Genie");
    EXPECT_FALSE(genie->description().isEmpty());
    EXPECT_EQ(control->load("genie", "Genie.acs").error(), "the id \"genie\" is in use");
    control->unload("GENIE");
    EXPECT_EQ(control->item("Genie"), nullptr);
    EXPECT_TRUE(control->load("genie", folder.filePath("Genie.acs"))) << "a full path is taken as it is";
}

// Requests return at once and are carried out in order; the balloon shows the words as they are spoken,
// unless the options say not.
TEST_F(EngineTest, RequestsAreCarriedOutInOrderAndTheBalloonShowsTheWords) {
    DesktopCharacter* genie = loadGenie();
    ASSERT_NE(genie, nullptr);
    genie->moveTo(300, 400);
    genie->show();
    genie->speak("Hello big world");
    genie->play("greet");
    genie->moveTo(400, 300);
    genie->hide();
    EXPECT_FALSE(genie->window().isVisible()) << "requests return at once";
    EXPECT_EQ(time.armedTimers(), 1);

    time.advance(0);
    EXPECT_EQ(genie->window().pos(), QPoint(300, 400));
    time.advance(0);
    EXPECT_TRUE(genie->window().isVisible());
    EXPECT_TRUE(voiceLog->spoken.isEmpty()) << "speech waits for the Showing animation";
    settle(genie);
    ASSERT_TRUE(genie->player().isSpeaking());
    ASSERT_EQ(voiceLog->spoken.size(), 1);
    EXPECT_TRUE(voiceLog->spoken[0].endsWith("Hello big world"));
    EXPECT_FALSE(genie->balloon().isVisible()) << "nothing to show before the voice starts";

    voices[0]->start("Hello big world");
    EXPECT_TRUE(genie->balloon().isVisible());
    EXPECT_EQ(genie->balloon().visibleLines().join(" ").trimmed(), "");
    voices[0]->word(5);
    EXPECT_EQ(genie->balloon().visibleLines().join(" ").trimmed(), "Hello");
    voices[0]->word(9);
    EXPECT_EQ(genie->balloon().visibleLines().join(" ").trimmed(), "Hello big");
    EXPECT_LT(genie->balloon().geometry().bottom(), genie->window().geometry().top() + 20)
        << "the balloon sits above the character";

    voices[0]->mouth(int(agent::format::MouthShape::WideOpen3));
    EXPECT_EQ(genie->player().mouth(), int(agent::format::MouthShape::WideOpen3));
    voices[0]->finish();
    EXPECT_EQ(genie->player().mouth(), -1);
    // A voice quicker than a reader leaves the balloon up until it can have been read.
    time.advance(int(agent::render::readingTimeMs("Hello big world")) - 1);
    EXPECT_TRUE(genie->balloon().isVisible());
    time.advance(1);
    const bool keeps = genie->file().info().flags & agent::format::flags::kBalloonNoAutoHide;
    EXPECT_EQ(genie->balloon().isVisible(), keeps);
    EXPECT_EQ(genie->player().currentAnimation().toLower(), "greet");
    settle(genie);
    EXPECT_EQ(genie->window().pos(), QPoint(400, 300));
    EXPECT_FALSE(genie->window().isVisible());
    QList<RequestKind> kinds;
    for (const Completion& c : completions(genie)) {
        EXPECT_FALSE(c.interrupted);
        kinds << c.kind;
    }
    EXPECT_EQ(kinds, (QList<RequestKind>{RequestKind::Move, RequestKind::Show, RequestKind::Speak,
                                         RequestKind::Play, RequestKind::Move, RequestKind::Hide}));
    EXPECT_EQ(time.armedTimers(), 0) << "a hidden character costs nothing";

    // The options turn the balloon and the sound off and choose the voice.
    const EngineOptions o{
        .balloonOn = false, .balloonFont = {}, .speechOn = false, .speedPercent = 200, .voice = "en-gb"};
    const QString normal = genie->voicedText("Hi");
    EXPECT_TRUE(options->set(o));
    EXPECT_FALSE(voiceLog->soundOn);
    EXPECT_EQ(voiceLog->voice.name, "en-gb");
    EXPECT_NE(genie->voicedText("Hi"), normal) << "the speed goes into the text";
    genie->show();
    genie->speak("Quiet");
    settle(genie);
    ASSERT_TRUE(genie->player().isSpeaking());
    voices[0]->start("Quiet");
    EXPECT_FALSE(genie->balloon().isVisible());
}

TEST_F(EngineTest, AWindowManagersPlaceIsTakenAndTheBalloonFollowsIt) {
    DesktopCharacter* genie = loadGenie();
    ASSERT_NE(genie, nullptr);
    genie->moveTo(300, 0);
    genie->show();
    genie->speak("Hello");
    settle(genie);
    voices[0]->start("Hello");
    ASSERT_TRUE(genie->balloon().isVisible());

    // A panel along the top: the window manager puts the window below it.
    const QPoint given(300, 40);
    genie->window().windowHandle()->setPosition(given);
    QCoreApplication::processEvents();
    EXPECT_EQ(genie->window().pos(), given);
    EXPECT_EQ(genie->player().position(), given);
    const QRect balloon = genie->balloon().geometry();
    const QRect window = genie->window().geometry();
    EXPECT_TRUE(balloon.adjusted(-1, -1, 1, 1).intersects(window))
        << "the balloon touches the window where it is, not where it was asked to be";
    EXPECT_FALSE(balloon.intersects(window.adjusted(0, window.height() / 4, 0, 0)))
        << "and covers no more than its top edge";

    time.advance(2000);
    EXPECT_EQ(genie->window().pos(), given) << "the engine does not fight the window manager";
    genie->moveTo(320, 60);
    settle(genie);
    EXPECT_EQ(genie->window().pos(), QPoint(320, 60)) << "a later walk goes where it is asked to";
}

TEST_F(EngineTest, TheMenuOffersTheCommandsAndHideAndADragMovesTheCharacter) {
    DesktopCharacter* genie = loadGenie();
    ASSERT_NE(genie, nullptr);
    genie->setCommandsCaption("Horalia");
    genie->setCommandsVisible(true);
    genie->addCommand({"Time", "Say the time", "time", true, true});
    genie->addCommand({"Secret", "Secret", "", true, false});
    genie->addCommand({"Joke", "Tell a joke", "joke", true, true});
    genie->addCommand({"Backup", "Back up now", "", true, true, "Backup tool"});
    QList<agent::ChosenCommand> served;
    genie->setEvents({.command = [&](const agent::ChosenCommand& c) { served << c; }});
    genie->moveTo(200, 200);
    genie->show();
    settle(genie);
    const QPoint at = opaquePoint(genie->window().picture());
    ASSERT_GE(at.x(), 0);

    EXPECT_TRUE(genie->window().windowHandle()->mask().contains(at))
        << "the window is shaped to the character's pixels";
    EXPECT_FALSE(genie->window().windowHandle()->mask().contains(QPoint(0, 0)));
    QTest::mouseClick(&genie->window(), Qt::RightButton, {}, at);
    QMenu* menu = genie->popupMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menuTexts(menu), (QStringList{"Horalia", "Say the time", "Tell a joke", "---", "Backup tool",
                                            "Back up now", "---", "Hide"}));
    menu->actions()[2]->trigger();
    EXPECT_EQ(commands, QStringList{"Genie:Joke"});
    menu->actions()[5]->trigger();
    EXPECT_EQ(commands, QStringList{"Genie:Joke"}) << "another program's command goes to it alone";
    ASSERT_EQ(served.size(), 1);
    EXPECT_EQ(served[0].name, "Backup");
    EXPECT_EQ(served[0].source, agent::CommandSource::Menu);
    genie->removeCommand("backup");

    // Dragging moves the character and reports where it was left.
    QTest::mousePress(&genie->window(), Qt::LeftButton, {}, at);
    QTest::mouseMove(&genie->window(), at + QPoint(60, 25));
    EXPECT_EQ(genie->window().pos(), QPoint(260, 225));
    EXPECT_TRUE(drags.isEmpty()) << "the drag is complete only when the button is let go";
    // the pointer is where it took hold of the character, which went along with it
    QTest::mouseRelease(&genie->window(), Qt::LeftButton, Qt::ShiftModifier, at);
    ASSERT_EQ(drags.size(), 1);
    EXPECT_EQ(drags[0].characterId, "Genie");
    EXPECT_EQ(QPoint(drags[0].x, drags[0].y), QPoint(260, 225));
    EXPECT_EQ(drags[0].shift, 1);
    time.advance(1000);
    EXPECT_EQ(genie->window().pos(), QPoint(260, 225)) << "the character stays where it was put";
    QTest::mouseClick(&genie->window(), Qt::LeftButton, {}, at);
    EXPECT_EQ(drags.size(), 1) << "a click is no drag";

    QTest::mouseClick(&genie->window(), Qt::RightButton, {}, at);
    ASSERT_NE(genie->popupMenu(), nullptr);
    genie->popupMenu()->actions().last()->trigger();
    settle(genie);
    EXPECT_FALSE(genie->window().isVisible());
    EXPECT_EQ(commands.size(), 1) << "Hide is the engine's own, not a command";
}

// Requests made for the engine's service: ids, how each ended, and the program's own Stop leaving them.
TEST_F(EngineTest, ServedRequestsReportTheirEndsAndOutliveTheProgramsStop) {
    ASSERT_TRUE(control->load("Genie", "genie.acs"));
    DesktopCharacter* genie = control->character("genie");
    QList<int> started;
    QList<std::pair<int, agent::RequestEnd>> ended;
    QStringList seen;
    genie->setEvents({
        .requestStarted = [&](int id) { started << id; },
        .requestEnded =
            [&](int id, agent::RequestEnd end) {
                ended.append({id, end});
            },
        .shown = [&](const QString& cause) { seen << "shown " + cause; },
        .balloonShown = [&] { seen << "balloon"; },
    });
    using End = agent::RequestEnd;
    const int show = genie->showRequest(true);
    const int speak = genie->speakRequest("Hi");
    const int own = genie->player().play("greet");  // the program's own
    const int think = genie->thinkRequest("Hmm");
    const int hold = genie->waitRequest();
    const int dropped = genie->playRequest("greet");
    genie->endRequest(dropped, End::Interrupted);
    genie->endRequest(own, End::Stopped);  // not the service's: left alone
    EXPECT_EQ(ended, (QList<std::pair<int, End>>{{dropped, End::Interrupted}}));
    genie->stop();
    EXPECT_EQ(voiceLog->stops, 1) << "the program's Stop cuts its voice off";
    time.advance(0);
    EXPECT_EQ(started.value(0), show) << "the program's Stop drops only its own requests";
    EXPECT_TRUE(genie->window().isVisible()) << "a fast Show is at once";

    settle(genie);
    ASSERT_EQ(voices.size(), 1u);
    voices[0]->start("Hi", 500);
    voices[0]->finish();
    for (int t = 0; t < 5000 && started.size() < 3; t += 10) {
        time.advance(10);
    }
    EXPECT_EQ(started.value(2), think);
    EXPECT_EQ(voiceLog->spoken.size(), 1) << "a thought is not heard";
    EXPECT_TRUE(genie->balloon().isVisible()) << "a thought is read";
    time.advance(5000);
    EXPECT_TRUE(genie->player().isBusy()) << "a Wait holds the queue";
    genie->endRequest(hold, End::Done);
    EXPECT_EQ(started, (QList<int>{show, speak, think, hold}));
    EXPECT_EQ(ended, (QList<std::pair<int, End>>{{dropped, End::Interrupted},
                                                 {show, End::Done},
                                                 {speak, End::Done},
                                                 {think, End::Done},
                                                 {hold, End::Done}}));
    EXPECT_EQ(seen, (QStringList{"shown program", "balloon", "balloon"}));
}

// Every genuine file either fails its load cleanly or shows, speaks within its own balloon settings and
// hides.
TEST_F(EngineTest, EveryGenuineCharacterLoadsOrFailsCleanly) {
    const QDir data(testsupport::acsTestDataDir());
    const QString statement = QStringLiteral(
        "It is a quarter past eleven on a fine Tuesday morning, and the kettle has just boiled for the "
        "second time today");
    int shown = 0;
    // The console engine reads each file as this engine does: it tells the same, or refuses it alike.
    testsupport::RecordingSink sink;
    agent::console::ConsoleControl console("Agent1", sink, agent::console::characterFiles({data.path()}));
    for (const QString& name : data.entryList({"*.acs"}, QDir::Files)) {
        SCOPED_TRACE(name.toStdString());
        const QString id = QFileInfo(name).baseName();
        const agent::Status inConsole = console.load(id, name.toUpper());
        if (const agent::Status loaded = control->load(id, data.filePath(name)); !loaded) {
            EXPECT_EQ(control->item(id), nullptr);
            EXPECT_FALSE(loaded.error().isEmpty());
            EXPECT_EQ(inConsole.error(), loaded.error());
            continue;
        }
        DesktopCharacter* c = control->character(id);
        const agent::Character* told = console.item(id);
        ASSERT_NE(told, nullptr) << inConsole.error().toStdString();
        EXPECT_EQ(told->name(), c->name());
        EXPECT_EQ(told->description(), c->description());
        EXPECT_EQ(QSize(told->width(), told->height()), QSize(c->width(), c->height()));
        c->moveTo(50, 300);
        c->show();
        c->speak(statement);
        settle(c);
        ASSERT_TRUE(c->player().isSpeaking());
        EXPECT_TRUE(c->window().isVisible());
        EXPECT_EQ(c->window().picture().size(), QSize(c->width(), c->height()));
        voices.back()->start(statement);
        voices.back()->word(int(statement.size()));
        const std::optional<agent::format::BalloonInfo>& style = c->file().info().balloon;
        EXPECT_EQ(c->balloon().isVisible(),
                  style.has_value() && !(c->file().info().flags & agent::format::flags::kBalloonDisabled));
        // The file's own balloon: no more lines, and no longer ones, than it asks for.
        const agent::format::BalloonInfo asked = style.value_or(agent::format::BalloonInfo{});
        EXPECT_LE(c->balloon().visibleLines().size(), std::max<int>(asked.lines, 1));
        for (const QString& line : c->balloon().visibleLines()) {
            EXPECT_LE(line.size(), std::max<int>(asked.charsPerLine, 8));
        }
        voices.back()->finish();
        time.advance(int(agent::render::readingTimeMs(statement)));
        c->hide();
        settle(c);
        EXPECT_FALSE(c->window().isVisible());
        control->unload(id);
        ++shown;
    }
    EXPECT_GE(shown, 8);
}

// A heading and a separator only above visible commands with a caption (the engine's menus show the rest).
TEST(CommandMenu, HeadingAndSeparatorOnlyAboveVisibleCommands) {
    using K = MenuEntry::Kind;
    const QList<agent::Command> commands = {{"A", "Alpha", "", true, true}, {"C", "Hidden", "", true, false}};
    const MenuEntry hide{K::Hide, "Hide", {}, true};
    EXPECT_EQ(agent::render::commandMenuEntries("Clock", false, commands, false), QList<MenuEntry>{hide});
    EXPECT_EQ(agent::render::commandMenuEntries("Clock", true, {}, false), QList<MenuEntry>{hide});
    EXPECT_EQ(agent::render::commandMenuEntries("", true, commands, false),
              (QList<MenuEntry>{{K::Command, "Alpha", "A", true}, {K::Separator, {}, {}, false}, hide}))
        << "no empty heading";
}

}  // namespace

// The desktop engine on the genuine files: requests, stop, balloon, menu and drag through QTest; and spoken
// commands, on the genuine Genie and Merlin in two controls that share one VoiceInput as the program's two
// controls do, with a listener and a listening key driven by hand.
#include "tests/support/desktop_engine.h"
#include "agent/console/console_control.h"
#include "agent/format/frame_composer.h"
#include "agent/render/command_menu.h"
#include "agent/render/desktop_control.h"
#include "agent/render/key_repeat_filter.h"
#include "agent/render/unavailable_listener.h"
#include "agent/render/voice_input.h"
#include "tests/support/listen_fakes.h"
#include "tests/support/message_log.h"
#include "tests/support/recording_sink.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

using namespace agent::render;
using namespace testsupport;
using agent::listen::Listener;
using Commands = QList<agent::listen::VoiceCommand>;

namespace {

// The engine on the genuine Genie, with voices the test drives.
class EngineTest : public DesktopEngineTest {
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

    // Loads Genie; what its player reports from then on is kept in done.
    void loadGenie() {
        const agent::Status loaded = control->load("Genie", "genie.acs");
        ASSERT_TRUE(loaded) << loaded.error().toStdString();
        genie = control->character("genie");
        ASSERT_NE(genie, nullptr);
        genie->player().setCompletionHandler([this](const Completion& c) { done << c; });
    }

    // Runs time in frame-sized steps until the character has nothing left to do (or the limit passes).
    void settle(DesktopCharacter* c) {
        for (int t = 0; t < 60000 && c->player().isBusy() && !c->player().isSpeaking(); t += 10) {
            time.advance(10);
        }
    }
    QString shownWords() const { return genie->balloon().visibleLines().join(" ").trimmed(); }

    std::unique_ptr<DesktopControl> control;
    DesktopCharacter* genie = nullptr;
    QList<Completion> done;
    QStringList commands;
    QList<agent::DragEvent> drags;
};

TEST_F(EngineTest, AFailedLoadLeavesTheIdFreeAndABareNameIsFoundWhateverItsCase) {
    EXPECT_TRUE(control->load("Genie", "merlin.acs").error().contains("merlin.acs"));
    const QString cut = folder.filePath("cut.acs");
    ASSERT_TRUE(QFile::copy(folder.filePath("Genie.acs"), cut) && QFile::resize(cut, 4000));
    EXPECT_FALSE(control->load("Genie", "cut.acs"));
    // Nothing is built for a file that fails.
    EXPECT_EQ(std::tuple(control->item("Genie"), voices.empty()), std::tuple(nullptr, true));

    ASSERT_NO_FATAL_FAILURE(loadGenie());
    EXPECT_EQ(std::tuple(control->item("GENIE"), genie->name(), genie->description().isEmpty()),
              std::tuple(genie, "Genie", false));
    EXPECT_EQ(control->load("genie", "Genie.acs").error(), "the id \"genie\" is in use");
    control->unload("GENIE");
    EXPECT_EQ(control->item("Genie"), nullptr);
    EXPECT_TRUE(control->load("genie", folder.filePath("Genie.acs"))) << "a full path is taken as it is";
}

// Requests return at once and are carried out in order; the balloon shows the words as they are spoken,
// unless the options say not.
TEST_F(EngineTest, RequestsAreCarriedOutInOrderAndTheBalloonShowsTheWords) {
    ASSERT_NO_FATAL_FAILURE(loadGenie());
    genie->moveTo(300, 400);
    genie->show();
    genie->speak("Hello big world");
    genie->play("greet");
    genie->moveTo(400, 300);
    genie->hide();
    // Requests return at once.
    EXPECT_EQ(std::tuple(genie->window().isVisible(), time.armedTimers()), std::tuple(false, 1));

    time.advance(0);
    EXPECT_EQ(genie->window().pos(), QPoint(300, 400));
    time.advance(0);
    // Shown; speech waits for the Showing animation.
    EXPECT_EQ(std::pair(genie->window().isVisible(), voiceLog->spoken.isEmpty()), std::pair(true, true));
    settle(genie);
    ASSERT_TRUE(genie->player().isSpeaking());
    ASSERT_EQ(voiceLog->spoken.size(), 1);
    // Nothing to show before the voice starts.
    EXPECT_EQ(std::pair(voiceLog->spoken[0].endsWith("Hello big world"), genie->balloon().isVisible()),
              std::pair(true, false));

    voices[0]->start("Hello big world");
    EXPECT_TRUE(genie->balloon().isVisible());
    EXPECT_EQ(shownWords(), "");
    voices[0]->word(5);
    EXPECT_EQ(shownWords(), "Hello");
    voices[0]->word(9);
    EXPECT_EQ(shownWords(), "Hello big");
    // The balloon sits above the character.
    EXPECT_LT(genie->balloon().geometry().bottom(), genie->window().geometry().top() + 20);

    voices[0]->mouth(int(agent::format::MouthShape::WideOpen3));
    EXPECT_EQ(genie->player().mouth(), int(agent::format::MouthShape::WideOpen3));
    voices[0]->finish();
    EXPECT_EQ(genie->player().mouth(), -1);
    // A voice quicker than a reader leaves the balloon up until it can have been read.
    time.advance(int(readingTimeMs("Hello big world")) - 1);
    EXPECT_TRUE(genie->balloon().isVisible());
    time.advance(1);
    const bool keeps = genie->file().info().flags & agent::format::flags::kBalloonNoAutoHide;
    EXPECT_EQ(std::pair(genie->balloon().isVisible(), genie->player().currentAnimation().toLower()),
              std::pair(keeps, QString("greet")));
    settle(genie);
    EXPECT_EQ(std::pair(genie->window().pos(), genie->window().isVisible()),
              std::pair(QPoint(400, 300), false));
    QList<RequestKind> kinds;
    for (const Completion& c : done) {
        EXPECT_FALSE(c.interrupted);
        kinds << c.kind;
    }
    EXPECT_EQ(kinds, (QList<RequestKind>{RequestKind::Move, RequestKind::Show, RequestKind::Speak,
                                         RequestKind::Play, RequestKind::Move, RequestKind::Hide}));
    EXPECT_EQ(time.armedTimers(), 0) << "a hidden character costs nothing";

    // The options turn the balloon and the sound off and choose the voice.
    const QString normal = genie->voicedText("Hi");
    EXPECT_TRUE(options->set(
        {.balloonOn = false, .balloonFont = {}, .speechOn = false, .speedPercent = 200, .voice = "en-gb"}));
    EXPECT_EQ(std::pair(voiceLog->soundOn, voiceLog->voice.name), std::pair(false, QString("en-gb")));
    EXPECT_NE(genie->voicedText("Hi"), normal) << "the speed goes into the text";
    genie->show();
    genie->speak("Quiet");
    settle(genie);
    ASSERT_TRUE(genie->player().isSpeaking());
    voices[0]->start("Quiet");
    EXPECT_FALSE(genie->balloon().isVisible());
}

TEST_F(EngineTest, AWindowManagersPlaceIsTakenAndTheBalloonFollowsIt) {
    ASSERT_NO_FATAL_FAILURE(loadGenie());
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
    EXPECT_EQ(std::pair(genie->window().pos(), genie->player().position()), std::pair(given, given));
    const QRect balloon = genie->balloon().geometry();
    const QRect window = genie->window().geometry();
    // The balloon touches the window where it is, not where it was asked to be, and covers no more than its
    // top edge.
    EXPECT_TRUE(balloon.adjusted(-1, -1, 1, 1).intersects(window));
    EXPECT_FALSE(balloon.intersects(window.adjusted(0, window.height() / 4, 0, 0)));

    time.advance(2000);
    EXPECT_EQ(genie->window().pos(), given) << "the engine does not fight the window manager";
    genie->moveTo(320, 60);
    settle(genie);
    EXPECT_EQ(genie->window().pos(), QPoint(320, 60)) << "a later walk goes where it is asked to";
}

TEST_F(EngineTest, TheMenuOffersTheCommandsAndHideAndADragMovesTheCharacter) {
    ASSERT_NO_FATAL_FAILURE(loadGenie());
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

    // The window is shaped to the character's pixels.
    EXPECT_TRUE(genie->window().windowHandle()->mask().contains(at));
    EXPECT_FALSE(genie->window().windowHandle()->mask().contains(QPoint(0, 0)));
    QTest::mouseClick(&genie->window(), Qt::RightButton, {}, at);
    QMenu* menu = genie->popupMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menuTexts(menu), (QStringList{"Horalia", "Say the time", "Tell a joke", "---", "Backup tool",
                                            "Back up now", "---", "Hide"}));
    menu->actions()[2]->trigger();
    menu->actions()[5]->trigger();
    EXPECT_EQ(commands, QStringList{"Genie:Joke"}) << "another program's command goes to it alone";
    ASSERT_EQ(served.size(), 1);
    EXPECT_EQ(std::pair(served[0].name, served[0].source),
              std::pair(QString("Backup"), agent::CommandSource::Menu));
    genie->removeCommand("backup");

    // Dragging moves the character and reports where it was left.
    QTest::mousePress(&genie->window(), Qt::LeftButton, {}, at);
    QTest::mouseMove(&genie->window(), at + QPoint(60, 25));
    // The drag is complete only when the button is let go.
    EXPECT_EQ(std::pair(genie->window().pos(), drags.isEmpty()), std::pair(QPoint(260, 225), true));
    // the pointer is where it took hold of the character, which went along with it
    QTest::mouseRelease(&genie->window(), Qt::LeftButton, Qt::ShiftModifier, at);
    ASSERT_EQ(drags.size(), 1);
    EXPECT_EQ(std::tuple(drags[0].characterId, drags[0].x, drags[0].y, drags[0].shift),
              std::tuple(QString("Genie"), 260, 225, 1));
    time.advance(1000);
    EXPECT_EQ(genie->window().pos(), QPoint(260, 225)) << "the character stays where it was put";
    QTest::mouseClick(&genie->window(), Qt::LeftButton, {}, at);
    EXPECT_EQ(drags.size(), 1) << "a click is no drag";

    QTest::mouseClick(&genie->window(), Qt::RightButton, {}, at);
    ASSERT_NE(genie->popupMenu(), nullptr);
    genie->popupMenu()->actions().last()->trigger();
    settle(genie);
    // Hide is the engine's own, not a command.
    EXPECT_EQ(std::tuple(genie->window().isVisible(), commands.size()), std::tuple(false, 1));
}

// Requests made for the engine's service: ids, how each ended, and the program's own Stop leaving them.
TEST_F(EngineTest, ServedRequestsReportTheirEndsAndOutliveTheProgramsStop) {
    ASSERT_TRUE(control->load("Genie", "genie.acs"));
    genie = control->character("genie");
    using End = agent::RequestEnd;
    QList<int> started;
    QList<std::pair<int, End>> ended;
    QStringList seen;
    genie->setEvents({
        .requestStarted = [&](int id) { started << id; },
        .requestEnded = [&](int id, End end) { ended << std::pair(id, end); },
        .shown = [&](const QString& cause) { seen << "shown " + cause; },
        .balloonShown = [&] { seen << "balloon"; },
    });
    const int show = genie->showRequest(true);
    const int speak = genie->speakRequest("Hi");
    const int own = genie->player().play("greet");  // the program's own
    const int think = genie->thinkRequest("Hmm");
    const int hold = genie->waitRequest();
    const int dropped = genie->playRequest("greet");
    genie->endRequest(dropped, End::Interrupted);
    genie->endRequest(own, End::Stopped);  // not the service's: left alone
    using Ends = QList<std::pair<int, End>>;
    EXPECT_EQ(ended, (Ends{{dropped, End::Interrupted}}));
    genie->stop();
    EXPECT_EQ(voiceLog->stops, 1) << "the program's Stop cuts its voice off";
    time.advance(0);
    // The program's Stop drops only its own requests, and a fast Show is at once.
    EXPECT_EQ(std::pair(started.value(0), genie->window().isVisible()), std::pair(show, true));

    settle(genie);
    ASSERT_EQ(voices.size(), 1u);
    voices[0]->start("Hi", 500);
    voices[0]->finish();
    for (int t = 0; t < 5000 && started.size() < 3; t += 10) {
        time.advance(10);
    }
    // A thought is read, not heard.
    EXPECT_EQ(std::tuple(started.value(2), voiceLog->spoken.size(), genie->balloon().isVisible()),
              std::tuple(think, 1, true));
    time.advance(5000);
    EXPECT_TRUE(genie->player().isBusy()) << "a Wait holds the queue";
    genie->endRequest(hold, End::Done);
    EXPECT_EQ(started, (QList<int>{show, speak, think, hold}));
    EXPECT_EQ(ended,
              (Ends{std::pair(dropped, End::Interrupted), std::pair(show, End::Done),
                    std::pair(speak, End::Done), std::pair(think, End::Done), std::pair(hold, End::Done)}));
    EXPECT_EQ(seen, (QStringList{"shown program", "balloon", "balloon"}));
}

// Every genuine file either fails its load cleanly or shows, speaks within its own balloon settings and
// hides.
TEST_F(EngineTest, EveryGenuineCharacterLoadsOrFailsCleanly) {
    const QDir data(acsTestDataDir());
    const QString statement = QStringLiteral(
        "It is a quarter past eleven on a fine Tuesday morning, and the kettle has just boiled for the "
        "second time today");
    int shown = 0;
    // The console engine reads each file as this engine does: it tells the same, or refuses it alike.
    RecordingSink sink;
    agent::console::ConsoleControl console("Agent1", sink, agent::console::characterFiles({data.path()}));
    for (const QString& name : data.entryList({"*.acs"}, QDir::Files)) {
        SCOPED_TRACE(name.toStdString());
        const QString id = QFileInfo(name).baseName();
        const agent::Status inConsole = console.load(id, name.toUpper());
        if (const agent::Status loaded = control->load(id, data.filePath(name)); !loaded) {
            EXPECT_EQ(std::tuple(control->item(id), loaded.error().isEmpty(), inConsole.error()),
                      std::tuple(nullptr, false, loaded.error()));
            continue;
        }
        DesktopCharacter* c = control->character(id);
        const agent::Character* told = console.item(id);
        ASSERT_NE(told, nullptr) << inConsole.error().toStdString();
        EXPECT_EQ(std::tuple(told->name(), told->description(), told->width(), told->height()),
                  std::tuple(c->name(), c->description(), c->width(), c->height()));
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
        time.advance(int(readingTimeMs(statement)));
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
    EXPECT_EQ(commandMenuEntries("Clock", false, commands, false), QList<MenuEntry>{hide});
    EXPECT_EQ(commandMenuEntries("Clock", true, {}, false), QList<MenuEntry>{hide});
    EXPECT_EQ(commandMenuEntries("", true, commands, false),
              (QList<MenuEntry>{{K::Command, "Alpha", "A", true}, {K::Separator, {}, {}, false}, hide}))
        << "no empty heading";
}

// ---- Spoken commands ----

class VoiceInputTest : public DesktopEngineTest {
protected:
    void SetUp() override {
        seed = 3;
        copyCharacters({"Genie.acs", "Merlin.acs"});
        if (!IsSkipped() && !HasFatalFailure()) {
            makeInput();
        }
    }

    void makeInput() {
        first.reset();
        second.reset();
        auto k = std::make_unique<HandKey>(keyLog);
        key = k.get();
        input = std::make_shared<VoiceInput>(
            VoiceInputSetup{.options = options,
                            .makeListener = [this] { return std::make_unique<HandListener>(listenerLog); },
                            .key = std::move(k),
                            .time = &time});
        for (auto [control, name] : {std::pair(&first, "first "), std::pair(&second, "second ")}) {
            *control = std::make_unique<DesktopControl>(environment());
            (*control)->setCommandHandler([this, name](const agent::UserInput& in) {
                raised << name + in.characterId + ":" + in.name;
            });
        }
    }

    // Genie in the first control and Merlin in the second, both shown, each with commands of its own.
    void loadBoth() {
        ASSERT_TRUE(first->load("Genie", "Genie.acs"));
        ASSERT_TRUE(second->load("Merlin", "Merlin.acs"));
        genie = first->character("Genie");
        merlin = second->character("Merlin");
        genie->addCommand({"Joke", "Tell a joke", "(Joke | Tell a joke)", true, true});
        genie->addCommand({"Secret", "", "open sesame", true, false});  // no menu entry, but spoken
        genie->addCommand({"Silent", "Silent", "", true, true});        // no voice text
        genie->addCommand({"Off", "Off", "switch off", false, true});   // disabled
        merlin->addCommand({"Date", "What is the date?", "What is the [date]", true, true});
        genie->moveTo(100, 300);
        merlin->moveTo(500, 300);
        genie->show();
        merlin->show();
        settle();
    }

    void settle() {
        for (int t = 0; t < 20000 && (genie->player().isBusy() || (merlin && merlin->player().isBusy()));
             t += 10) {
            time.advance(10);
            if (genie->player().isSpeaking() || (merlin && merlin->player().isSpeaking())) {
                return;
            }
        }
    }

    static void click(DesktopCharacter* c, Qt::MouseButton button = Qt::LeftButton) {
        const QPoint at = opaquePoint(c->window().picture());
        ASSERT_GE(at.x(), 0);
        QTest::mouseClick(&c->window(), button, {}, at);
    }
    HandListener& listener() {
        EXPECT_NE(listenerLog->last, nullptr);
        return *listenerLog->last;
    }
    QString tipText() { return input->tip().isVisible() ? input->tip().text() : "(hidden)"; }
    // Whom the input listens to, how often the listener was cancelled, and the tip.
    std::tuple<DesktopCharacter*, int, QString> state() {
        return {input->listening(), listenerLog->cancels, tipText()};
    }

    std::shared_ptr<HandListener::Log> listenerLog = std::make_shared<HandListener::Log>();
    std::shared_ptr<HandKey::Log> keyLog = std::make_shared<HandKey::Log>();
    HandKey* key = nullptr;
    std::unique_ptr<DesktopControl> first, second;
    DesktopCharacter *genie = nullptr, *merlin = nullptr;
    QStringList raised;
};

TEST_F(VoiceInputTest, TheOneTalkedToIsTheLastClickedOrTheLastToSpeak) {
    loadBoth();
    EXPECT_EQ(input->target(), genie) << "with nobody addressed, the first one in view";
    genie->hide();
    settle();
    EXPECT_EQ(input->target(), merlin) << "a hidden character does not listen";
    genie->show();
    settle();

    click(merlin);
    EXPECT_EQ(input->target(), merlin);
    genie->speak("Hello");
    EXPECT_EQ(input->target(), merlin) << "a statement counts when it starts, not when it is asked for";
    settle();
    EXPECT_EQ(input->target(), genie);
    voices[0]->finish();
    settle();

    click(merlin, Qt::RightButton);  // its menu
    ASSERT_NE(merlin->popupMenu(), nullptr);
    merlin->popupMenu()->close();
    EXPECT_EQ(input->target(), merlin);

    // The key listens to the one talked to, for its own commands.
    key->press();
    EXPECT_EQ(input->listening(), merlin);
    EXPECT_EQ(listenerLog->commands, (QList<Commands>{{{"Date", "What is the [date]"}}}));
    // Unloading the character that listens cancels the listening.
    listener().hear(true);
    second->unload("Merlin");
    merlin = nullptr;
    EXPECT_EQ(state(), std::tuple(nullptr, 1, "(hidden)"));
    key->release();
    // An unloaded character is forgotten.
    EXPECT_EQ(std::pair(listenerLog->stops, input->target()), std::pair(0, genie));

    // A whole control going away unloads its characters too.
    key->press();
    ASSERT_EQ(input->listening(), genie);
    first.reset();
    genie = nullptr;
    EXPECT_EQ(std::tuple(listenerLog->cancels, input->target()), std::tuple(2, nullptr));
    key->press();
    EXPECT_EQ(listenerLog->starts.size(), 2) << "nobody to listen";
}

TEST_F(VoiceInputTest, HoldingTheKeyListensAndARecognizedCommandIsRaisedAsTheMenuDoes) {
    EXPECT_TRUE(options->set(
        {.balloonFont = {}, .voice = {}, .inputDevice = "alsa_input.usb-mic", .thresholdPercent = 55}));
    loadBoth();
    click(genie);
    EXPECT_EQ(keyLog->held, "Scroll_Lock");

    key->press();
    EXPECT_EQ(std::pair(listenerLog->made, listenerLog->starts),
              std::pair(1, QList<Listener::Mode>{Listener::Mode::UntilStopped}));
    // Enabled commands with a voice text, whether or not the menu shows them.
    EXPECT_EQ(listenerLog->commands,
              (QList<Commands>{{{"Joke", "(Joke | Tell a joke)"}, {"Secret", "open sesame"}}}));
    EXPECT_EQ(std::pair(listenerLog->threshold, listenerLog->device),
              std::pair(0.55, QByteArray("alsa_input.usb-mic")));
    time.advance(0);
    EXPECT_EQ(genie->player().currentAnimation().toLower(), "alert") << "Genie's Listening state";
    EXPECT_EQ(input->tip().windowTitle(), "Genie: listening tip");
    EXPECT_EQ(tipText(), "Genie is listening...");
    const QRect tip = input->tip().geometry(), body = genie->window().geometry();
    EXPECT_TRUE(tip.top() > body.bottom() || tip.bottom() < body.top()) << "beside, not over, the character";
    EXPECT_TRUE(tip.right() >= body.left() && tip.left() <= body.right());
    time.advance(60000);
    EXPECT_EQ(tipText(), "Genie is listening...") << "held while listening";

    key->press();  // a second press while listening changes nothing
    EXPECT_EQ(listenerLog->starts.size(), 1);
    listener().hear(true);
    time.advance(0);
    time.advance(200);
    EXPECT_TRUE(genie->player().currentAnimation().startsWith("Hearing", Qt::CaseInsensitive))
        << genie->player().currentAnimation().toStdString();
    EXPECT_EQ(tipText(), "Genie hears you...");
    listener().hear(false);

    key->release();
    // Nothing is raised before the result.
    EXPECT_EQ(std::pair(listenerLog->stops, raised), std::pair(1, QStringList()));
    listener().finish({"joke", 0.9, {}, "tell a joke"});
    EXPECT_EQ(raised, QStringList{"first Genie:Joke"}) << "the command's own name, on Genie's control";
    EXPECT_EQ(state(), std::tuple(nullptr, 0, "Genie heard \"tell a joke\""));
    settle();
    EXPECT_FALSE(genie->player().isBusy()) << "the Hearing state ends with the listening";
    time.advance(ListeningTip::kLingerMs);
    EXPECT_EQ(tipText(), "(hidden)");

    // Merlin's command comes from Merlin's control.
    click(merlin);
    key->press();
    key->release();
    listener().finish({"Date", 0.7, {}, "what is the date"});
    EXPECT_EQ(raised, (QStringList{"first Genie:Joke", "second Merlin:Date"}));
    EXPECT_EQ(listenerLog->made, 1) << "one listener serves every character";
}

TEST_F(VoiceInputTest, WhatIsNotUnderstoodOrCannotBeHeardIsSaidInTheTip) {
    loadBoth();
    const std::pair<agent::listen::Recognition, QString> cases[] = {
        {{"", 0.2, {}, "open the pod bay doors"}, "Genie did not understand \"open the pod bay doors\""},
        {{}, "Genie did not hear anything"},  // the key let go before any speech
        {{"Date", 0.9, {}, "what is the date"}, "Genie did not understand \"what is the date\""},
    };
    for (const auto& [result, tip] : cases) {
        SCOPED_TRACE(tip.toStdString());
        key->press();
        key->release();
        listener().finish(result);
        EXPECT_EQ(std::pair(raised, tipText()), std::pair(QStringList(), tip));
        time.advance(ListeningTip::kLingerMs - 1);
        EXPECT_NE(tipText(), "(hidden)") << "a couple of seconds to read it";
        time.advance(1);
        EXPECT_EQ(state(), std::tuple(nullptr, 0, "(hidden)"));
    }
    key->press();
    listener().fail("the microphone was unplugged");
    EXPECT_EQ(state(), std::tuple(nullptr, 0, "Genie cannot listen: the microphone was unplugged"));
    key->release();
    EXPECT_EQ(listenerLog->stops, 3) << "a failed listening needs no stop";

    // A listener that is not available says why in the tip each time, and once on standard error.
    MessageLog warnings(QtWarningMsg);
    listenerLog->unavailable = "no microphone is connected";
    for (int attempt = 0; attempt < 2; ++attempt) {
        key->press();
        EXPECT_EQ(state(), std::tuple(nullptr, 0, "Genie cannot listen: no microphone is connected"));
        key->release();
    }
    // No Listening state.
    EXPECT_EQ(std::tuple(listenerLog->starts.size(), genie->player().isBusy()), std::tuple(4, false));
    EXPECT_EQ(warnings.lines().filter("no microphone is connected").size(), 1)
        << warnings.lines().join("\n").toStdString();
}

// The program's default: a listener that is never available, in words for the user.
TEST(UnavailableListener, FailsWithItsReason) {
    auto none = makeUnavailableListener();
    const agent::Status available = none->available();
    EXPECT_FALSE(available.ok());
    QSignalSpy failed(none.get(), &Listener::failed);
    none->start(Listener::Mode::UntilSilence);
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed[0][0].toString(), available.error());
}

TEST_F(VoiceInputTest, SpeechInputOffTakesNoKeyAndOffersNoListen) {
    const EngineOptions off{.balloonFont = {}, .voice = {}, .listenOn = false};
    EXPECT_TRUE(options->set(off));
    makeInput();
    EXPECT_TRUE(keyLog->held.isEmpty());
    loadBoth();
    key->press();  // were it still held
    EXPECT_EQ(listenerLog->made, 0);
    click(genie, Qt::RightButton);
    EXPECT_FALSE(menuTexts(genie->popupMenu()).contains("Listen"));
    genie->popupMenu()->close();

    EXPECT_TRUE(options->set({.balloonFont = {}, .voice = {}, .listeningKey = "F9"}));
    EXPECT_EQ(keyLog->held, "F9");
    key->press();
    EXPECT_EQ(input->listening(), genie);

    // Turned off while listening: the listening is cancelled and the key given back.
    EXPECT_TRUE(options->set(off));
    EXPECT_EQ(std::tuple_cat(state(), std::tuple(keyLog->held)), std::tuple(nullptr, 1, "(hidden)", ""));
}

// The menu's Listen listens until silence, comes before Hide, and does not need the key.
TEST_F(VoiceInputTest, AKeyThatCannotBeHadLeavesTheMenusListen) {
    keyLog->refusal = "this desktop has no X display";
    MessageLog warnings(QtWarningMsg);
    makeInput();
    EXPECT_EQ(input->keyGrab().error(), "this desktop has no X display");
    EXPECT_EQ(warnings.lines().filter("no X display").size(), 1);
    loadBoth();
    genie->setCommandsCaption("Horalia");
    click(genie, Qt::RightButton);
    ASSERT_NE(genie->popupMenu(), nullptr);
    EXPECT_EQ(menuTexts(genie->popupMenu()),
              (QStringList{"Horalia", "Tell a joke", "Silent", "Off", "---", "Listen", "Hide"}));
    genie->popupMenu()->actions()[5]->trigger();
    EXPECT_EQ(listenerLog->starts, QList<Listener::Mode>{Listener::Mode::UntilSilence});
    EXPECT_EQ(input->listening(), genie);
    key->press();
    key->release();
    EXPECT_EQ(listenerLog->stops, 0) << "the key does not end what the menu began";
    listener().finish({"Secret", 0.8, {}, "open sesame"});
    EXPECT_EQ(raised, QStringList{"first Genie:Secret"});
}

// Repeats come as presses or as release-and-press pairs at one time; a release waits for what came with it.
TEST(KeyRepeatFilter, AHeldKeyIsOnePressAndOneRelease) {
    using Changes = QList<KeyChange>;
    const Changes pressed{KeyChange::Pressed};
    KeyRepeatFilter f;
    f.release(10);  // without a press
    EXPECT_EQ(f.settle(), Changes{});
    EXPECT_EQ(f.press(100), pressed);
    EXPECT_EQ(f.press(600), Changes{});
    f.release(630);
    EXPECT_EQ(f.press(630), Changes{});
    EXPECT_EQ(f.settle(), Changes{});
    f.release(700);
    EXPECT_TRUE(f.isDown());
    EXPECT_EQ(f.press(750), (Changes{KeyChange::Released, KeyChange::Pressed})) << "two quick taps";
    f.release(800);
    EXPECT_EQ(f.settle(), Changes{KeyChange::Released});
    EXPECT_FALSE(f.isDown());
    EXPECT_EQ(f.press(900), pressed);
    f.reset();
    EXPECT_EQ(f.press(950), pressed);
}

}  // namespace

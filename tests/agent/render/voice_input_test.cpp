// Spoken commands on the desktop, on the genuine Genie and Merlin in two controls that share one VoiceInput
// as the program's two controls do, with a listener and a listening key driven by hand.
#include "agent/render/voice_input.h"
#include "agent/render/command_menu.h"
#include "agent/render/desktop_control.h"
#include "agent/render/key_repeat_filter.h"
#include "agent/render/unavailable_listener.h"
#include "tests/support/desktop_engine.h"
#include "tests/support/listen_fakes.h"
#include "tests/support/message_log.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using agent::listen::Listener;
using agent::listen::Recognition;
using agent::render::DesktopCharacter;
using agent::render::DesktopControl;
using agent::render::EngineOptions;
using agent::render::KeyChange;
using agent::render::ListeningTip;
using agent::render::VoiceInput;
using agent::render::VoiceInputSetup;
using testsupport::HandKey;
using testsupport::HandListener;

namespace {

class VoiceInputTest : public testsupport::DesktopEngineTest {
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
        VoiceInputSetup setup;
        setup.options = options;
        setup.makeListener = [this] { return std::make_unique<HandListener>(listenerLog); };
        auto k = std::make_unique<HandKey>(keyLog);
        key = k.get();
        setup.key = std::move(k);
        setup.time = &time;
        input = std::make_shared<VoiceInput>(std::move(setup));
        first = std::make_unique<DesktopControl>(environment());
        second = std::make_unique<DesktopControl>(environment());
        first->setCommandHandler(
            [this](const agent::UserInput& in) { raised << "first " + in.characterId + ":" + in.name; });
        second->setCommandHandler(
            [this](const agent::UserInput& in) { raised << "second " + in.characterId + ":" + in.name; });
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

    void settle(int limitMs = 20000) {
        for (int t = 0; t < limitMs && (genie->player().isBusy() || (merlin && merlin->player().isBusy()));
             t += 10) {
            time.advance(10);
            if (genie->player().isSpeaking() || (merlin && merlin->player().isSpeaking())) {
                return;
            }
        }
    }

    static void click(DesktopCharacter* c, Qt::MouseButton button = Qt::LeftButton) {
        const QPoint at = testsupport::opaquePoint(c->window().picture());
        ASSERT_GE(at.x(), 0);
        QTest::mouseClick(&c->window(), button, {}, at);
    }
    static QAction* menuAction(QMenu* menu, const QString& text) {
        for (QAction* a : menu->actions()) {
            if (a->text() == text) {
                return a;
            }
        }
        return nullptr;
    }
    HandListener& listener() {
        EXPECT_NE(listenerLog->last, nullptr);
        return *listenerLog->last;
    }
    QString tipText() { return input->tip().isVisible() ? input->tip().text() : QString(); }

    std::shared_ptr<HandListener::Log> listenerLog = std::make_shared<HandListener::Log>();
    std::shared_ptr<HandKey::Log> keyLog = std::make_shared<HandKey::Log>();
    HandKey* key = nullptr;
    std::unique_ptr<DesktopControl> first;
    std::unique_ptr<DesktopControl> second;
    DesktopCharacter* genie = nullptr;
    DesktopCharacter* merlin = nullptr;
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
    ASSERT_EQ(listenerLog->commands.size(), 1);
    EXPECT_EQ(listenerLog->commands[0], (QList<agent::listen::VoiceCommand>{{"Date", "What is the [date]"}}));
    // Unloading the character that listens cancels the listening.
    listener().hear(true);
    second->unload("Merlin");
    merlin = nullptr;
    EXPECT_EQ(listenerLog->cancels, 1);
    EXPECT_EQ(input->listening(), nullptr);
    EXPECT_FALSE(input->tip().isVisible());
    key->release();
    EXPECT_EQ(listenerLog->stops, 0);
    EXPECT_EQ(input->target(), genie) << "an unloaded character is forgotten";

    // A whole control going away unloads its characters too.
    key->press();
    ASSERT_EQ(input->listening(), genie);
    first.reset();
    genie = nullptr;
    EXPECT_EQ(listenerLog->cancels, 2);
    EXPECT_EQ(input->target(), nullptr);
    key->press();
    EXPECT_EQ(listenerLog->starts.size(), 2) << "nobody to listen";
}

TEST_F(VoiceInputTest, HoldingTheKeyListensAndARecognizedCommandIsRaisedAsTheMenuDoes) {
    EngineOptions o;
    o.thresholdPercent = 55;
    o.inputDevice = "alsa_input.usb-mic";
    EXPECT_TRUE(options->set(o));
    loadBoth();
    click(genie);
    EXPECT_EQ(keyLog->held, "Scroll_Lock");

    key->press();
    EXPECT_EQ(listenerLog->made, 1);
    EXPECT_EQ(listenerLog->starts, QList<Listener::Mode>{Listener::Mode::UntilStopped});
    ASSERT_EQ(listenerLog->commands.size(), 1);
    // Enabled commands with a voice text, whether or not the menu shows them.
    EXPECT_EQ(listenerLog->commands[0], (QList<agent::listen::VoiceCommand>{{"Joke", "(Joke | Tell a joke)"},
                                                                            {"Secret", "open sesame"}}));
    EXPECT_DOUBLE_EQ(listenerLog->threshold, 0.55);
    EXPECT_EQ(listenerLog->device, "alsa_input.usb-mic");
    time.advance(0);
    EXPECT_EQ(genie->player().currentAnimation().toLower(), "alert") << "Genie's Listening state";
    EXPECT_EQ(input->tip().windowTitle(), "Genie: listening tip");
    EXPECT_EQ(tipText(), "Genie is listening...");
    const QRect tip = input->tip().geometry();
    const QRect body = genie->window().geometry();
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
    EXPECT_EQ(listenerLog->stops, 1);
    EXPECT_TRUE(raised.isEmpty()) << "nothing is raised before the result";
    listener().finish({"joke", 0.9, {}, "tell a joke"});
    EXPECT_EQ(raised, QStringList{"first Genie:Joke"}) << "the command's own name, on Genie's control";
    EXPECT_EQ(input->listening(), nullptr);
    EXPECT_EQ(tipText(), "Genie heard \"tell a joke\"");
    settle();
    EXPECT_FALSE(genie->player().isBusy()) << "the Hearing state ends with the listening";
    time.advance(ListeningTip::kLingerMs);
    EXPECT_FALSE(input->tip().isVisible());

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
    struct Case {
        const char* what;
        Recognition result;
        QString tip;
    };
    const QList<Case> cases = {
        {"speech that is no command",
         {"", 0.2, {}, "open the pod bay doors"},
         "Genie did not understand \"open the pod bay doors\""},
        {"the key let go before any speech", {}, "Genie did not hear anything"},
        {"another character's command",
         {"Date", 0.9, {}, "what is the date"},
         "Genie did not understand \"what is the date\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        key->press();
        key->release();
        listener().finish(c.result);
        EXPECT_TRUE(raised.isEmpty());
        EXPECT_EQ(tipText(), c.tip);
        time.advance(ListeningTip::kLingerMs - 1);
        EXPECT_TRUE(input->tip().isVisible()) << "a couple of seconds to read it";
        time.advance(1);
        EXPECT_FALSE(input->tip().isVisible());
        EXPECT_EQ(input->listening(), nullptr);
    }
    key->press();
    listener().fail("the microphone was unplugged");
    EXPECT_EQ(tipText(), "Genie cannot listen: the microphone was unplugged");
    EXPECT_EQ(input->listening(), nullptr);
    key->release();
    EXPECT_EQ(listenerLog->stops, int(cases.size())) << "a failed listening needs no stop";

    // A listener that is not available says why in the tip each time, and once on standard error.
    testsupport::MessageLog warnings(QtWarningMsg);
    listenerLog->unavailable = "no microphone is connected";
    for (int attempt = 0; attempt < 2; ++attempt) {
        key->press();
        EXPECT_EQ(tipText(), "Genie cannot listen: no microphone is connected");
        EXPECT_EQ(input->listening(), nullptr);
        key->release();
    }
    EXPECT_EQ(listenerLog->starts.size(), cases.size() + 1);
    EXPECT_FALSE(genie->player().isBusy()) << "no Listening state";
    EXPECT_EQ(warnings.lines().filter("no microphone is connected").size(), 1)
        << warnings.lines().join("\n").toStdString();
}

// The program's default: a listener that is never available, in words for the user.
TEST(UnavailableListener, FailsWithItsReason) {
    auto none = agent::render::makeUnavailableListener();
    const agent::Status available = none->available();
    EXPECT_FALSE(available.ok());
    QSignalSpy failed(none.get(), &Listener::failed);
    none->start(Listener::Mode::UntilSilence);
    ASSERT_EQ(failed.count(), 1);
    EXPECT_EQ(failed[0][0].toString(), available.error());
}

TEST_F(VoiceInputTest, SpeechInputOffTakesNoKeyAndOffersNoListen) {
    EngineOptions off;
    off.listenOn = false;
    EXPECT_TRUE(options->set(off));
    makeInput();
    EXPECT_TRUE(keyLog->held.isEmpty());
    loadBoth();
    key->press();  // were it still held
    EXPECT_EQ(listenerLog->made, 0);
    click(genie, Qt::RightButton);
    EXPECT_EQ(menuAction(genie->popupMenu(), "Listen"), nullptr);
    genie->popupMenu()->close();

    EngineOptions on = off;
    on.listenOn = true;
    on.listeningKey = "F9";
    EXPECT_TRUE(options->set(on));
    EXPECT_EQ(keyLog->held, "F9");
    key->press();
    EXPECT_EQ(input->listening(), genie);

    // Turned off while listening: the listening is cancelled and the key given back.
    EXPECT_TRUE(options->set(off));
    EXPECT_EQ(listenerLog->cancels, 1);
    EXPECT_EQ(input->listening(), nullptr);
    EXPECT_TRUE(keyLog->held.isEmpty());
    EXPECT_FALSE(input->tip().isVisible());
}

// The menu's Listen listens until silence, comes before Hide, and does not need the key.
TEST_F(VoiceInputTest, AKeyThatCannotBeHadLeavesTheMenusListen) {
    keyLog->refusal = "this desktop has no X display";
    testsupport::MessageLog warnings(QtWarningMsg);
    makeInput();
    EXPECT_EQ(input->keyGrab().error(), "this desktop has no X display");
    EXPECT_EQ(warnings.lines().filter("no X display").size(), 1);
    loadBoth();
    genie->setCommandsCaption("Horalia");
    click(genie, Qt::RightButton);
    ASSERT_NE(genie->popupMenu(), nullptr);
    EXPECT_EQ(testsupport::menuTexts(genie->popupMenu()),
              (QStringList{"Horalia", "Tell a joke", "Silent", "Off", "---", "Listen", "Hide"}));
    menuAction(genie->popupMenu(), "Listen")->trigger();
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
    const Changes released{KeyChange::Released};
    agent::render::KeyRepeatFilter f;
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
    EXPECT_EQ(f.settle(), released);
    EXPECT_FALSE(f.isDown());
    EXPECT_EQ(f.press(900), pressed);
    f.reset();
    EXPECT_EQ(f.press(950), pressed);
}

}  // namespace

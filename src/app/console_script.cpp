#include "src/app/console_script.h"

#include "agent/console/console_control.h"
#include "src/app/duration.h"

namespace horalia::app {

ConsoleScript::ConsoleScript(clock_window::ClockController& clock, ConsoleDialogs& dialogs,
                             platform::Pause& pause, Tray tray)
    : clock_(clock), dialogs_(dialogs), pause_(pause), tray_(std::move(tray)) {}

bool ConsoleScript::run(const QString& line) {
    error_.clear();
    const QString simple = line.simplified();
    const QStringList words = simple.split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty() || words[0].startsWith(u'#')) {
        return true;
    }
    const QString& verb = words[0];
    const qsizetype count = words.size();
    bool done = false;
    if ((verb == u"Agent1" || verb == u"Agent2") && count >= 2) {
        done = runAgent(words, simple.section(u' ', 1));
    } else if (verb == u"menu" && count == 2) {
        done = clock_window::MenuCommands::itemNames().contains(words[1]);
        if (done) {
            clock_.menus().choose(words[1]);
        } else {
            error_ = QStringLiteral("no menu item ") + words[1];
        }
    } else if (verb == u"tray" && count == 2) {
        done = runTray(words[1]);
    } else if (verb == u"about" && count == 2) {
        done = tray_.clickAboutLink && tray_.clickAboutLink(words[1]);
        if (!done) {
            error_ = QStringLiteral("the about box is not open or has no link ") + words[1];
        }
    } else if (verb == u"settings" && count >= 3) {
        done = runSettings(words, line);
    } else if (verb == u"agreement" && count == 3 && words[1] == u"click") {
        done = tray_.clickAgreement && tray_.clickAgreement(words[2]);
        if (!done) {
            error_ = QStringLiteral("the agreement is not shown or has no button ") + words[2];
        }
    } else if (verb == u"clock" && count == 2 && words[1] == u"doubleclick") {
        clock_.labelDoubleClicked();
        done = true;
    } else if (verb == u"answer" && count == 2) {
        done = runAnswer(words[1]);
    } else if (verb == u"choose") {
        dialogs_.files.append(simple.section(u' ', 1));
        done = true;
    } else if (verb == u"wait" && count == 2) {
        done = runWait(words[1]);
    }
    if (!done && error_.isEmpty()) {
        error_ = QStringLiteral("cannot read \"%1\"").arg(line.trimmed());
    }
    return done;
}

bool ConsoleScript::runAgent(const QStringList& words, const QString& rest) {
    const bool first = words[0] == u"Agent1";
    auto* control =
        dynamic_cast<agent::console::ConsoleControl*>(first ? clock_.cast().agent1 : clock_.cast().agent2);
    const QString id = first ? clock_.cast().name1 : clock_.cast().name2;
    if (control == nullptr || control->item(id) == nullptr) {
        error_ = words[0] + QStringLiteral(" has no character loaded");
        return false;
    }
    if (words[1] == u"Command" && words.size() == 3) {
        control->chooseCommand(id, words[2]);
        return true;
    }
    if (words[1] == u"Hear" && words.size() >= 3) {
        QString phrase = rest.section(u' ', 1).trimmed();
        if (phrase.size() >= 2 && phrase.startsWith(u'"') && phrase.endsWith(u'"')) {
            phrase = phrase.mid(1, phrase.size() - 2);
        }
        const auto result = hearing_.hear(phrase, control->commands(id));
        if (!result) {
            error_ = words[0] + QStringLiteral(" cannot listen: ") + result.error();
            return false;
        }
        control->heard(id, phrase, result->command, result->confidence, result->words);
        return true;
    }
    if (words[1] == u"DragComplete" && words.size() == 2) {
        control->dragCharacter(id, 0, 0);
        return true;
    }
    return false;
}

bool ConsoleScript::runTray(const QString& what) {
    if (what == u"left" || what == u"right") {
        if (tray_.click) {
            tray_.click(what == u"left" ? 1 : 2);
        }
        return true;
    }
    if (tray_.choose && tray_.choose(what)) {
        return true;
    }
    error_ = QStringLiteral("no tray menu item with the key ") + what;
    return false;
}

bool ConsoleScript::runSettings(const QStringList& words, const QString& line) {
    ConsoleSettings* dialog = tray_.settings ? tray_.settings() : nullptr;
    if (dialog == nullptr) {
        error_ = QStringLiteral("the settings dialog is not open");
        return false;
    }
    if (words[1] == u"click" && words.size() == 3) {
        return dialog->click(words[2]);
    }
    // the text typed keeps its own spaces
    return words[1] == u"type" && dialog->type(words[2], line.trimmed().section(u' ', 3));
}

bool ConsoleScript::runAnswer(const QString& answer) {
    const QString a = answer.toLower();
    if (a != u"yes" && a != u"no" && a != u"ok") {
        return false;
    }
    dialogs_.answers.append(a == u"yes"  ? platform::Answer::Yes
                            : a == u"no" ? platform::Answer::No
                                         : platform::Answer::Ok);
    return true;
}

bool ConsoleScript::runWait(const QString& span) {
    const std::optional<qint64> ms = parseDuration(span);
    if (!ms) {
        return false;
    }
    // the platform pauses at most 255 seconds at a time
    for (qint64 seconds = *ms / 1000; seconds > 0; seconds -= 255) {
        pause_.pause(static_cast<int>(std::min<qint64>(seconds, 255)));
    }
    return true;
}

}  // namespace horalia::app

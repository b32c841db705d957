#include "src/console/console_script.h"

#include "agent/console/console_control.h"
#include "src/console/duration.h"

namespace horalia::console {

ConsoleScript::ConsoleScript(clock_window::ClockController& clock, ConsoleDialogs& dialogs,
                             platform::Pause& pause, Tray tray)
    : clock_(clock), dialogs_(dialogs), pause_(pause), tray_(std::move(tray)) {}

namespace {

// A line that is simply not understood.
agent::Failure unread() {
    return agent::fail(QString());
}

}  // namespace

agent::Status ConsoleScript::run(const QString& line) {
    const QString simple = line.simplified();
    const QStringList words = simple.split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty() || words[0].startsWith(u'#')) {
        return {};
    }
    agent::Status done = runLine(words, simple, line);
    if (!done && done.error().isEmpty()) {
        return agent::fail(QStringLiteral("cannot read \"%1\"").arg(line.trimmed()));
    }
    return done;
}

agent::Status ConsoleScript::runLine(const QStringList& words, const QString& simple, const QString& line) {
    const QString& verb = words[0];
    const qsizetype count = words.size();
    if ((verb == u"Agent1" || verb == u"Agent2") && count >= 2) {
        return runAgent(words, simple.section(u' ', 1));
    }
    if (verb == u"menu" && count == 2) {
        if (!clock_window::MenuCommands::itemNames().contains(words[1])) {
            return agent::fail(QStringLiteral("no menu item ") + words[1]);
        }
        clock_.menus().choose(words[1]);
        return {};
    }
    if (verb == u"tray" && count == 2) {
        return runTray(words[1]);
    }
    if (verb == u"about" && count == 2) {
        if (!tray_.clickAboutLink || !tray_.clickAboutLink(words[1])) {
            return agent::fail(QStringLiteral("the about box is not open or has no link ") + words[1]);
        }
        return {};
    }
    if (verb == u"settings" && count >= 3) {
        return runSettings(words, line);
    }
    if (verb == u"agreement" && count == 3 && words[1] == u"click") {
        if (!tray_.clickAgreement || !tray_.clickAgreement(words[2])) {
            return agent::fail(QStringLiteral("the agreement is not shown or has no button ") + words[2]);
        }
        return {};
    }
    if (verb == u"clock" && count == 2 && words[1] == u"doubleclick") {
        clock_.labelDoubleClicked();
        return {};
    }
    if (verb == u"answer" && count == 2) {
        return runAnswer(words[1]);
    }
    if (verb == u"choose") {
        dialogs_.files.append(simple.section(u' ', 1));
        return {};
    }
    if (verb == u"wait" && count == 2) {
        return runWait(words[1]);
    }
    return unread();
}

agent::Status ConsoleScript::runAgent(const QStringList& words, const QString& rest) {
    const characters::Cast::Member& member =
        clock_.cast()[words[0] == u"Agent1" ? core::Who::First : core::Who::Second];
    auto* control = dynamic_cast<agent::console::ConsoleControl*>(member.control);
    const QString& id = member.name;
    if (control == nullptr || control->item(id) == nullptr) {
        return agent::fail(words[0] + QStringLiteral(" has no character loaded"));
    }
    if (words[1] == u"Command" && words.size() == 3) {
        control->chooseCommand(id, words[2]);
        return {};
    }
    if (words[1] == u"Hear" && words.size() >= 3) {
        QString phrase = rest.section(u' ', 1).trimmed();
        if (phrase.size() >= 2 && phrase.startsWith(u'"') && phrase.endsWith(u'"')) {
            phrase = phrase.mid(1, phrase.size() - 2);
        }
        if (const agent::Status heard = control->hear(id, phrase); !heard) {
            return agent::fail(words[0] + QStringLiteral(" cannot listen: ") + heard.error());
        }
        return {};
    }
    if (words[1] == u"DragComplete" && words.size() == 2) {
        control->dragCharacter(id, 0, 0);
        return {};
    }
    return unread();
}

agent::Status ConsoleScript::runTray(const QString& what) {
    if (what == u"left" || what == u"right") {
        if (tray_.click) {
            tray_.click(what == u"left" ? 1 : 2);
        }
        return {};
    }
    if (tray_.choose && tray_.choose(what)) {
        return {};
    }
    return agent::fail(QStringLiteral("no tray menu item with the key ") + what);
}

agent::Status ConsoleScript::runSettings(const QStringList& words, const QString& line) {
    ConsoleSettings* dialog = tray_.settings ? tray_.settings() : nullptr;
    if (dialog == nullptr) {
        return agent::fail(QStringLiteral("the settings dialog is not open"));
    }
    const bool done = words[1] == u"click"
                          ? words.size() == 3 && dialog->click(words[2])
                          // the text typed keeps its own spaces
                          : words[1] == u"type" && dialog->type(words[2], line.trimmed().section(u' ', 3));
    return done ? agent::Status() : unread();
}

agent::Status ConsoleScript::runAnswer(const QString& answer) {
    const QString a = answer.toLower();
    if (a != u"yes" && a != u"no" && a != u"ok") {
        return unread();
    }
    dialogs_.answers.append(a == u"yes"  ? platform::Answer::Yes
                            : a == u"no" ? platform::Answer::No
                                         : platform::Answer::Ok);
    return {};
}

agent::Status ConsoleScript::runWait(const QString& span) {
    const std::optional<qint64> ms = parseDuration(span);
    if (!ms) {
        return unread();
    }
    // the platform pauses at most 255 seconds at a time
    for (qint64 seconds = *ms / 1000; seconds > 0; seconds -= 255) {
        pause_.pause(static_cast<int>(std::min<qint64>(seconds, 255)));
    }
    return {};
}

}  // namespace horalia::console

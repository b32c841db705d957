#include "src/app/console_script.h"

#include "agent/console/console_control.h"
#include "src/app/duration.h"

namespace horalia::app {

ConsoleScript::ConsoleScript(clock_window::ClockController& clock, ConsoleDialogs& dialogs,
                             platform::Pause& pause, Tray tray)
    : clock_(clock), dialogs_(dialogs), pause_(pause), tray_(std::move(tray)) {}

bool ConsoleScript::run(const QString& line) {
    error_.clear();
    const QStringList words = line.simplified().split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty() || words[0].startsWith(u'#')) {
        return true;
    }
    const QString& verb = words[0];
    const QString rest = line.simplified().section(u' ', 1);

    if ((verb == u"Agent1" || verb == u"Agent2") && words.size() >= 2) {
        const bool first = verb == u"Agent1";
        auto* control = dynamic_cast<agent::console::ConsoleControl*>(first ? clock_.cast().agent1
                                                                            : clock_.cast().agent2);
        const QString id = first ? clock_.cast().name1 : clock_.cast().name2;
        if (control == nullptr || control->item(id) == nullptr) {
            error_ = verb + QStringLiteral(" has no character loaded");
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
            QString why;
            const auto result = hearing_.hear(phrase, control->commands(id), &why);
            if (!result) {
                error_ = verb + QStringLiteral(" cannot listen: ") + why;
                return false;
            }
            control->heard(id, phrase, result->command, result->confidence, result->words);
            return true;
        }
        if (words[1] == u"DragComplete" && words.size() == 2) {
            control->dragCharacter(id, 0, 0);
            return true;
        }
    } else if (verb == u"menu" && words.size() == 2) {
        if (!clock_window::MenuCommands::itemNames().contains(words[1])) {
            error_ = QStringLiteral("no menu item ") + words[1];
            return false;
        }
        clock_.menus().choose(words[1]);
        return true;
    } else if (verb == u"tray" && words.size() == 2) {
        if (words[1] == u"left" || words[1] == u"right") {
            if (tray_.click) {
                tray_.click(words[1] == u"left" ? 1 : 2);
            }
            return true;
        }
        if (tray_.choose && tray_.choose(words[1])) {
            return true;
        }
        error_ = QStringLiteral("no tray menu item with the key ") + words[1];
        return false;
    } else if (verb == u"about" && words.size() == 2) {
        if (tray_.clickAboutLink && tray_.clickAboutLink(words[1])) {
            return true;
        }
        error_ = QStringLiteral("the about box is not open or has no link ") + words[1];
        return false;
    } else if (verb == u"settings" && words.size() >= 3) {
        ConsoleSettings* dialog = tray_.settings ? tray_.settings() : nullptr;
        if (dialog == nullptr) {
            error_ = QStringLiteral("the settings dialog is not open");
            return false;
        }
        if (words[1] == u"click" && words.size() == 3 && dialog->click(words[2])) {
            return true;
        }
        if (words[1] == u"type" && dialog->type(words[2], line.trimmed().section(u' ', 3))) {
            return true;
        }
    } else if (verb == u"agreement" && words.size() == 3 && words[1] == u"click") {
        if (tray_.clickAgreement && tray_.clickAgreement(words[2])) {
            return true;
        }
        error_ = QStringLiteral("the agreement is not shown or has no button ") + words[2];
        return false;
    } else if (verb == u"clock" && words.size() == 2 && words[1] == u"doubleclick") {
        clock_.labelDoubleClicked();
        return true;
    } else if (verb == u"answer" && words.size() == 2) {
        const QString a = words[1].toLower();
        if (a == u"yes" || a == u"no" || a == u"ok") {
            dialogs_.answers.append(a == u"yes"  ? platform::Answer::Yes
                                    : a == u"no" ? platform::Answer::No
                                                 : platform::Answer::Ok);
            return true;
        }
    } else if (verb == u"choose") {
        dialogs_.files.append(rest);
        return true;
    } else if (verb == u"wait" && words.size() == 2) {
        if (std::optional<qint64> span = parseDuration(words[1])) {
            for (qint64 seconds = *span / 1000; seconds > 0; seconds -= 255) {
                pause_.pause(static_cast<int>(std::min<qint64>(seconds, 255)));
            }
            return true;
        }
    }
    error_ = QStringLiteral("cannot read \"%1\"").arg(line.trimmed());
    return false;
}

}  // namespace horalia::app

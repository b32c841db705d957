// The user's side of the console mode, one line of text per action, so a whole session can be scripted:
//
//   Agent1 Command Date              a command chosen from character 1's menu (Agent2 likewise)
//   Agent2 DragComplete              character 2 dragged and let go
//   Agent1 Hear "what is the date"   the phrase said to character 1 in our own voice and recognized
//   menu mnu_movehome                an item of the clock's menu
//   tray hide                        an item of the tray menu by its key; "tray left" and "tray right"
//                                    click the icon
//   clock doubleclick                a double-click on the time
//   about link_siteweb               a click on a link of the about box (once it has been opened)
//   settings type txt_hour1 07       text typed into a control of the settings dialog (once it is open)
//   settings click com_set1          a click on a button, check box or the mode label of the settings dialog
//   agreement click Command3         a button of the first run's agreement: Command3 "I AGREE",
//                                    Command1 "I DON`T AGREE"
//   answer yes                       the answer to the next message box (yes, no, ok)
//   choose /path/max.acs             the file the next open-file dialog returns ("choose" alone cancels)
//   wait 90s                         let time pass (s, m, h, d)
//   # comment
#pragma once

#include <QString>
#include <functional>

#include "src/clock_window/clock_controller.h"
#include "src/console/console_dialogs.h"
#include "src/console/console_settings.h"
#include "src/platform/pause.h"

namespace horalia::console {

class ConsoleScript {
public:
    struct Tray {
        std::function<void(int button)> click;           // 1 left, 2 right
        std::function<bool(const QString& key)> choose;  // false when no item has the key
        // A click on a link of the about box; false when the box is not open or has no such link.
        std::function<bool(const QString& link)> clickAboutLink;
        // The settings dialog while it is open, or nullptr.
        std::function<ConsoleSettings*()> settings;
        // A click on a button of the agreement; false when it is not shown or has no such button.
        std::function<bool(const QString& button)> clickAgreement;
    };

    ConsoleScript(clock_window::ClockController& clock, ConsoleDialogs& dialogs, platform::Pause& pause,
                  Tray tray);

    // Carries out one line; a failure says why the line cannot be carried out or makes no sense.
    agent::Status run(const QString& line);

private:
    // Each kind of line. A failure without a text is a line that is simply not understood.
    agent::Status runLine(const QStringList& words, const QString& simple, const QString& line);
    agent::Status runAgent(const QStringList& words, const QString& rest);
    agent::Status runTray(const QString& what);
    agent::Status runSettings(const QStringList& words, const QString& line);
    agent::Status runAnswer(const QString& answer);
    agent::Status runWait(const QString& span);

    clock_window::ClockController& clock_;
    ConsoleDialogs& dialogs_;
    platform::Pause& pause_;
    Tray tray_;
};

}  // namespace horalia::console

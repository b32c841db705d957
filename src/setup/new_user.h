// New_User, the object every start passes through: a returning user gets the clock, a new one the first
// run (characters put in place, components probed, the agreement, the defaults, the restart).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "src/core/settings_keys.h"
#include "src/platform/autostart_entry.h"
#include "src/platform/files.h"
#include "src/platform/platform.h"
#include "src/setup/setup_locations.h"

namespace horalia::setup {

class New_User {
public:
    // The windows New_User hands over to; each may be empty.
    struct Links {
        std::function<bool()> anotherInstance;  // another copy of the program runs
        std::function<void()> showClock;        // frm_clock's load and show
        std::function<void()> checkboxes;       // frm_clock's checkboxes: both characters loaded and set up
        std::function<void()> showAgreement;    // the agreement window, which answers with agree/disagree
        std::function<void()> showInstaller;    // frm_wait
    };
    enum class Outcome { Ended, ReturningUser, Agreement, Installer };

    New_User(platform::Platform& platform, platform::Files& files, platform::AutostartEntry& autostart,
             SetupLocations where, Links links, QStringList restartArguments = {});

    // Every start: decides between the clock, the agreement and the installer screen.
    Outcome load();
    // "I AGREE" (Command3): the defaults, the start-with-login question, the restart.
    void Command3_Click();
    // "I DON`T AGREE" (Command1): the end, with nothing stored.
    void Command1_Click();

    // Set up before: both character names longer than one character.
    static bool isSetUp(const platform::SettingsStore& settings);
    // Whether every engine probe and one voice probe can be read.
    bool engineInstalled() const;
    bool voicesInstalled() const;

private:
    void write(const QString& key, const QString& value, const QString& section = core::keys::kData);
    void askStartWithLogin();

    platform::Platform& platform_;
    platform::Files& files_;
    platform::AutostartEntry& autostart_;
    SetupLocations where_;
    Links links_;
    QStringList restartArguments_;
};

// The default alarm messages of a first run.
QString firstRunAlarmMessage(int alarm);

}  // namespace horalia::setup

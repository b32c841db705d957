#include "src/setup/new_user.h"

#include "src/core/alarms.h"
#include "src/core/who.h"
#include "src/platform/failure_report.h"

namespace horalia::setup {

namespace keys = core::keys;

namespace {

const QString kStartupQuestion = QStringLiteral(
    "DO YOU WANT HORALIA DELUXE TO START WITH WINDOWS?. If you choose YES, it`s very easy to turn this "
    "feature off in the Main Options menu");
const QString kStartupTitle = QStringLiteral("Windows Startup");

}  // namespace

QString firstRunAlarmMessage(int alarm) {
    return QStringLiteral("This is alarm %1, time to wake up!").arg(alarm);
}

New_User::New_User(platform::Platform& platform, platform::Files& files, platform::AutostartEntry& autostart,
                   SetupLocations where, Links links, QStringList restartArguments)
    : platform_(platform),
      files_(files),
      autostart_(autostart),
      where_(std::move(where)),
      links_(std::move(links)),
      restartArguments_(std::move(restartArguments)) {}

bool New_User::isSetUp(const platform::SettingsStore& settings) {
    return settings.read(keys::kData, keys::kLastCharacter).size() > 1 &&
           settings.read(keys::kData, keys::kLastCharacter2).size() > 1;
}

bool New_User::engineInstalled() const {
    for (const QString& probe : where_.engineProbes) {
        if (!files_.canRead(probe)) {
            return false;
        }
    }
    return true;
}

bool New_User::voicesInstalled() const {
    for (const QString& probe : where_.voiceProbes) {
        if (files_.canRead(probe)) {
            return true;
        }
    }
    return false;
}

New_User::Outcome New_User::load() {
    // A second copy ends before it touches anything the first one owns.
    if (links_.anotherInstance && links_.anotherInstance()) {
        platform_.program.endProgram();
        return Outcome::Ended;
    }
    if (isSetUp(platform_.settings)) {
        if (links_.showClock) {
            links_.showClock();
        }
        platform_.pause.pause(2);
        // The clock may have been ended while the pause let its handlers run.
        if (links_.checkboxes && !platform_.program.ending()) {
            links_.checkboxes();
        }
        return Outcome::ReturningUser;
    }

    // First run. A failed copy is not reported here: it shows when the characters are loaded, and the engine
    // probe below then sends the user to the installer screen, whose agent package puts them in place.
    platform::reported(files_.makeFolder(where_.characterFolder));
    platform::reported(files_.copyOver(where_.programFolder + QStringLiteral("/plany.acs"),
                                       where_.characterFolder + QStringLiteral("/plany.acs")));
    platform::reported(files_.copyOver(where_.programFolder + QStringLiteral("/max.acs"),
                                       where_.characterFolder + QStringLiteral("/max.acs")));
    const bool engine = engineInstalled();
    const bool voices = voicesInstalled();
    if (!engine || !voices) {
        if (links_.showInstaller) {
            links_.showInstaller();
        }
        return Outcome::Installer;
    }
    if (links_.showAgreement) {
        links_.showAgreement();
    }
    return Outcome::Agreement;
}

void New_User::write(const QString& key, const QString& value, const QString& section) {
    // A write that fails is skipped: the next start then finds the reader's default.
    platform::reported(platform_.settings.write(section, key, value));
}

void New_User::askStartWithLogin() {
    if (platform_.dialogs.messageBox(kStartupQuestion, kStartupTitle, platform::style::kYesNo) ==
        platform::Answer::Yes) {
        autostart_.place();
        write(keys::kLoadWithWindows, keys::kTrue);
    }
}

void New_User::Command3_Click() {
    write(keys::kLastCharacter, core::characterKeys(core::Who::First).defaultName);
    write(keys::kLastCharacter2, core::characterKeys(core::Who::Second).defaultName);
    for (const core::Alarm& alarm : core::alarms()) {
        write(alarm.messageKey, firstRunAlarmMessage(alarm.number));
    }
    write(keys::kAnnounce, QStringLiteral("10"));
    write(keys::kBackColour, QStringLiteral("16777215"));
    write(keys::kForeColour, QStringLiteral("0"));
    write(keys::kFormX, QStringLiteral("2000"));
    write(keys::kFormY, QStringLiteral("2000"));
    write(keys::kLoadWithWindows, keys::kFalse);
    write(keys::kFormat, QStringLiteral("1"), keys::kFormatSection);
    askStartWithLogin();
    write(keys::kQuietTime, keys::kNoQuietHours);
    for (const core::Alarm& alarm : core::alarms()) {
        write(alarm.repeatKey, keys::kFalse);
    }
    write(keys::kStartupMessage,
          QStringLiteral("Right click on the clock, or on the task bar icon, for more options"));
    write(keys::kUserName, QStringLiteral("Nobody!"));
    write(core::characterKeys(core::Who::First).effects, keys::kFalse);
    write(core::characterKeys(core::Who::Second).effects, keys::kTrue);
    write(keys::kMinimise, keys::kFalse);
    write(keys::kMode, QStringLiteral("simple"));
    // The companion starts the clock again once this copy has ended; the next start finds the settings.
    platform::reported(platform_.shell.start(where_.programFolder + QStringLiteral("/reboot"),
                                             restartArguments_, platform::WindowStyle::NormalFocus));
    platform_.program.endProgram();
}

void New_User::Command1_Click() {
    platform_.program.endProgram();
}

}  // namespace horalia::setup

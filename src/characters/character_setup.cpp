#include "src/characters/character_setup.h"

#include "src/characters/home_position.h"
#include "src/core/settings_keys.h"
#include "src/platform/failure_report.h"

namespace horalia::characters {

namespace keys = core::keys;
using core::Who;

CharacterSetup::CharacterSetup(platform::Platform& platform, Cast& cast, Speaker& speaker,
                               const core::ClockView& clock)
    : platform_(platform), cast_(cast), speaker_(speaker), clock_(clock) {}

void CharacterSetup::checkboxes() {
    for (Who who : core::kBothCharacters) {
        const core::CharacterKeys k = core::characterKeys(who);
        Cast::Member& member = cast_[who];
        member.name = platform_.settings.read(keys::kData, k.lastCharacter, k.defaultName);
        if (member.control != nullptr) {
            // A character that does not load is left out, and the clock goes on.
            platform::reported(member.control->load(member.name, member.name + QStringLiteral(".acs")));
        }
    }
    characterset();
}

QString CharacterSetup::greeting(int hour) {
    if (hour < 12) {
        return QStringLiteral("good morning, ");
    }
    if (hour < 17) {
        return QStringLiteral("good afternoon, ");
    }
    return QStringLiteral("good evening, ");
}

void CharacterSetup::addCommands(Who who) {
    agent::Character* c = cast_[who].character;
    if (c == nullptr) {
        return;
    }
    const QString& own = cast_[who].name;
    const QString& partner = cast_[core::other(who)].name;
    const QString properties = QStringLiteral("Properties");
    const QString alter = QStringLiteral("Alter Character Properties");
    const QString propertiesVoice = QStringLiteral("[Character] Properties");
    const QString introduceVoice = QStringLiteral("(Introduction | Introduce)");
    const QString dateVoice = QStringLiteral("What is the [date]?");
    const QString shut = QStringLiteral("Tell ") + partner + QStringLiteral(" to be quiet");
    c->addCommand({properties, alter, propertiesVoice});
    if (who == Who::First) {
        c->addCommand({QStringLiteral("Introduce"), QStringLiteral("Introduce ") + own, introduceVoice});
        c->addCommand(
            {QStringLiteral("default"), QStringLiteral("Move me home"), QStringLiteral("[Move Me]Home ")});
        c->addCommand({QStringLiteral("Date"), QStringLiteral("What is the date"), dateVoice});
        c->addCommand({QStringLiteral("Shut"), shut, QStringLiteral("tell [Shut Up]")});
        c->addCommand({QStringLiteral("Future"), QStringLiteral("What does the future hold"),
                       QStringLiteral("[Future]")});
    } else {
        c->addCommand({QStringLiteral("Introduce"), QStringLiteral("Info about ") + own, introduceVoice});
        c->addCommand(
            {QStringLiteral("default"), QStringLiteral("Move me home"), QStringLiteral("[Move Me]Home ")});
        c->addCommand({QStringLiteral("Date"), QStringLiteral("What date is it"), dateVoice});
        c->addCommand({QStringLiteral("Shut"), shut, QStringLiteral("[Tell] to be quiet")});
    }
    c->addCommand({QStringLiteral("exit"), QStringLiteral("Exit Horalia"), QStringLiteral("[Exit] horalia")});
}

void CharacterSetup::moveHome(Who who) {
    agent::Character* c = cast_[who].character;
    if (c == nullptr) {
        return;
    }
    // The other character is reckoned with, loaded but not set up yet as it may be (its member may still
    // hold the one it replaces), so that the two do not end up on the same spot.
    std::array<QSize, 2> frames;
    for (Who each : core::kBothCharacters) {
        const Cast::Member& m = cast_[each];
        const agent::Character* e = m.control != nullptr ? m.control->item(m.name) : m.character;
        if (e != nullptr) {
            frames[core::slot(each)] = QSize(e->width(), e->height());
        }
    }
    if (std::optional<QPoint> home =
            homesBeside(clock_.geometryTwips(), platform_.screen, frames)[core::slot(who)]) {
        c->moveTo(home->x(), home->y());
    }
}

void CharacterSetup::bringOut(Who who) {
    Cast::Member& member = cast_[who];
    member.character = member.control != nullptr ? member.control->item(member.name) : nullptr;
    addCommands(who);
    if (agent::Character* c = member.character) {
        const QString& effects = core::characterKeys(who).effects;
        c->setSoundEffectsOn(platform_.settings.read(keys::kData, effects, keys::kTrue) != keys::kTrue);
        // A character just loaded is hidden, and a hidden one is simply there: it comes into view at its home
        // beside the clock, on the clock's monitor, and greets from there rather than from wherever the
        // engine would first put it (over the clock, or on another monitor).
        moveHome(who);
        c->show();
        c->setCommandsCaption(QStringLiteral("Horalia DELUXE Character %1").arg(core::slot(who) + 1));
        c->setCommandsVisible(true);
    }
}

void CharacterSetup::settle(Who who) {
    moveHome(who);
    agent::Character* c = cast_[who].character;
    if (c != nullptr && platform_.settings.read(keys::kData, core::characterKeys(who).hide) == keys::kTrue) {
        c->hide();
    }
}

void CharacterSetup::characterset() {
    auto& settings = platform_.settings;
    for (Who who : core::kBothCharacters) {
        const core::CharacterKeys k = core::characterKeys(who);
        cast_[who].name = settings.read(keys::kData, k.lastCharacter, k.defaultName);
    }

    bringOut(Who::First);
    speaker_.say(
        greeting(platform_.clock.now().time().hour()) + settings.read(keys::kData, keys::kUserName, "Nobody"),
        core::Who::First);
    settle(Who::First);

    platform_.pause.pause(8);

    bringOut(Who::Second);
    speaker_.say(
        settings.read(keys::kData, keys::kStartupMessage, QStringLiteral("Welcome to Horalia Deluxe")),
        core::Who::Second);
    settle(Who::Second);
}

}  // namespace horalia::characters

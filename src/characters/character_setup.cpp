#include "src/characters/character_setup.h"

#include "src/characters/home_position.h"
#include "src/core/settings_keys.h"

namespace horalia::characters {

namespace keys = core::keys;

CharacterSetup::CharacterSetup(platform::Platform& platform, Cast& cast, Speaker& speaker,
                               const core::ClockView& clock)
    : platform_(platform), cast_(cast), speaker_(speaker), clock_(clock) {}

void CharacterSetup::checkboxes() {
    const QString first = platform_.settings.read(keys::kData, keys::kLastCharacter, "max");
    cast_.name2 = platform_.settings.read(keys::kData, keys::kLastCharacter2, "plany");
    // A character that does not load is left out, and the clock goes on.
    if (cast_.agent1 != nullptr) {
        (void)cast_.agent1->load(first, first + QStringLiteral(".acs"));
    }
    if (cast_.agent2 != nullptr) {
        (void)cast_.agent2->load(cast_.name2, cast_.name2 + QStringLiteral(".acs"));
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

void CharacterSetup::addCommands(bool character1) {
    agent::Character* c = character1 ? cast_.character1 : cast_.character2;
    if (c == nullptr) {
        return;
    }
    const QString properties = QStringLiteral("Properties");
    const QString alter = QStringLiteral("Alter Character Properties");
    const QString propertiesVoice = QStringLiteral("[Character] Properties");
    const QString introduceVoice = QStringLiteral("(Introduction | Introduce)");
    const QString dateVoice = QStringLiteral("What is the [date]?");
    if (character1) {
        c->addCommand({properties, alter, propertiesVoice});
        c->addCommand(
            {QStringLiteral("Introduce"), QStringLiteral("Introduce ") + cast_.name1, introduceVoice});
        c->addCommand(
            {QStringLiteral("default"), QStringLiteral("Move me home"), QStringLiteral("[Move Me]Home ")});
        c->addCommand({QStringLiteral("Date"), QStringLiteral("What is the date"), dateVoice});
        c->addCommand({QStringLiteral("Shut"),
                       QStringLiteral("Tell ") + cast_.name2 + QStringLiteral(" to be quiet"),
                       QStringLiteral("tell [Shut Up]")});
        c->addCommand({QStringLiteral("Future"), QStringLiteral("What does the future hold"),
                       QStringLiteral("[Future]")});
    } else {
        c->addCommand({properties, alter, propertiesVoice});
        c->addCommand(
            {QStringLiteral("Introduce"), QStringLiteral("Info about ") + cast_.name2, introduceVoice});
        c->addCommand(
            {QStringLiteral("default"), QStringLiteral("Move me home"), QStringLiteral("[Move Me]Home ")});
        c->addCommand({QStringLiteral("Date"), QStringLiteral("What date is it"), dateVoice});
        c->addCommand({QStringLiteral("Shut"),
                       QStringLiteral("Tell ") + cast_.name1 + QStringLiteral(" to be quiet"),
                       QStringLiteral("[Tell] to be quiet")});
    }
    c->addCommand({QStringLiteral("exit"), QStringLiteral("Exit Horalia"), QStringLiteral("[Exit] horalia")});
}

void CharacterSetup::moveHome(bool character1) {
    agent::Character* c = character1 ? cast_.character1 : cast_.character2;
    if (c == nullptr) {
        return;
    }
    if (std::optional<QPoint> home =
            homePosition(character1, clock_.geometryTwips(), platform_.screen, c->width(), c->height())) {
        c->moveTo(home->x(), home->y());
    }
}

void CharacterSetup::characterset() {
    auto& settings = platform_.settings;
    cast_.name1 = settings.read(keys::kData, keys::kLastCharacter, "max");
    cast_.name2 = settings.read(keys::kData, keys::kLastCharacter2, "plany");

    cast_.character1 = cast_.agent1 != nullptr ? cast_.agent1->item(cast_.name1) : nullptr;
    addCommands(true);
    if (agent::Character* c = cast_.character1) {
        c->setSoundEffectsOn(settings.read(keys::kData, keys::kEffects1, keys::kTrue) != keys::kTrue);
        c->show();
        c->setCommandsCaption(QStringLiteral("Horalia DELUXE Character 1"));
        c->setCommandsVisible(true);
    }
    speaker_.say(
        greeting(platform_.clock.now().time().hour()) + settings.read(keys::kData, keys::kUserName, "Nobody"),
        QStringLiteral("genie"));
    moveHome(true);
    if (cast_.character1 != nullptr && settings.read(keys::kData, keys::kCharHide) == keys::kTrue) {
        cast_.character1->hide();
    }

    platform_.pause.pause(8);

    cast_.character2 = cast_.agent2 != nullptr ? cast_.agent2->item(cast_.name2) : nullptr;
    addCommands(false);
    if (agent::Character* c = cast_.character2) {
        c->setSoundEffectsOn(settings.read(keys::kData, keys::kEffects2, keys::kTrue) != keys::kTrue);
        c->show();
        c->setCommandsCaption(QStringLiteral("Horalia DELUXE Character 2"));
        c->setCommandsVisible(true);
    }
    speaker_.say(
        settings.read(keys::kData, keys::kStartupMessage, QStringLiteral("Welcome to Horalia Deluxe")),
        QStringLiteral("peedy"));
    moveHome(false);
    if (cast_.character2 != nullptr && settings.read(keys::kData, keys::kCharHide2) == keys::kTrue) {
        cast_.character2->hide();
    }
}

}  // namespace horalia::characters

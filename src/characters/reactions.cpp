#include "src/characters/reactions.h"

#include <QLocale>

namespace horalia::characters {

namespace {

QString introduction(const agent::Character* c) {
    return c == nullptr
               ? QString()
               : QStringLiteral("Hello, my name is ") + c->name() + QStringLiteral(". ") + c->description();
}

}  // namespace

Reactions::Reactions(platform::Clock& clock, const Cast& cast, Speaker& speaker, Actions actions)
    : clock_(clock), cast_(cast), speaker_(speaker), actions_(std::move(actions)) {}

QString Reactions::dateSentence(const QDate& date) {
    return QStringLiteral("The date is ") + QLocale().toString(date, QStringLiteral("dddd MMMM dd, yyyy")) +
           u'.';
}

void Reactions::command(bool character1, const QString& name) {
    agent::Character* self = character1 ? cast_.character1 : cast_.character2;
    const QString who = character1 ? QStringLiteral("genie") : QStringLiteral("peedy");
    auto stopSelf = [self] {
        if (self != nullptr) {
            self->stop();
        }
    };
    if (character1 && name == u"Future") {
        stopSelf();
        speaker_.say(QStringLiteral(
                         "The future is Bright!. There will soon be an International Horalia, which you can "
                         "use on your laptop. But dont tell anybody!"),
                     who);
    } else if (name == u"default") {
        stopSelf();
        if (actions_.genieMove) {
            actions_.genieMove();
        }
    } else if (name == u"Properties") {
        stopSelf();
        agent::Control* control = character1 ? cast_.agent1 : cast_.agent2;
        if (control != nullptr) {
            control->showPropertySheet();
        }
    } else if (name == u"Introduce") {
        stopSelf();
        if (self != nullptr) {
            speaker_.say(introduction(self), who);
        }
    } else if (name == u"Date") {
        stopSelf();
        speaker_.say(character1 ? dateSentence(clock_.now().date())
                                : QStringLiteral("I dont know, why dont you ask ") + cast_.name1,
                     who);
    } else if (name == u"Shut") {
        stopSelf();
        speaker_.say(
            character1
                ? QStringLiteral("Hey ") + cast_.name2 +
                      QStringLiteral(", please be quiet.. \\chr=\"Whisper\"\\Cant you whisper or something")
                : QStringLiteral("Hey ") + cast_.name1 +
                      QStringLiteral(", I think you are cool, but please be quiet!"),
            who);
    } else if (name == u"exit") {
        stopSelf();
        if (actions_.unloadClock) {
            actions_.unloadClock();
        }
    }
}

void Reactions::dragComplete(bool character1) {
    quint8& counter = character1 ? drag1_ : drag2_;
    const int line = counter;
    counter = counter >= 3 ? 1 : counter + 1;
    if (character1) {
        switch (line) {
            case 1:
                speaker_.say(QStringLiteral("Hey, what are you doing with ") + cast_.name1,
                             QStringLiteral("Peedy"));
                break;
            case 2:
                speaker_.say(cast_.name1 + QStringLiteral(" liked that, do it again!"),
                             QStringLiteral("peedy"));
                break;
            default:
                speaker_.say(QStringLiteral("I liked that, please do it again"), QStringLiteral("genie"));
                break;
        }
        return;
    }
    switch (line) {
        case 1:
            speaker_.say(
                QStringLiteral("Hey you, leave ") + cast_.name2 + QStringLiteral(" alone, you big bully"),
                QStringLiteral("genie"));
            break;
        case 2:
            speaker_.say(QStringLiteral("What are you doing with ") + cast_.name2 +
                             QStringLiteral(", he seems to be enjoying it!"),
                         QStringLiteral("genie"));
            break;
        default:
            speaker_.say(QStringLiteral("Hey, I kinda liked that, do it again and again and again!"),
                         QStringLiteral("peedy"));
            break;
    }
}

}  // namespace horalia::characters

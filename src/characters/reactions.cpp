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

void Reactions::command(core::Who who, const QString& name) {
    const bool first = who == core::Who::First;
    agent::Character* self = cast_[who].character;
    auto stopSelf = [self] {
        if (self != nullptr) {
            self->stop();
        }
    };
    if (first && name == u"Future") {
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
        if (agent::Control* control = cast_[who].control) {
            control->showPropertySheet();
        }
    } else if (name == u"Introduce") {
        stopSelf();
        if (self != nullptr) {
            speaker_.say(introduction(self), who);
        }
    } else if (name == u"Date") {
        stopSelf();
        speaker_.say(first ? dateSentence(clock_.now().date())
                           : QStringLiteral("I dont know, why dont you ask ") + cast_[core::Who::First].name,
                     who);
    } else if (name == u"Shut") {
        stopSelf();
        speaker_.say(
            first ? QStringLiteral("Hey ") + cast_[core::Who::Second].name +
                        QStringLiteral(", please be quiet.. \\chr=\"Whisper\"\\Cant you whisper or something")
                  : QStringLiteral("Hey ") + cast_[core::Who::First].name +
                        QStringLiteral(", I think you are cool, but please be quiet!"),
            who);
    } else if (name == u"exit") {
        stopSelf();
        if (actions_.unloadClock) {
            actions_.unloadClock();
        }
    }
}

void Reactions::dragComplete(core::Who who) {
    quint8& counter = drags_[core::slot(who)];
    const int line = counter;
    counter = counter >= 3 ? 1 : counter + 1;
    if (who == core::Who::First) {
        const QString& name = cast_[who].name;
        switch (line) {
            case 1:
                speaker_.say(QStringLiteral("Hey, what are you doing with ") + name, core::Who::Second);
                break;
            case 2:
                speaker_.say(name + QStringLiteral(" liked that, do it again!"), core::Who::Second);
                break;
            default:
                speaker_.say(QStringLiteral("I liked that, please do it again"), core::Who::First);
                break;
        }
        return;
    }
    const QString& name = cast_[who].name;
    switch (line) {
        case 1:
            speaker_.say(QStringLiteral("Hey you, leave ") + name + QStringLiteral(" alone, you big bully"),
                         core::Who::First);
            break;
        case 2:
            speaker_.say(QStringLiteral("What are you doing with ") + name +
                             QStringLiteral(", he seems to be enjoying it!"),
                         core::Who::First);
            break;
        default:
            speaker_.say(QStringLiteral("Hey, I kinda liked that, do it again and again and again!"),
                         core::Who::Second);
            break;
    }
}

}  // namespace horalia::characters

// How the characters answer their commands and comment when they are dragged, talking to each other.
#pragma once

#include <array>
#include <functional>

#include "agent/control.h"
#include "src/characters/cast.h"
#include "src/characters/speaker.h"
#include "src/platform/clock.h"

namespace horalia::characters {

class Reactions {
public:
    struct Actions {
        std::function<void()> genieMove;    // both characters walk home
        std::function<void()> unloadClock;  // ends the program
    };

    Reactions(platform::Clock& clock, const Cast& cast, Speaker& speaker, Actions actions);

    // The Command event of Agent1 (Who::First) or Agent2.
    void command(core::Who who, const QString& name);
    // The DragComplete event of Agent1 or Agent2.
    void dragComplete(core::Who who);

    int dragCounter(core::Who who) const { return drags_[core::slot(who)]; }
    void resetCounters() { drags_ = {1, 1}; }

    // "The date is Friday December 04, 2026." in the user's language.
    static QString dateSentence(const QDate& date);

private:
    platform::Clock& clock_;
    const Cast& cast_;
    Speaker& speaker_;
    Actions actions_;
    std::array<quint8, 2> drags_ = {1, 1};
};

}  // namespace horalia::characters

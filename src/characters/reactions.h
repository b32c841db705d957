// How the characters answer their commands and comment when they are dragged, talking to each other.
#pragma once

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

    // The Command event of Agent1 (character1 true) or Agent2.
    void command(bool character1, const QString& name);
    // The DragComplete event of Agent1 or Agent2.
    void dragComplete(bool character1);

    int dragCounter(bool character1) const { return character1 ? drag1_ : drag2_; }
    void resetCounters() { drag1_ = drag2_ = 1; }

    // "The date is Friday December 04, 2026." in the user's language.
    static QString dateSentence(const QDate& date);

private:
    platform::Clock& clock_;
    const Cast& cast_;
    Speaker& speaker_;
    Actions actions_;
    quint8 drag1_ = 1;
    quint8 drag2_ = 1;
};

}  // namespace horalia::characters

// A character as the engine's service offers it to other programs: each request has an id, the character
// reports how each ended, and it tells what the user does with it. Requests made this way belong to the
// service's clients: the program's own Character::stop() leaves them, and endRequest() ends one of them.
#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>
#include <functional>

namespace agent {

enum class RequestEnd { Done, Stopped, Interrupted, Failed };

// Where a chosen command came from.
enum class CommandSource { Menu, Voice };

struct ChosenCommand {
    QString name;
    CommandSource source = CommandSource::Menu;
    double confidence = 1.0;  // of what was heard; 1 for the menu
    QString heard;            // the words heard, empty for the menu
};

class ServedCharacter {
public:
    // Each is called on the user-interface thread; any may be left empty.
    struct Events {
        std::function<void(int id)> requestStarted{};
        std::function<void(int id, RequestEnd end)> requestEnded{};
        // A command of the service's (Command::heading set) was chosen.
        std::function<void(const ChosenCommand&)> command{};
        std::function<void(int button, QPoint at)> clicked{};  // screen pixels
        std::function<void(int button, QPoint at)> doubleClicked{};
        std::function<void(QPoint topLeft)> dragStarted{};
        std::function<void(QPoint topLeft)> dragEnded{};
        std::function<void(QPoint topLeft)> moved{};
        std::function<void(const QString& cause)> shown{};   // "program" or "user"
        std::function<void(const QString& cause)> hidden{};  // "program" or "user"
        std::function<void()> balloonShown{};
        std::function<void()> balloonHidden{};
        std::function<void(int mark)> bookmark{};  // speech has reached a \mrk=N\ tag
        // The character has begun to idle with nothing to do, and stopped idling for a request.
        std::function<void()> idleStarted{};
        std::function<void()> idleEnded{};
    };

    virtual ~ServedCharacter();

    // One watcher: the engine's service.
    virtual void setEvents(Events events) = 0;

    // Each returns the request's id; the character carries out all its requests, the program's and the
    // service's, one after the other in the order they were made.
    virtual int showRequest(bool fast) = 0;
    virtual int hideRequest(bool fast) = 0;
    virtual int speakRequest(const QString& text) = 0;
    // A statement in a thought balloon, silent.
    virtual int thinkRequest(const QString& text) = 0;
    virtual int playRequest(const QString& animation) = 0;
    // Travels so as to arrive in about ms milliseconds (0: at the character's own pace).
    virtual int moveRequest(QPoint topLeft, int ms) = 0;
    // Points towards a place on the screen.
    virtual int gestureRequest(QPoint at) = 0;
    // Holds this character's queue until endRequest() ends it.
    virtual int waitRequest() = 0;
    // Ends a request, waiting or under way; an unknown or ended one is left alone.
    virtual void endRequest(int id, RequestEnd why) = 0;

    virtual QPoint position() const = 0;
    virtual bool isShown() const = 0;
    virtual QStringList animationNames() const = 0;
    virtual bool idleOn() const = 0;
    virtual void setIdleOn(bool on) = 0;
    virtual bool soundEffectsOn() const = 0;
    virtual void removeCommand(const QString& name) = 0;
    // Listens once for one of its commands, as the menu's Listen does.
    virtual void listenOnce() = 0;
};

}  // namespace agent

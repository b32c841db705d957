// One character loaded into a control: the requests the program makes of it.
//
// Requests return at once; the engine carries out one character's Show, Hide, Speak, Play and MoveTo one
// after the other in the order they were issued. A request that cannot be carried out simply has no effect.
#pragma once

#include <QString>

namespace agent {

// An entry of the character's pop-up command menu.
struct Command {
    QString name;     // handed back in UserInput::name when chosen
    QString caption;  // what the menu shows
    QString voice;    // what the user may say to choose it
    bool enabled = true;
    bool visible = true;
    // Another program's command, added through the engine's service: listed under this heading (the
    // program's own caption) after the character's own commands, and handed to that program alone.
    QString heading{};
};

class Character {
public:
    virtual ~Character();

    virtual void show() = 0;
    virtual void hide() = 0;
    // The text may carry inline speech tags such as \chr="Whisper"\.
    virtual void speak(const QString& text) = 0;
    virtual void play(const QString& animation) = 0;
    // Drops every request of this character that has not been carried out yet.
    virtual void stop() = 0;
    // Moves the frame's top-left corner to (x, y) in screen pixels.
    virtual void moveTo(int x, int y) = 0;

    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual QString name() const = 0;
    virtual QString description() const = 0;

    virtual void setSoundEffectsOn(bool on) = 0;
    // While withdrawn the character keeps off the screen, its window and its balloon, but goes on with what
    // it is asked: its statements are heard. Back again, it shows as it is then. Takes effect at once.
    virtual void setWithdrawn(bool withdrawn) = 0;

    virtual void addCommand(const Command& command) = 0;
    virtual void setCommandsCaption(const QString& caption) = 0;
    virtual void setCommandsVisible(bool visible) = 0;
};

}  // namespace agent

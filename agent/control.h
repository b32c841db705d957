// The engine control: loads characters by id and raises the user's interactions with them as events.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "agent/character.h"
#include "agent/result.h"
#include "agent/served_character.h"

namespace agent {

// The user chose a command of a character, from its pop-up menu or by voice.
struct UserInput {
    QString name;         // the Command::name chosen
    QString characterId;  // the id the character was loaded under
};

// The user finished dragging a character with the mouse.
struct DragEvent {
    QString characterId;
    int button = 0;
    int shift = 0;
    int x = 0;  // where the frame ended up, screen pixels
    int y = 0;
};

class Control {
public:
    using CommandHandler = std::function<void(const UserInput&)>;
    using DragCompleteHandler = std::function<void(const DragEvent&)>;

    virtual ~Control();

    // Loads a character file under id. A file name without a folder is looked up in the character folder.
    // Fails, saying why, when the character could not be loaded; loading an id that is in use fails too.
    virtual Status load(const QString& id, const QString& fileName) = 0;
    virtual void unload(const QString& id) = 0;
    // The character loaded under id (ids are compared without regard to case), or nullptr.
    virtual Character* item(const QString& id) = 0;
    // Opens the engine's character-options window.
    virtual void showPropertySheet() = 0;

    // What the engine's service needs to share the control with other programs. An engine that serves none
    // keeps these as they are.
    // The character under id as the service offers it, or nullptr.
    virtual ServedCharacter* served(const QString& id) {
        (void)id;
        return nullptr;
    }
    // The ids in use, and the full path each character was loaded from.
    virtual QStringList ids() const { return {}; }
    virtual QString loadedFrom(const QString& id) const {
        (void)id;
        return {};
    }
    // The file load() would open for fileName.
    virtual QString locate(const QString& fileName) { return fileName; }
    // Where bare file names are looked for, the user's own folder first.
    virtual QStringList characterFolders() { return {}; }

    // Events are raised on the user-interface thread.
    void setCommandHandler(CommandHandler handler) { commandHandler_ = std::move(handler); }
    void setDragCompleteHandler(DragCompleteHandler handler) { dragCompleteHandler_ = std::move(handler); }

protected:
    void raiseCommand(const UserInput& input) const;
    void raiseDragComplete(const DragEvent& event) const;

private:
    CommandHandler commandHandler_;
    DragCompleteHandler dragCompleteHandler_;
};

}  // namespace agent

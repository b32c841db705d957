// An engine that draws nothing and speaks nothing: it prints each request to a sink. The clock runs on it
// where there is no display, and a user can read what the characters would do.
//
// A character is loaded from its file as the desktop engine loads it, so its name, description and size are
// the file's, and a file that the desktop engine refuses is refused here with the same error.
#pragma once

#include <QMap>
#include <functional>
#include <memory>

#include "agent/console/console_hearing.h"
#include "agent/console/console_sink.h"
#include "agent/control.h"

namespace agent::console {

// What the engine tells of a loaded character.
struct CharacterFacts {
    QString name;
    QString description;
    int width = 0;
    int height = 0;
};
// Opens a character by the file name a program gives to Load.
using CharacterReader = std::function<Result<CharacterFacts>(const QString& fileName)>;

// Reads character files as the desktop engine does: a bare name is found in the first of `characterFolders`
// that has it, and the name and description are those for the user's language.
CharacterReader characterFiles(const QStringList& characterFolders);

class ConsoleControl : public Control {
public:
    // name is how the lines call this control ("Agent1").
    ConsoleControl(QString name, Sink& sink, CharacterReader reader);
    ~ConsoleControl() override;

    Status load(const QString& id, const QString& fileName) override;
    void unload(const QString& id) override;
    Character* item(const QString& id) override;
    void showPropertySheet() override;

    const QString& name() const { return name_; }

    // A user's choice or drag, as a desktop engine would report it: lets the console mode be driven too.
    void chooseCommand(const QString& characterId, const QString& commandName);
    void dragCharacter(const QString& characterId, int x, int y);

    // The commands the program gave a character, in the order given; none for an id not loaded.
    QList<Command> commands(const QString& characterId) const;
    // The phrase said to the character in our own voice and recognized among its commands, as a microphone
    // would hear it: printed as "Heard PHRASE COMMAND PERCENT WORDS" (COMMAND empty when nothing was
    // understood), and a command understood is chosen as from the menu. Fails when no character has the id,
    // or the voice or the recognizer cannot be had.
    Status hear(const QString& characterId, const QString& phrase);

private:
    class ConsoleCharacter;
    std::unique_ptr<ConsoleHearing> hearing_;  // made on first use
    QString name_;
    Sink& sink_;
    CharacterReader reader_;
    QMap<QString, std::shared_ptr<ConsoleCharacter>> characters_;  // by lower-case id
};

}  // namespace agent::console

// An engine that draws nothing and speaks nothing: it prints each request to a sink. The clock runs on it
// where there is no display, and a user can read what the characters would do.
//
// Characters load without reading their files, so a console clock works before any character is installed;
// they report a frame of kFrameWidth x kFrameHeight pixels and their id as their name.
#pragma once

#include <QMap>
#include <memory>

#include "agent/console/console_sink.h"
#include "agent/control.h"

namespace agent::console {

class ConsoleControl : public Control {
public:
    static constexpr int kFrameWidth = 128;
    static constexpr int kFrameHeight = 128;

    // name is how the lines call this control ("Agent1").
    ConsoleControl(QString name, Sink& sink);
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
    // What a recognizer made of a phrase spoken to a character: printed as "Heard PHRASE COMMAND PERCENT
    // WORDS" (COMMAND empty when nothing was understood), and a command understood is chosen as from the
    // menu.
    void heard(const QString& characterId, const QString& phrase, const QString& command, double confidence,
               const QString& words);

private:
    class ConsoleCharacter;
    QString name_;
    Sink& sink_;
    QMap<QString, std::shared_ptr<ConsoleCharacter>> characters_;  // by lower-case id
};

}  // namespace agent::console

#include "agent/console/console_control.h"

#include <QLocale>

#include "agent/format/character_folder.h"
#include "agent/format/user_language.h"

namespace agent::console {

CharacterReader characterFiles(const QStringList& characterFolders) {
    return [characterFolders](const QString& fileName) -> Result<CharacterFacts> {
        const Result<std::unique_ptr<format::AcsFile>> file =
            format::openCharacter(characterFolders, fileName);
        if (!file) {
            return file.failure();
        }
        const format::AcsFile& acs = **file;
        CharacterFacts facts{{}, {}, acs.info().width, acs.info().height};
        if (const format::LocalizedInfo* info = format::localizedFor(acs, QLocale())) {
            facts.name = info->name;
            facts.description = info->description;
        }
        return facts;
    };
}

class ConsoleControl::ConsoleCharacter : public Character {
public:
    ConsoleCharacter(const QString& control, CharacterFacts facts, Sink& sink)
        : control_(control), facts_(std::move(facts)), sink_(sink) {}

    void show() override { print(QStringLiteral("Show")); }
    void hide() override { print(QStringLiteral("Hide")); }
    void speak(const QString& text) override { print(QStringLiteral("Speak"), {text}); }
    void play(const QString& animation) override { print(QStringLiteral("Play"), {animation}); }
    void stop() override { print(QStringLiteral("Stop")); }
    void moveTo(int x, int y) override { print(QStringLiteral("MoveTo"), {qint64(x), qint64(y)}); }

    int width() const override { return facts_.width; }
    int height() const override { return facts_.height; }
    QString name() const override { return facts_.name; }
    QString description() const override { return facts_.description; }

    void setSoundEffectsOn(bool on) override { print(QStringLiteral("SoundEffectsOn"), {on}); }
    void setWithdrawn(bool withdrawn) override { print(QStringLiteral("Withdrawn"), {withdrawn}); }
    void addCommand(const Command& c) override {
        commands_.append(c);
        print(QStringLiteral("Commands.Add"), {c.name, c.caption, c.voice, c.enabled, c.visible});
    }
    void setCommandsCaption(const QString& caption) override {
        print(QStringLiteral("Commands.Caption"), {caption});
    }
    void setCommandsVisible(bool visible) override { print(QStringLiteral("Commands.Visible"), {visible}); }

    const QList<Command>& commands() const { return commands_; }

private:
    void print(const QString& operation, const QList<Arg>& args = {}) {
        sink_.line(control_, operation, args);
    }

    QString control_;
    CharacterFacts facts_;
    Sink& sink_;
    QList<Command> commands_;
};

ConsoleControl::ConsoleControl(QString name, Sink& sink, CharacterReader reader)
    : name_(std::move(name)), sink_(sink), reader_(std::move(reader)) {}

ConsoleControl::~ConsoleControl() = default;

Status ConsoleControl::load(const QString& id, const QString& fileName) {
    sink_.line(name_, QStringLiteral("Load"), {id, fileName});
    const QString key = id.toLower();
    if (id.isEmpty() || characters_.contains(key)) {
        return fail(QStringLiteral("the id \"%1\" is in use").arg(id));
    }
    Result<CharacterFacts> facts = reader_(fileName);
    if (!facts) {
        return facts.failure();
    }
    characters_.insert(key, std::make_shared<ConsoleCharacter>(name_, std::move(*facts), sink_));
    return {};
}

void ConsoleControl::unload(const QString& id) {
    sink_.line(name_, QStringLiteral("Unload"), {id});
    characters_.remove(id.toLower());
}

Character* ConsoleControl::item(const QString& id) {
    auto it = characters_.constFind(id.toLower());
    return it == characters_.constEnd() ? nullptr : it->get();
}

void ConsoleControl::showPropertySheet() {
    sink_.line(name_, QStringLiteral("PropertySheet"), {true});
}

void ConsoleControl::chooseCommand(const QString& characterId, const QString& commandName) {
    if (item(characterId) != nullptr) {
        raiseCommand(UserInput{commandName, characterId});
    }
}

void ConsoleControl::dragCharacter(const QString& characterId, int x, int y) {
    if (item(characterId) != nullptr) {
        raiseDragComplete(DragEvent{characterId, 1, 0, x, y});
    }
}

QList<Command> ConsoleControl::commands(const QString& characterId) const {
    auto it = characters_.constFind(characterId.toLower());
    return it == characters_.constEnd() ? QList<Command>() : (*it)->commands();
}

Status ConsoleControl::hear(const QString& characterId, const QString& phrase) {
    if (item(characterId) == nullptr) {
        return fail(QStringLiteral("no character \"%1\" is loaded").arg(characterId));
    }
    if (!hearing_) {
        hearing_ = std::make_unique<ConsoleHearing>();
    }
    const Result<listen::Recognition> heard = hearing_->hear(phrase, commands(characterId));
    if (!heard) {
        return heard.failure();
    }
    sink_.line(name_, QStringLiteral("Heard"),
               {phrase, heard->command, qint64(qRound(heard->confidence * 100)), heard->words});
    if (!heard->command.isEmpty()) {
        raiseCommand(UserInput{heard->command, characterId});
    }
    return {};
}

}  // namespace agent::console

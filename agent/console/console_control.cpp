#include "agent/console/console_control.h"

namespace agent::console {

class ConsoleControl::ConsoleCharacter : public Character {
public:
    ConsoleCharacter(const QString& control, const QString& id, Sink& sink)
        : control_(control), id_(id), sink_(sink) {}

    void show() override { print(QStringLiteral("Show")); }
    void hide() override { print(QStringLiteral("Hide")); }
    void speak(const QString& text) override { print(QStringLiteral("Speak"), {text}); }
    void play(const QString& animation) override { print(QStringLiteral("Play"), {animation}); }
    void stop() override { print(QStringLiteral("Stop")); }
    void moveTo(int x, int y) override { print(QStringLiteral("MoveTo"), {qint64(x), qint64(y)}); }

    int width() const override { return kFrameWidth; }
    int height() const override { return kFrameHeight; }
    QString name() const override { return id_; }
    QString description() const override { return {}; }

    void setSoundEffectsOn(bool on) override { print(QStringLiteral("SoundEffectsOn"), {on}); }
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
    QString id_;
    Sink& sink_;
    QList<Command> commands_;
};

ConsoleControl::ConsoleControl(QString name, Sink& sink) : name_(std::move(name)), sink_(sink) {}

ConsoleControl::~ConsoleControl() = default;

Status ConsoleControl::load(const QString& id, const QString& fileName) {
    sink_.line(name_, QStringLiteral("Load"), {id, fileName});
    const QString key = id.toLower();
    if (id.isEmpty() || characters_.contains(key)) {
        return fail(QStringLiteral("the id \"%1\" is in use").arg(id));
    }
    characters_.insert(key, std::make_shared<ConsoleCharacter>(name_, id, sink_));
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

void ConsoleControl::heard(const QString& characterId, const QString& phrase, const QString& command,
                           double confidence, const QString& words) {
    if (item(characterId) == nullptr) {
        return;
    }
    sink_.line(name_, QStringLiteral("Heard"), {phrase, command, qint64(qRound(confidence * 100)), words});
    if (!command.isEmpty()) {
        raiseCommand(UserInput{command, characterId});
    }
}

}  // namespace agent::console

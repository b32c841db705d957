// A character on the desktop: its file, its request queue and animation clock, its window, its word balloon,
// its voice and its pop-up menu, kept in step. Requests return at once; advance() moves the character's time
// on and brings the window up to date with what the player says should be seen.
#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QSet>
#include <functional>
#include <memory>

#include "agent/character.h"
#include "agent/format/acs_file.h"
#include "agent/format/frame_composer.h"
#include "agent/render/animation_player.h"
#include "agent/render/character_voice.h"
#include "agent/render/character_window.h"
#include "agent/render/engine_options.h"
#include "agent/render/word_balloon.h"
#include "agent/served_character.h"

#include <QMenu>

namespace agent::render {

class SoundEffects;

class DesktopCharacter final : public QObject, public Character, public ServedCharacter {
    Q_OBJECT
public:
    struct Hooks {
        // Something is about to change the character: the time that has passed since it last moved on must
        // count first, or it would be charged to what comes next (a gesture after a long statement skipped).
        std::function<void()> catchUp;
        std::function<void()> wake;  // a request was made: time must run
        std::function<void(const QString& commandName)> command;
        std::function<void(QPoint topLeft, Qt::MouseButton, Qt::KeyboardModifiers)> dragComplete;
    };

    // effects may be null (no frame sounds).
    DesktopCharacter(std::unique_ptr<format::AcsFile> file, std::unique_ptr<CharacterVoice> voice,
                     SoundEffects* effects, RandomSource random = {});
    ~DesktopCharacter() override;

    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }
    void applyOptions(const EngineOptions& options);
    // The desktop asks for less motion (the user's own option asks as well).
    void setDesktopReducedMotion(bool on);

    void show() override;
    void hide() override;
    void speak(const QString& text) override;
    void play(const QString& animation) override;
    void stop() override;
    void moveTo(int x, int y) override;
    int width() const override;
    int height() const override;
    QString name() const override;
    QString description() const override;
    void setSoundEffectsOn(bool on) override { soundEffectsOn_ = on; }
    void setWithdrawn(bool withdrawn) override;
    bool isWithdrawn() const { return withdrawn_; }
    void addCommand(const Command& command) override;
    void setCommandsCaption(const QString& caption) override { commandsCaption_ = caption; }
    void setCommandsVisible(bool visible) override { commandsVisible_ = visible; }
    const QList<Command>& commands() const { return commands_; }
    // Raises the command as choosing it from the menu does.
    void chooseCommand(const QString& name);
    void chooseCommand(const ChosenCommand& chosen);

    // What the engine's service asks of the character.
    void setEvents(Events events) override { events_ = std::move(events); }
    int showRequest(bool fast) override;
    int hideRequest(bool fast) override;
    int speakRequest(const QString& text) override;
    int thinkRequest(const QString& text) override;
    int playRequest(const QString& animation) override;
    int moveRequest(QPoint topLeft, int ms) override;
    int gestureRequest(QPoint at) override;
    int waitRequest() override;
    void endRequest(int id, RequestEnd why) override;
    QPoint position() const override { return player_.position(); }
    bool isShown() const override { return player_.isVisible() && !withdrawn_; }
    QStringList animationNames() const override;
    bool idleOn() const override { return idleOn_; }
    void setIdleOn(bool on) override;
    bool soundEffectsOn() const override { return soundEffectsOn_; }
    void removeCommand(const QString& name) override;
    void listenOnce() override { emit listenRequested(); }

    // Plays a state's animation in turn with the other requests; finishRequest() ends it early.
    int playState(const QString& state);
    void finishRequest(int id);
    // Whether the menu offers "Listen" (speech input must be on in the options too).
    void setListenOffered(bool offered) { listenOffered_ = offered; }

    void advance(int ms);
    // How long the character can be left alone; -1 when it needs no time at all (hidden, nothing asked).
    qint64 msUntilNextEvent() const { return player_.msUntilNextEvent(); }

    const format::AcsFile& file() const { return *file_; }
    AnimationPlayer& player() { return player_; }
    CharacterWindow& window() { return window_; }
    WordBalloon& balloon() { return balloon_; }
    // The pop-up menu while it is open.
    QMenu* popupMenu() const { return menu_; }
    void openMenu(QPoint globalPos);

    // The text a statement is handed to the voice with: the character's speed and pitch in front of it.
    QString voicedText(const QString& text) const;

signals:
    // The user clicked the character or opened its menu, or it began to speak: the one to talk to next.
    void addressed();
    // The menu's Listen was chosen.
    void listenRequested();

private:
    void requestStarted(int id, RequestKind kind, const QString& text);
    void requestEnded(const Completion& done);
    int served(int id);
    void think(int id, const QString& text);
    void openBalloon(const QString& text);
    void speechStarted(const QString& shownText, qint64 durationMs);
    void speechFinished();
    void closeBalloon();
    void sync();
    void showFrame();
    void catchUp();
    void wake();
    bool balloonWanted() const;

    std::unique_ptr<format::AcsFile> file_;
    format::FrameComposer composer_;
    AnimationPlayer player_;
    CharacterWindow window_;
    WordBalloon balloon_;
    std::unique_ptr<CharacterVoice> voice_;
    SoundEffects* effects_;
    Hooks hooks_;
    EngineOptions options_;
    // The statement the voice is busy with, 0 when none: the voice speaks one at a time, so each of its ends
    // belongs to the statement it was last handed.
    int voiceStatement_ = 0;

    bool soundEffectsOn_ = true;
    bool withdrawn_ = false;
    bool desktopReducedMotion_ = false;
    QList<Command> commands_;
    QString commandsCaption_;
    bool commandsVisible_ = true;
    bool listenOffered_ = false;
    bool idleOn_ = true;
    QPointer<QMenu> menu_;

    Events events_;
    QSet<int> served_;             // the service's requests, waiting or under way
    QSet<int> thoughts_;           // statements that are only thought
    QHash<int, RequestEnd> ends_;  // why the service ended a request
    int userHide_ = 0;             // the Hide the menu asked for

    quint64 shownKey_ = ~0ull;
    QHash<quint64, QRegion> shapes_;  // frames recur, and working out a shape costs more than drawing
};

}  // namespace agent::render

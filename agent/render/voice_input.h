// Spoken commands on the desktop: which character is talked to, and the listening that goes with it. One
// VoiceInput serves every character of the program, whichever control loaded it.
//
// The character talked to is the one the user last clicked (or whose menu they opened) or that last began
// to speak, whichever came later; failing that, the first one in view. Holding the listening key listens
// until it is let go; the menu's Listen listens until the speech is followed by silence. While listening the
// character plays its Listening state, and its Hearing state once speech is heard; a command recognized is
// raised exactly as the menu raises it. The tip says what is going on.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <functional>
#include <memory>

#include "agent/listen/listener.h"
#include "agent/render/engine_options.h"
#include "agent/render/frame_timer.h"
#include "agent/render/listening_key.h"
#include "agent/render/listening_tip.h"

namespace agent::render {

class DesktopCharacter;

using ListenerFactory = std::function<std::unique_ptr<listen::Listener>()>;

struct VoiceInputSetup {
    std::shared_ptr<OptionsStore> options;  // required
    ListenerFactory makeListener;           // empty: a listener that is never available
    std::unique_ptr<ListeningKey> key;      // null: no listening key, only the menu's Listen
    EngineTime* time = nullptr;             // null: the desktop's own
};

class VoiceInput final : public QObject {
    Q_OBJECT
public:
    explicit VoiceInput(VoiceInputSetup setup, QObject* parent = nullptr);
    ~VoiceInput() override;

    // A character joins when loaded and leaves when unloaded; one that leaves while listening ends it.
    void add(DesktopCharacter* character);
    void remove(DesktopCharacter* character);

    // The character that would listen now, or nullptr.
    DesktopCharacter* target() const;
    // The character listening now, or nullptr.
    DesktopCharacter* listening() const { return listening_; }
    // Listens to `character` (nothing happens while speech input is off or another listening is underway).
    void listen(DesktopCharacter* character, listen::Listener::Mode mode);

    ListeningTip& tip() { return tip_; }
    // Whether the listening key was taken, and if not, why; ok too when speech input is off.
    const Status& keyGrab() const { return keyGrab_; }

private:
    void advance(int ms);
    bool enabled() const;
    listen::Listener* listener();
    void grabKey();
    void keyPressed();
    void keyReleased();
    void hearing(bool speech);
    void finished(const listen::Recognition& result);
    void failed(const QString& message);
    // Listening is over: the character's state animation ends. Returns who listened.
    DesktopCharacter* endListening();
    void tell(DesktopCharacter* character, const QString& text, ListeningTip::Linger linger);
    void warnOnce(const QString& message);
    void schedule();
    void tick();

    std::shared_ptr<OptionsStore> options_;
    ListenerFactory makeListener_;
    std::unique_ptr<listen::Listener> listener_;
    std::unique_ptr<ListeningKey> key_;
    std::unique_ptr<EngineTime> ownTime_;
    EngineTime* time_;

    QList<DesktopCharacter*> characters_;  // in the order they joined
    DesktopCharacter* addressed_ = nullptr;
    DesktopCharacter* listening_ = nullptr;
    listen::Listener::Mode mode_ = listen::Listener::Mode::UntilStopped;
    int stateRequest_ = 0;  // the Listening or Hearing animation playing for it

    QString grabbedKey_;  // the key name held, empty when none
    Status keyGrab_;
    QSet<QString> warned_;

    ListeningTip tip_;
    std::unique_ptr<FrameTimer> timer_;
    qint64 lastTickMs_ = 0;
};

}  // namespace agent::render

// The character engine on the session bus: other programs load characters into the control the engine runs
// (the clock's, or `horalia-agent serve`'s own), queue requests and hear events. The books of who holds and
// owns what are ClientSharing's; this turns bus calls into the control's requests and the characters' events
// into signals.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QRect>
#include <functional>

#include "agent/control.h"
#include "agent/service/client_sharing.h"

class QDBusServiceWatcher;

namespace agent::service {

inline constexpr char kBusName[] = "io.github.horalia_deluxe.Agent";
inline constexpr char kObjectPath[] = "/io/github/horalia_deluxe/Agent";
inline constexpr char kInterface[] = "io.github.horalia_deluxe.Agent1";
inline constexpr char kCharacterInterface[] = "io.github.horalia_deluxe.Agent1.Character";

class CharacterObject;

class AgentService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_PROPERTY(QList<QDBusObjectPath> Characters READ characters)
public:
    // controls: the engine's controls whose characters the bus may share (the clock's two); the first also
    // holds the characters the bus's programs load. screens: where characters may be put (the desktop's
    // screens, read at each call).
    AgentService(QList<Control*> controls, QDBusConnection bus, std::function<QList<QRect>()> screens,
                 ClientLimits limits = {}, QObject* parent = nullptr);
    ~AgentService() override;

    // Whether the name stays with this engine when another asks for it: the clock keeps it, and takes it
    // from a service started without the clock, which then yields.
    enum class Name { Keep, Yield };
    // Serves the object on the bus and takes the bus name (when one is given); fails saying why.
    Status start(const QString& busName = QLatin1String(kBusName), Name name = Name::Keep);
    QList<QDBusObjectPath> characters() const;
    // The programs on the bus that hold a character or had one.
    int clientCount() const;
    // The desktop's screens, less their panels.
    static QList<QRect> desktopScreens();

signals:
    void clientCountChanged(int count);
    // Another engine has taken the bus name.
    void nameLost();

public slots:
    QDBusObjectPath Load(const QString& file);
    QStringList CharacterFiles();
    void ShowOptions();

private:
    friend class CharacterObject;
    struct Loaded {
        Control* control = nullptr;
        QString id;         // in the control
        bool ours = false;  // loaded for the bus's programs, unloaded when they let go
        CharacterObject* object = nullptr;
    };
    ServedCharacter* served(int character);
    void refuse(const QString& error, const QString& why);
    void watch(const ClientId& client);
    void leave(const ClientId& client);
    // Takes the client's commands out of the character's menu.
    void removeCommands(const ClientId& client, int character);
    void unloadCharacter(int character);
    // A request of the client to the character, made by `make`; 0 when refused (the error is sent).
    uint request(CharacterObject& from, qsizetype textLength,
                 const std::function<int(ServedCharacter&)>& make);
    void requestEnded(int character, int playerId, RequestEnd end, const QString& why = {});
    void endOwn(CharacterObject& from, uint request, RequestEnd why);

    QList<Control*> controls_;
    Control& own_;  // where the bus's own characters are loaded
    QDBusConnection bus_;
    std::function<QList<QRect>()> screens_;
    ClientSharing sharing_;
    QMap<int, Loaded> loaded_;
    QHash<QPair<int, int>, RequestId> byPlayer_;  // (character, its request id) to ours
    QHash<RequestId, QPair<int, int>> toPlayer_;
    QHash<RequestId, QList<RequestId>> waiting_;  // a request, and the Waits that end with it
    QDBusServiceWatcher* watcher_;
    QString name_;
    int nextId_ = 1;
};

// One character on the bus, at kObjectPath/characters/N.
class CharacterObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_PROPERTY(QString Name READ name)
    Q_PROPERTY(QString Description READ description)
    Q_PROPERTY(int Left READ left)
    Q_PROPERTY(int Top READ top)
    Q_PROPERTY(int Width READ width)
    Q_PROPERTY(int Height READ height)
    Q_PROPERTY(bool Visible READ visible)
    Q_PROPERTY(QStringList Animations READ animations)
    Q_PROPERTY(bool IdleOn READ idleOn WRITE setIdleOn)
    Q_PROPERTY(bool SoundEffectsOn READ soundEffectsOn WRITE setSoundEffectsOn)
public:
    CharacterObject(AgentService& service, int number);
    QDBusObjectPath path() const;
    int number() const { return number_; }

    QString name();
    QString description();
    int left();
    int top();
    int width();
    int height();
    bool visible();
    QStringList animations();
    bool idleOn();
    void setIdleOn(bool on);
    bool soundEffectsOn();
    void setSoundEffectsOn(bool on);

    // The events of the character, sent from the event loop: after the reply to the call that caused them.
    ServedCharacter::Events events();

public slots:
    uint Show(bool fast);
    uint Hide(bool fast);
    uint Speak(const QString& text);
    uint Think(const QString& text);
    uint Play(const QString& animation);
    uint MoveTo(int x, int y, int ms);
    uint GestureAt(int x, int y);
    uint Wait(uint request);
    void Stop(uint request);
    void StopAll();
    void Interrupt(uint request);
    void Listen(bool on);
    void AddCommand(const QString& name, const QString& caption, const QString& voice);
    void RemoveCommand(const QString& name);
    void Unload();

signals:
    void RequestStart(uint request);
    void RequestComplete(uint request, const QString& status);
    void Click(uint button, int x, int y);
    void DoubleClick(uint button, int x, int y);
    void DragStart(int x, int y);
    void DragComplete(int x, int y);
    void BalloonShown();
    void BalloonHidden();
    void Bookmark(int mark);
    void IdleStart();
    void IdleComplete();
    void Moved(int x, int y);
    void Shown(const QString& cause);
    void Hidden(const QString& cause);

private:
    friend class AgentService;
    ServedCharacter* character();
    Character* plain();
    ClientId caller() const { return message().service(); }
    // Whether the calling program holds the character; refuses the call otherwise.
    bool holder();
    void refuse(const QString& error, const QString& why) { sendErrorReply(error, why); }
    void later(std::function<void()> send);
    // Tells the bus that these properties have changed.
    void changed(const QVariantMap& properties);
    // What the character answers, or nothing much once it has gone.
    template <typename C, typename T>
    static T read(const C* c, T (C::*get)() const) {
        return c != nullptr ? (c->*get)() : T();
    }

    AgentService& service_;
    int number_;
};

}  // namespace agent::service

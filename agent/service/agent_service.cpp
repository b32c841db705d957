#include "agent/service/agent_service.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>

#include "agent/service/screen_position.h"
#include "agentadaptor.h"

namespace agent::service {

namespace {

const QString kErrorPrefix = QStringLiteral("io.github.horalia_deluxe.Agent1.Error.");
const QString kInvalid = kErrorPrefix + QStringLiteral("InvalidArgument");
const QString kLimit = kErrorPrefix + QStringLiteral("LimitReached");
const QString kLoadFailed = kErrorPrefix + QStringLiteral("LoadFailed");
const QString kUnknown = kErrorPrefix + QStringLiteral("UnknownRequest");
const QString kGone = kErrorPrefix + QStringLiteral("CharacterGone");
// A journey longer than this is the character's own pace.
constexpr int kLongestMoveMs = 60000;

// A client's command as the character knows it: no two clients' names meet.
QString commandKey(const QString& client, const QString& name) {
    return client + QChar(0x1f) + name;
}

// What a program is called in a menu heading: its process's name, or its name on the bus.
QString programName(const QDBusConnection& bus, const QString& client) {
    const QDBusReply<uint> pid = bus.interface()->servicePid(client);
    if (pid.isValid()) {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid.value()));
        if (comm.open(QIODevice::ReadOnly)) {
            const QString name = QString::fromUtf8(comm.readAll()).trimmed();
            if (!name.isEmpty()) {
                return name;
            }
        }
    }
    return client;
}

QString statusText(RequestEnd end, const QString& why) {
    switch (end) {
        case RequestEnd::Done:
            return QStringLiteral("done");
        case RequestEnd::Stopped:
            return QStringLiteral("stopped");
        case RequestEnd::Interrupted:
            return QStringLiteral("interrupted");
        case RequestEnd::Failed:
            break;
    }
    return QStringLiteral("failed: ") + why;
}

}  // namespace

AgentService::AgentService(QList<Control*> controls, QDBusConnection bus,
                           std::function<QList<QRect>()> screens, ClientLimits limits, QObject* parent)
    : QObject(parent),
      controls_(std::move(controls)),
      own_(*controls_.front()),
      bus_(std::move(bus)),
      screens_(std::move(screens)),
      sharing_(limits),
      watcher_(new QDBusServiceWatcher(this)) {
    new Agent1Adaptor(this);
    watcher_->setConnection(bus_);
    watcher_->setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(watcher_, &QDBusServiceWatcher::serviceUnregistered, this, &AgentService::leave);
}

AgentService::~AgentService() {
    bus_.unregisterObject(QLatin1String(kObjectPath), QDBusConnection::UnregisterTree);
    if (!name_.isEmpty()) {
        bus_.unregisterService(name_);
    }
    for (auto it = loaded_.cbegin(); it != loaded_.cend(); ++it) {
        if (ServedCharacter* c = it->control->served(it->id)) {
            c->setEvents({});
        }
        if (it->ours) {
            it->control->unload(it->id);
        }
    }
}

Status AgentService::start(const QString& busName, Name name) {
    if (!bus_.isConnected()) {
        return fail(QStringLiteral("no session bus: %1").arg(bus_.lastError().message()));
    }
    if (!bus_.registerObject(QLatin1String(kObjectPath), this)) {
        return fail(QStringLiteral("%1 is served already").arg(QLatin1String(kObjectPath)));
    }
    if (busName.isEmpty()) {
        return {};
    }
    QDBusConnectionInterface* names = bus_.interface();
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> got =
        names->registerService(busName,
                               name == Name::Keep ? QDBusConnectionInterface::ReplaceExistingService
                                                  : QDBusConnectionInterface::DontQueueService,
                               name == Name::Keep ? QDBusConnectionInterface::DontAllowReplacement
                                                  : QDBusConnectionInterface::AllowReplacement);
    if (!got.isValid() || got.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus_.unregisterObject(QLatin1String(kObjectPath), QDBusConnection::UnregisterTree);
        return fail(
            QStringLiteral("%1 is taken%2")
                .arg(busName, got.isValid() ? QString() : QStringLiteral(": ") + got.error().message()));
    }
    name_ = busName;
    auto* owner = new QDBusServiceWatcher(busName, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(owner, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this, owner](const QString&, const QString& before, const QString&) {
                if (before == bus_.baseService()) {
                    name_.clear();
                    owner->deleteLater();
                    emit nameLost();
                }
            });
    return {};
}

QList<QRect> AgentService::desktopScreens() {
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens << screen->availableGeometry();
    }
    return screens;
}

int AgentService::clientCount() const {
    return int(watcher_->watchedServices().size());
}

QList<QDBusObjectPath> AgentService::characters() const {
    QList<QDBusObjectPath> paths;
    for (const Loaded& l : loaded_) {
        paths << l.object->path();
    }
    return paths;
}

void AgentService::refuse(const QString& error, const QString& why) {
    if (calledFromDBus()) {
        sendErrorReply(error, why);
    }
}

QDBusObjectPath AgentService::Load(const QString& file) {
    const ClientId client = message().service();
    if (file.trimmed().isEmpty() || file.size() > 4096 || file.contains(QChar(0))) {
        refuse(kInvalid, QStringLiteral("a character file is a path or a file name"));
        return {};
    }
    // A bare name is a character's, as the clock names them: "max" is max.acs.
    const bool bare = !file.contains(u'/') && !file.endsWith(QLatin1String(".acs"), Qt::CaseInsensitive);
    const QString path = own_.locate(bare ? file + QStringLiteral(".acs") : file);
    // The clock's own character, when it has this one.
    Loaded entry{&own_, {}, false, nullptr};
    for (Control* control : controls_) {
        for (const QString& id : control->ids()) {
            const bool ours = std::any_of(loaded_.cbegin(), loaded_.cend(), [&](const Loaded& l) {
                return l.ours && l.control == control && l.id.compare(id, Qt::CaseInsensitive) == 0;
            });
            if (!ours && entry.id.isEmpty() && control->loadedFrom(id) == path) {
                entry = Loaded{control, id, false, nullptr};
            }
        }
    }
    const Result<ClientSharing::Hold> hold = sharing_.hold(client, path);
    if (!hold) {
        refuse(kLimit, hold.error());
        return {};
    }
    const int number = hold->character;
    if (hold->isNew) {
        if (entry.id.isEmpty()) {
            entry.id = QStringLiteral("bus-character-%1").arg(nextId_++);
            entry.ours = true;
            if (const Status loaded = own_.load(entry.id, path); !loaded) {
                sharing_.drop(number);
                refuse(kLoadFailed, loaded.error());
                return {};
            }
            // A character of the bus's own first comes into view in the first screen's lower right corner,
            // clear of the panels, where an assistant is looked for and little else stands.
            if (Character* c = own_.item(entry.id); c != nullptr && screens_) {
                const QRect screen = screens_().value(0);
                if (!screen.isEmpty()) {
                    constexpr int kMargin = 16;
                    c->moveTo(std::max(screen.left(), screen.right() + 1 - c->width() - kMargin),
                              std::max(screen.top(), screen.bottom() + 1 - c->height() - kMargin));
                }
            }
        }
        if (entry.control->served(entry.id) == nullptr) {
            if (entry.ours) {
                own_.unload(entry.id);
            }
            sharing_.drop(number);
            refuse(kLoadFailed, QStringLiteral("this engine serves no other programs"));
            return {};
        }
        entry.object = new CharacterObject(*this, number);
        bus_.registerObject(entry.object->path().path(), entry.object);
        entry.control->served(entry.id)->setEvents(entry.object->events());
        loaded_.insert(number, entry);
    }
    watch(client);
    return loaded_.value(number).object->path();
}

QStringList AgentService::CharacterFiles() {
    QStringList files;
    for (const QString& folder : own_.characterFolders()) {
        for (const QString& f :
             QDir(folder).entryList({QStringLiteral("*.acs")}, QDir::Files, QDir::Name | QDir::IgnoreCase)) {
            if (!files.contains(f, Qt::CaseInsensitive)) {
                files << f;
            }
        }
    }
    return files;
}

void AgentService::ShowOptions() {
    own_.showPropertySheet();
}

ServedCharacter* AgentService::served(int character) {
    const auto found = loaded_.constFind(character);
    return found == loaded_.constEnd() ? nullptr : found->control->served(found->id);
}

void AgentService::watch(const ClientId& client) {
    if (!watcher_->watchedServices().contains(client)) {
        watcher_->addWatchedService(client);
        emit clientCountChanged(clientCount());
    }
}

void AgentService::leave(const ClientId& client) {
    watcher_->removeWatchedService(client);
    // Its commands leave the menus of the characters that stay.
    for (auto it = loaded_.cbegin(); it != loaded_.cend(); ++it) {
        removeCommands(client, it.key());
    }
    const Departure gone = sharing_.leave(client);
    for (RequestId id : gone.dropped) {
        const auto player = toPlayer_.take(id);
        byPlayer_.remove(player);
        if (ServedCharacter* c = served(player.first)) {
            c->endRequest(player.second, RequestEnd::Stopped);
        }
    }
    for (int character : gone.unload) {
        unloadCharacter(character);
    }
    emit clientCountChanged(clientCount());
}

void AgentService::removeCommands(const ClientId& client, int character) {
    if (ServedCharacter* c = served(character)) {
        for (const ClientCommand& command : sharing_.commands(character)) {
            if (command.client == client) {
                c->removeCommand(commandKey(client, command.name));
            }
        }
    }
}

void AgentService::unloadCharacter(int character) {
    const Loaded entry = loaded_.take(character);
    if (entry.object == nullptr) {
        return;
    }
    if (ServedCharacter* c = entry.control->served(entry.id)) {
        c->setEvents({});
        // The clock's own character stays; only the requests and commands of the bus go.
        for (auto it = byPlayer_.begin(); it != byPlayer_.end();) {
            if (it.key().first == character) {
                c->endRequest(it.key().second, RequestEnd::Stopped);
                toPlayer_.remove(it.value());
                it = byPlayer_.erase(it);
            } else {
                ++it;
            }
        }
    }
    bus_.unregisterObject(entry.object->path().path());
    entry.object->deleteLater();
    if (entry.ours) {
        entry.control->unload(entry.id);
    }
}

uint AgentService::request(CharacterObject& from, qsizetype textLength,
                           const std::function<int(ServedCharacter&)>& make) {
    const ClientId client = from.caller();
    const int character = from.number();
    ServedCharacter* c = served(character);
    if (c == nullptr) {
        from.refuse(kGone, QStringLiteral("the character is no longer loaded"));
        return 0;
    }
    const Result<RequestId> id = sharing_.queue(client, character, textLength);
    if (!id) {
        from.refuse(sharing_.holds(client, character) ? kLimit : kInvalid, id.error());
        return 0;
    }
    const int playerId = make(*c);
    byPlayer_.insert({character, playerId}, *id);
    toPlayer_.insert(*id, {character, playerId});
    return *id;
}

void AgentService::requestEnded(int character, int playerId, RequestEnd end, const QString& why) {
    const auto found = byPlayer_.constFind({character, playerId});
    if (found == byPlayer_.constEnd()) {
        return;
    }
    const RequestId id = *found;
    byPlayer_.erase(found);
    toPlayer_.remove(id);
    sharing_.finish(id);
    if (CharacterObject* object = loaded_.value(character).object) {
        emit object->RequestComplete(id, statusText(end, why));
    }
    for (RequestId waiting : waiting_.take(id)) {
        const auto player = toPlayer_.value(waiting);
        if (ServedCharacter* c = served(player.first)) {
            c->endRequest(player.second, RequestEnd::Done);
        }
    }
}

void AgentService::endOwn(CharacterObject& from, uint request, RequestEnd why) {
    const Result<Request> own = sharing_.ownRequest(from.caller(), request);
    if (!own || own->character != from.number()) {
        from.refuse(kUnknown,
                    own ? QStringLiteral("request %1 is another character's").arg(request) : own.error());
        return;
    }
    const auto player = toPlayer_.value(request);
    if (ServedCharacter* c = served(player.first)) {
        c->endRequest(player.second, why);
    }
}

// --- one character ---

CharacterObject::CharacterObject(AgentService& service, int number)
    : QObject(&service), service_(service), number_(number) {
    new CharacterAdaptor(this);
}

QDBusObjectPath CharacterObject::path() const {
    return QDBusObjectPath(QStringLiteral("%1/characters/%2").arg(QLatin1String(kObjectPath)).arg(number_));
}

ServedCharacter* CharacterObject::character() {
    return service_.served(number_);
}

Character* CharacterObject::plain() {
    const AgentService::Loaded entry = service_.loaded_.value(number_);
    return entry.control != nullptr ? entry.control->item(entry.id) : nullptr;
}

void CharacterObject::later(std::function<void()> send) {
    QMetaObject::invokeMethod(this, std::move(send), Qt::QueuedConnection);
}

void CharacterObject::changed(const QVariantMap& properties) {
    QDBusMessage signal =
        QDBusMessage::createSignal(path().path(), QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << QLatin1String(kCharacterInterface) << properties << QStringList();
    service_.bus_.send(signal);
}

ServedCharacter::Events CharacterObject::events() {
    ServedCharacter::Events e;
    e.requestStarted = [this](int playerId) {
        later([this, playerId] {
            const RequestId id = service_.byPlayer_.value({number_, playerId});
            if (id != 0) {
                emit RequestStart(id);
            }
        });
    };
    e.requestEnded = [this](int playerId, RequestEnd end) {
        later([this, playerId, end] { service_.requestEnded(number_, playerId, end); });
    };
    e.command = [this](const ChosenCommand& chosen) {
        for (const ClientCommand& c : service_.sharing_.commands(number_)) {
            if (commandKey(c.client, c.name) != chosen.name) {
                continue;
            }
            QDBusMessage signal = QDBusMessage::createTargetedSignal(
                c.client, path().path(), QLatin1String(kCharacterInterface), QStringLiteral("Command"));
            signal << c.name
                   << (chosen.source == CommandSource::Voice ? QStringLiteral("voice")
                                                             : QStringLiteral("menu"))
                   << chosen.confidence << chosen.heard;
            later([this, signal] { service_.bus_.send(signal); });
        }
    };
    e.clicked = [this](int button, QPoint at) {
        later([=, this] { emit Click(uint(button), at.x(), at.y()); });
    };
    e.doubleClicked = [this](int button, QPoint at) {
        later([=, this] { emit DoubleClick(uint(button), at.x(), at.y()); });
    };
    e.dragStarted = [this](QPoint p) { later([=, this] { emit DragStart(p.x(), p.y()); }); };
    e.dragEnded = [this](QPoint p) { later([=, this] { emit DragComplete(p.x(), p.y()); }); };
    e.moved = [this](QPoint p) {
        later([=, this] {
            emit Moved(p.x(), p.y());
            changed({{QStringLiteral("Left"), p.x()}, {QStringLiteral("Top"), p.y()}});
        });
    };
    e.shown = [this](const QString& cause) {
        later([=, this] {
            emit Shown(cause);
            changed({{QStringLiteral("Visible"), true}});
        });
    };
    e.hidden = [this](const QString& cause) {
        later([=, this] {
            emit Hidden(cause);
            changed({{QStringLiteral("Visible"), false}});
        });
    };
    e.balloonShown = [this] { later([this] { emit BalloonShown(); }); };
    e.balloonHidden = [this] { later([this] { emit BalloonHidden(); }); };
    e.bookmark = [this](int mark) { later([=, this] { emit Bookmark(mark); }); };
    e.idleStarted = [this] { later([this] { emit IdleStart(); }); };
    e.idleEnded = [this] { later([this] { emit IdleComplete(); }); };
    return e;
}

uint CharacterObject::Show(bool fast) {
    return service_.request(*this, 0, [fast](ServedCharacter& c) { return c.showRequest(fast); });
}

uint CharacterObject::Hide(bool fast) {
    return service_.request(*this, 0, [fast](ServedCharacter& c) { return c.hideRequest(fast); });
}

uint CharacterObject::Speak(const QString& text) {
    return service_.request(*this, text.size(), [&](ServedCharacter& c) { return c.speakRequest(text); });
}

uint CharacterObject::Think(const QString& text) {
    return service_.request(*this, text.size(), [&](ServedCharacter& c) { return c.thinkRequest(text); });
}

uint CharacterObject::Play(const QString& animation) {
    ServedCharacter* c = character();
    if (c != nullptr && !c->animationNames().contains(animation, Qt::CaseInsensitive)) {
        refuse(kInvalid, QStringLiteral("the character has no animation \"%1\"").arg(animation.left(64)));
        return 0;
    }
    return service_.request(*this, animation.size(),
                            [&](ServedCharacter& c) { return c.playRequest(animation); });
}

uint CharacterObject::MoveTo(int x, int y, int ms) {
    Character* c = plain();
    const QSize size = c != nullptr ? QSize(c->width(), c->height()) : QSize();
    const QPoint to =
        keepOnScreens(QPoint(x, y), size, service_.screens_ ? service_.screens_() : QList<QRect>());
    const int duration = ms > 0 && ms <= kLongestMoveMs ? ms : 0;
    return service_.request(*this, 0, [&](ServedCharacter& c) { return c.moveRequest(to, duration); });
}

uint CharacterObject::GestureAt(int x, int y) {
    return service_.request(*this, 0, [&](ServedCharacter& c) { return c.gestureRequest(QPoint(x, y)); });
}

uint CharacterObject::Wait(uint request) {
    if (!service_.toPlayer_.contains(request)) {
        refuse(kUnknown, QStringLiteral("request %1 has ended or never was").arg(request));
        return 0;
    }
    const uint id = service_.request(*this, 0, [](ServedCharacter& c) { return c.waitRequest(); });
    if (id != 0) {
        service_.waiting_[request].append(id);
    }
    return id;
}

void CharacterObject::Stop(uint request) {
    service_.endOwn(*this, request, RequestEnd::Stopped);
}

void CharacterObject::Interrupt(uint request) {
    service_.endOwn(*this, request, RequestEnd::Interrupted);
}

void CharacterObject::StopAll() {
    for (RequestId id : service_.sharing_.requestsOf(caller(), number_)) {
        service_.endOwn(*this, id, RequestEnd::Stopped);
    }
}

void CharacterObject::Listen(bool on) {
    ServedCharacter* c = character();
    if (c == nullptr) {
        refuse(kGone, QStringLiteral("the character is no longer loaded"));
        return;
    }
    if (!holder()) {
        return;
    }
    if (on) {
        c->listenOnce();
    }
}

void CharacterObject::AddCommand(const QString& name, const QString& caption, const QString& voice) {
    const ClientId client = caller();
    const Result<void> added = service_.sharing_.addCommand(client, number_, {client, name, caption, voice});
    Character* c = plain();
    if (!added || c == nullptr) {
        refuse(kInvalid, added ? QStringLiteral("the character is no longer loaded") : added.error());
        return;
    }
    Command command{commandKey(client, name), caption, voice};
    command.heading = programName(service_.bus_, client);
    c->addCommand(command);
}

void CharacterObject::RemoveCommand(const QString& name) {
    const ClientId client = caller();
    const Result<void> removed = service_.sharing_.removeCommand(client, number_, name);
    if (!removed) {
        refuse(kInvalid, removed.error());
        return;
    }
    if (ServedCharacter* c = character()) {
        c->removeCommand(commandKey(client, name));
    }
}

void CharacterObject::Unload() {
    const ClientId client = caller();
    if (service_.sharing_.holds(client, number_)) {
        // The caller's commands leave the menu and its requests end, as when it leaves the bus.
        service_.removeCommands(client, number_);
        StopAll();
    }
    const Result<bool> released = service_.sharing_.release(client, number_);
    if (!released) {
        refuse(kInvalid, released.error());
        return;
    }
    if (*released) {
        service_.unloadCharacter(number_);
    }
}

QString CharacterObject::name() {
    return read(plain(), &Character::name);
}

QString CharacterObject::description() {
    return read(plain(), &Character::description);
}

int CharacterObject::left() {
    return read(character(), &ServedCharacter::position).x();
}

int CharacterObject::top() {
    return read(character(), &ServedCharacter::position).y();
}

int CharacterObject::width() {
    return read(plain(), &Character::width);
}

int CharacterObject::height() {
    return read(plain(), &Character::height);
}

bool CharacterObject::visible() {
    return read(character(), &ServedCharacter::isShown);
}

QStringList CharacterObject::animations() {
    return read(character(), &ServedCharacter::animationNames);
}

bool CharacterObject::idleOn() {
    return read(character(), &ServedCharacter::idleOn);
}

bool CharacterObject::holder() {
    if (!service_.sharing_.holds(caller(), number_)) {
        refuse(kInvalid, QStringLiteral("load the character first"));
        return false;
    }
    return true;
}

void CharacterObject::setIdleOn(bool on) {
    if (ServedCharacter* c = character(); c != nullptr && c->idleOn() != on) {
        c->setIdleOn(on);
        changed({{QStringLiteral("IdleOn"), on}});
    }
}

bool CharacterObject::soundEffectsOn() {
    return read(character(), &ServedCharacter::soundEffectsOn);
}

void CharacterObject::setSoundEffectsOn(bool on) {
    if (Character* c = plain(); c != nullptr && soundEffectsOn() != on) {
        c->setSoundEffectsOn(on);
        changed({{QStringLiteral("SoundEffectsOn"), on}});
    }
}

}  // namespace agent::service

// What the engine's clients share and what each of them owns. One engine serves the clock and every program
// on the session bus: they share its characters, each loaded once whoever asked first, but each client owns
// its hold on a character, the requests it queued and the commands it added. What a client does touches only
// what it owns, and all it owned goes when it leaves the bus. This keeps the books; the engine acts on the
// answers.
#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <functional>
#include <optional>

#include "agent/result.h"

namespace agent::service {

// A client: its unique name on the bus (":1.42"), or a name of the engine's own for the clock.
using ClientId = QString;
using RequestId = quint32;

struct ClientLimits {
    int charactersPerClient = 8;
    qsizetype textLength = 10000;  // of a request's text, and of a command's caption or phrase
    int queuedPerCharacter = 256;  // of one client's requests to one character, waiting or running
    qsizetype commandNameLength = 256;
};

struct Request {
    RequestId id = 0;
    ClientId client;
    int character = 0;
};

// A command a client added to a character's menu: chosen there or said, it goes to that client alone.
struct ClientCommand {
    ClientId client;
    QString name;
    QString caption;
    QString voice;
};

// What the engine undoes when a client leaves.
struct Departure {
    QList<RequestId> dropped;  // its requests, waiting or running, in the order they were queued
    QList<int> unload;         // the characters that no one else holds
    QList<int> menusChanged;   // the characters still loaded whose menus lost its commands
};

class ClientSharing {
public:
    explicit ClientSharing(ClientLimits limits = {});

    struct Hold {
        int character = 0;
        bool isNew = false;  // the caller loads it, and calls drop() when that fails
    };
    // The character loaded from `file` (a resolved path) held for `client`: the one loaded from it before,
    // whoever loaded it, or a new number. Holding a character again gives the same, held once.
    Result<Hold> hold(const ClientId& client, const QString& file);
    // Ends the client's hold; true when no one holds the character any more, so that it is unloaded.
    Result<bool> release(const ClientId& client, int character);
    // Forgets a character whose loading failed, with every hold on it.
    void drop(int character);

    QList<int> characters() const;  // loaded, in number order
    QList<int> charactersOf(const ClientId& client) const;
    std::optional<QString> fileOf(int character) const;
    bool holds(const ClientId& client, int character) const;

    // A new request of the client to a character it holds, with a text of that length (0 for none).
    Result<RequestId> queue(const ClientId& client, int character, qsizetype textLength = 0);
    // The request ended, however; nothing when it is unknown or ended before.
    std::optional<Request> finish(RequestId id);
    // The client's own request, for Stop and Interrupt: another's or an ended one is refused.
    Result<Request> ownRequest(const ClientId& client, RequestId id) const;
    // The client's requests to the character (all its characters when 0), in the order queued.
    QList<RequestId> requestsOf(const ClientId& client, int character = 0) const;

    Result<void> addCommand(const ClientId& client, int character, const ClientCommand& command);
    Result<void> removeCommand(const ClientId& client, int character, const QString& name);
    // The character's commands, the clients' in the order they came, each client's in the order added.
    QList<ClientCommand> commands(int character) const;

    Departure leave(const ClientId& client);

private:
    Result<void> checkHeld(const ClientId& client, int character) const;
    void forgetRequests(const std::function<bool(const Request&)>& which);

    struct Loaded {
        QString file;
        QList<ClientId> holders;  // in the order they came
        QList<ClientCommand> commands;
    };
    ClientLimits limits_;
    QMap<int, Loaded> loaded_;
    QMap<RequestId, Request> requests_;  // waiting or running; ids only grow, so this is queue order
    int nextCharacter_ = 1;
    RequestId nextRequest_ = 1;
};

}  // namespace agent::service

#include "agent/service/client_sharing.h"

#include <algorithm>

namespace agent::service {

namespace {

// A command's name comes back to its client in events and is shown nowhere: any text of printable characters.
bool printable(const QString& text) {
    return std::none_of(text.begin(), text.end(),
                        [](QChar c) { return c.category() == QChar::Other_Control; });
}

}  // namespace

ClientSharing::ClientSharing(ClientLimits limits) : limits_(limits) {}

Result<ClientSharing::Hold> ClientSharing::hold(const ClientId& client, const QString& file) {
    const auto found = std::find_if(loaded_.begin(), loaded_.end(),
                                    [&](const Loaded& loaded) { return loaded.file == file; });
    if (found != loaded_.end() && found->holders.contains(client)) {
        return Hold{found.key(), false};
    }
    if (charactersOf(client).size() >= limits_.charactersPerClient) {
        return fail(
            QStringLiteral("a client may hold at most %1 characters").arg(limits_.charactersPerClient));
    }
    if (found != loaded_.end()) {
        found->holders.append(client);
        return Hold{found.key(), false};
    }
    const int character = nextCharacter_++;
    loaded_.insert(character, Loaded{file, {client}, {}});
    return Hold{character, true};
}

Result<void> ClientSharing::checkHeld(const ClientId& client, int character) const {
    const auto it = loaded_.constFind(character);
    if (it == loaded_.cend()) {
        return fail(QStringLiteral("no character %1 is loaded").arg(character));
    }
    if (!it->holders.contains(client)) {
        return fail(QStringLiteral("character %1 was not loaded by this client").arg(character));
    }
    return {};
}

Result<bool> ClientSharing::release(const ClientId& client, int character) {
    if (Result<void> held = checkHeld(client, character); !held) {
        return held.failure();
    }
    Loaded& loaded = loaded_[character];
    loaded.holders.removeAll(client);
    loaded.commands.removeIf([&](const ClientCommand& c) { return c.client == client; });
    forgetRequests([&](const Request& r) { return r.client == client && r.character == character; });
    if (!loaded.holders.isEmpty()) {
        return false;
    }
    loaded_.remove(character);
    return true;
}

void ClientSharing::drop(int character) {
    loaded_.remove(character);
    forgetRequests([character](const Request& r) { return r.character == character; });
}

void ClientSharing::forgetRequests(const std::function<bool(const Request&)>& which) {
    for (auto it = requests_.begin(); it != requests_.end();) {
        it = which(*it) ? requests_.erase(it) : std::next(it);
    }
}

QList<int> ClientSharing::characters() const {
    return loaded_.keys();
}

QList<int> ClientSharing::charactersOf(const ClientId& client) const {
    QList<int> held;
    for (auto it = loaded_.cbegin(); it != loaded_.cend(); ++it) {
        if (it->holders.contains(client)) {
            held.append(it.key());
        }
    }
    return held;
}

std::optional<QString> ClientSharing::fileOf(int character) const {
    const auto it = loaded_.constFind(character);
    return it == loaded_.cend() ? std::nullopt : std::optional(it->file);
}

bool ClientSharing::holds(const ClientId& client, int character) const {
    return checkHeld(client, character).ok();
}

Result<RequestId> ClientSharing::queue(const ClientId& client, int character, qsizetype textLength) {
    if (Result<void> held = checkHeld(client, character); !held) {
        return held.failure();
    }
    if (textLength > limits_.textLength) {
        return fail(QStringLiteral("a request's text may have at most %1 characters, not %2")
                        .arg(limits_.textLength)
                        .arg(textLength));
    }
    if (requestsOf(client, character).size() >= limits_.queuedPerCharacter) {
        return fail(QStringLiteral("%1 requests to character %2 are waiting already")
                        .arg(limits_.queuedPerCharacter)
                        .arg(character));
    }
    // After four billion requests the numbers start again, past those still in use.
    while (nextRequest_ == 0 || requests_.contains(nextRequest_)) {
        ++nextRequest_;
    }
    const RequestId id = nextRequest_++;
    requests_.insert(id, Request{id, client, character});
    return id;
}

std::optional<Request> ClientSharing::finish(RequestId id) {
    const auto it = requests_.constFind(id);
    if (it == requests_.cend()) {
        return std::nullopt;
    }
    Request ended = *it;
    requests_.erase(it);
    return ended;
}

Result<Request> ClientSharing::ownRequest(const ClientId& client, RequestId id) const {
    const auto it = requests_.constFind(id);
    if (it == requests_.cend() || it->client != client) {
        return fail(QStringLiteral("this client has no request %1 waiting or running").arg(id));
    }
    return *it;
}

QList<RequestId> ClientSharing::requestsOf(const ClientId& client, int character) const {
    QList<RequestId> own;
    for (const Request& r : requests_) {
        if (r.client == client && (character == 0 || r.character == character)) {
            own.append(r.id);
        }
    }
    return own;
}

Result<void> ClientSharing::addCommand(const ClientId& client, int character, const ClientCommand& command) {
    if (Result<void> held = checkHeld(client, character); !held) {
        return held;
    }
    if (command.name.isEmpty() || command.name.size() > limits_.commandNameLength ||
        !printable(command.name)) {
        return fail(QStringLiteral("a command's name is 1 to %1 printable characters")
                        .arg(limits_.commandNameLength));
    }
    if (command.caption.size() > limits_.textLength || command.voice.size() > limits_.textLength) {
        return fail(QStringLiteral("a command's caption and phrase may have at most %1 characters")
                        .arg(limits_.textLength));
    }
    QList<ClientCommand>& commands = loaded_[character].commands;
    const auto same = std::find_if(commands.begin(), commands.end(), [&](const ClientCommand& c) {
        return c.client == client && c.name == command.name;
    });
    ClientCommand added = command;
    added.client = client;
    if (same != commands.end()) {
        *same = added;  // a command added again is changed in place
        return {};
    }
    // after the client's other commands, so that each client's stay together
    const auto last = std::find_if(commands.rbegin(), commands.rend(),
                                   [&](const ClientCommand& c) { return c.client == client; });
    commands.insert(last == commands.rend() ? commands.size() : commands.rend() - last, added);
    return {};
}

Result<void> ClientSharing::removeCommand(const ClientId& client, int character, const QString& name) {
    if (Result<void> held = checkHeld(client, character); !held) {
        return held;
    }
    if (loaded_[character].commands.removeIf(
            [&](const ClientCommand& c) { return c.client == client && c.name == name; }) == 0) {
        return fail(
            QStringLiteral("this client has no command \"%1\" on character %2").arg(name).arg(character));
    }
    return {};
}

QList<ClientCommand> ClientSharing::commands(int character) const {
    return loaded_.value(character).commands;
}

Departure ClientSharing::leave(const ClientId& client) {
    Departure gone;
    gone.dropped = requestsOf(client);
    for (const int character : charactersOf(client)) {
        const bool hadCommands =
            std::any_of(loaded_[character].commands.cbegin(), loaded_[character].commands.cend(),
                        [&](const ClientCommand& c) { return c.client == client; });
        const Result<bool> last = release(client, character);
        if (last && *last) {
            gone.unload.append(character);
        } else if (hadCommands) {
            gone.menusChanged.append(character);
        }
    }
    return gone;
}

}  // namespace agent::service

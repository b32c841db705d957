#include "agent/service/bus_client.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QList>

#include "agent/service/agent_service.h"

namespace agent::service {

namespace {

// Loading a large character and starting the engine can take a while; a call is given this long.
constexpr int kCallTimeoutMs = 60000;

}  // namespace

BusClient::BusClient(QDBusConnection bus, QTextStream& out, QTextStream& err)
    : bus_(std::move(bus)), out_(out), err_(err) {}

int BusClient::failed(const QString& why) {
    err_ << "horalia-agent: " << why << '\n';
    err_.flush();
    return 1;
}

Result<QVariant> BusClient::call(const QString& path, const QString& interface, const QString& method,
                                 const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(
        engine_.isEmpty() ? QLatin1String(kBusName) : engine_, path,
        interface.isEmpty() ? QLatin1String(kCharacterInterface) : interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = bus_.call(message, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        return fail(reply.errorMessage());
    }
    return reply.arguments().value(0);
}

Status BusClient::load(const QString& file) {
    if (!bus_.isConnected()) {
        return fail(QStringLiteral("no session bus: %1").arg(bus_.lastError().message()));
    }
    const Result<QVariant> path =
        call(QLatin1String(kObjectPath), QLatin1String(kInterface), QStringLiteral("Load"), {file});
    if (!path) {
        return fail(path.error());
    }
    character_ = path->value<QDBusObjectPath>().path();
    // From here on the engine that loaded the character answers; should it go, nothing more will come.
    engine_ = bus_.interface()->serviceOwner(QLatin1String(kBusName));
    auto* watcher = new QDBusServiceWatcher(engine_, bus_, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] { engineGone_ = true; });
    const QString interface = QLatin1String(kCharacterInterface);
    bus_.connect(engine_, character_, interface, QStringLiteral("RequestComplete"), this,
                 SLOT(requestComplete(uint, QString)));
    bus_.connect(engine_, character_, interface, QStringLiteral("Command"), this,
                 SLOT(command(QString, QString, double, QString)));
    return {};
}

void BusClient::requestComplete(uint request, const QString& status) {
    ended_.insert(request, status);
}

void BusClient::command(const QString& name, const QString& source, double confidence, const QString& heard) {
    out_ << name << '\t' << source << '\t' << QString::number(confidence, 'f', 2) << '\t' << heard << '\n';
    out_.flush();
}

Result<bool> BusClient::show() {
    const QDBusMessage get = QDBusMessage::createMethodCall(
        engine_, character_, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    const QDBusMessage reply =
        bus_.call(QDBusMessage(get) << QLatin1String(kCharacterInterface) << QStringLiteral("Visible"),
                  QDBus::Block, kCallTimeoutMs);
    const bool shown = reply.type() == QDBusMessage::ReplyMessage &&
                       reply.arguments().value(0).value<QDBusVariant>().variant().toBool();
    if (!shown) {
        const Result<QVariant> id = callCharacter(QStringLiteral("Show"), {false});
        if (!id) {
            return fail(id.error());
        }
    }
    return shown;
}

Result<QString> BusClient::waitFor(uint request) {
    QEventLoop loop;
    while (!ended_.contains(request)) {
        if (engineGone_) {
            return fail(QStringLiteral("the engine has left the bus"));
        }
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    return ended_.take(request);
}

int BusClient::run(const AgentInvocation& call, const QString& character, QTextStream& input) {
    if (const Status loaded = load(character); !loaded) {
        return failed(loaded.error());
    }
    switch (call.verb) {
        case AgentInvocation::Verb::Say:
            return sayOrPlay(QStringLiteral("Speak"), call.text);
        case AgentInvocation::Verb::Play:
            return sayOrPlay(QStringLiteral("Play"), call.text);
        case AgentInvocation::Verb::Listen:
            return listen(call);
        case AgentInvocation::Verb::Run:
            break;
    }
    return script(input);
}

int BusClient::sayOrPlay(const QString& method, const QString& what) {
    const Result<bool> wasShown = show();
    if (!wasShown) {
        return failed(wasShown.error());
    }
    const Result<QVariant> id = callCharacter(method, {what});
    if (!id) {
        return failed(id.error());
    }
    const Result<QString> status = waitFor(id->toUInt());
    if (!status) {
        return failed(status.error());
    }
    // A character that was on the desktop before (the clock's own) stays there.
    if (!*wasShown) {
        if (const Result<QVariant> hide = callCharacter(QStringLiteral("Hide"), {false}); hide) {
            (void)waitFor(hide->toUInt());
        }
    }
    return *status == u"done" ? 0 : failed(*status);
}

int BusClient::listen(const AgentInvocation& call) {
    if (const Result<bool> shown = show(); !shown) {
        return failed(shown.error());
    }
    for (const CliCommand& command : call.commands) {
        const Result<QVariant> added =
            callCharacter(QStringLiteral("AddCommand"), {command.name, command.name, command.phrase});
        if (!added) {
            return failed(QStringLiteral("%1: %2").arg(command.name, added.error()));
        }
    }
    (void)callCharacter(QStringLiteral("Listen"), {true});
    QStringList names;
    for (const CliCommand& command : call.commands) {
        names << command.name;
    }
    err_ << "horalia-agent: listening for " << names.join(QStringLiteral(", ")) << "; Ctrl+C ends\n";
    err_.flush();
    QEventLoop loop;
    while (!engineGone_) {
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    return failed(QStringLiteral("the engine has left the bus"));
}

int BusClient::script(QTextStream& input) {
    bool allWell = true;
    QList<QPair<uint, QString>> requests;
    for (int number = 1; !input.atEnd(); ++number) {
        const Result<std::optional<ScriptRequest>> line = parseRequestLine(input.readLine());
        if (!line) {
            failed(QStringLiteral("line %1: %2").arg(number).arg(line.error()));
            allWell = false;
            continue;
        }
        if (!line->has_value()) {
            continue;
        }
        const ScriptRequest& request = **line;
        const Result<QVariant> reply = callCharacter(request.method, request.arguments);
        if (!reply) {
            failed(QStringLiteral("line %1: %2").arg(number).arg(reply.error()));
            allWell = false;
        } else if (reply->isValid()) {
            // The request's id, for a later Wait, Stop or Interrupt.
            out_ << reply->toUInt() << '\t' << request.method << '\n';
            out_.flush();
            requests.append({reply->toUInt(), request.method});
        }
    }
    for (const auto& [id, method] : requests) {
        const Result<QString> status = waitFor(id);
        if (!status) {
            return failed(status.error());
        }
        if (status->startsWith(QLatin1String("failed"))) {
            failed(QStringLiteral("%1 %2 %3").arg(id).arg(method, *status));
            allWell = false;
        }
    }
    return allWell ? 0 : 1;
}

}  // namespace agent::service

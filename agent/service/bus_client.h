// The engine's client for shells and scripts: carries out what `horalia-agent` is asked to do through the
// engine on the session bus (the clock's, or one the bus starts), and says how it went.
#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTextStream>

#include "agent/result.h"
#include "agent/service/agent_cli.h"

namespace agent::service {

class BusClient : public QObject {
    Q_OBJECT
public:
    // out: what `listen` hears and `run` reports; err: why something failed.
    BusClient(QDBusConnection bus, QTextStream& out, QTextStream& err);

    // Carries out the invocation with the character file given (a path or a bare name); `run` reads its
    // requests from input. 0 when everything was done, 1 otherwise (the reason told on err).
    int run(const AgentInvocation& call, const QString& character, QTextStream& input);

private slots:
    void requestComplete(uint request, const QString& status);
    void command(const QString& name, const QString& source, double confidence, const QString& heard);

private:
    Result<QVariant> call(const QString& path, const QString& interface, const QString& method,
                          const QVariantList& arguments);
    Result<QVariant> callCharacter(const QString& method, const QVariantList& arguments) {
        return call(character_, QString(), method, arguments);
    }
    Status load(const QString& file);
    // Shows the character unless it is already; whether it was.
    Result<bool> show();
    // Waits for the request to end: its status, or why the wait failed.
    Result<QString> waitFor(uint request);
    int sayOrPlay(const QString& method, const QString& what);
    int listen(const AgentInvocation& call);
    int script(QTextStream& input);
    int failed(const QString& why);

    QDBusConnection bus_;
    QTextStream& out_;
    QTextStream& err_;
    QString engine_;     // the engine's unique name on the bus
    QString character_;  // the character's object path
    QHash<uint, QString> ended_;
    bool engineGone_ = false;
};

}  // namespace agent::service

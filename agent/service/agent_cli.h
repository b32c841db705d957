// What `horalia-agent`, the engine's client for shells and scripts, is asked to do: its arguments, and the
// requests that `horalia-agent run` reads from standard input, one a line:
//
//   Show                 Show fast           Hide                Hide fast
//   Speak Hello there    Speak "  spaced  "  Think ...           Play Wave
//   MoveTo 100 200 500   GestureAt 640 0     Wait 7              Stop 7
//   StopAll              Interrupt 7         Listen on           # a comment
//
// The names are the engine's requests on the bus, in any case; the text of Speak, Think and Play is the rest
// of the line, or a quoted text with \" and \\ inside.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

#include "agent/result.h"

namespace agent::service {

struct CliCommand {
    QString name;
    QString phrase;  // as the engine's voice commands are written: "what [is] the time"
};

struct AgentInvocation {
    enum class Verb { Say, Play, Listen, Run };
    Verb verb = Verb::Run;
    QString character;  // a file or a bare name; empty for the default one
    QString text;       // what Say says, the animation Play plays
    QList<CliCommand> commands;
};

// The arguments after the program's name. The failure is a usage message.
Result<AgentInvocation> parseAgentArguments(const QStringList& arguments);

struct ScriptRequest {
    QString method;          // as the bus names it: "MoveTo"
    QVariantList arguments;  // typed as the method takes them
};

// One line of `horalia-agent run`; nothing for a blank line or a comment.
Result<std::optional<ScriptRequest>> parseRequestLine(const QString& line);

}  // namespace agent::service

#include "agent/service/agent_cli.h"

#include <QRegularExpression>
#include <algorithm>
#include <iterator>

namespace agent::service {

namespace {

const QString kUsage = QStringLiteral(
    "usage: horalia-agent say [--character FILE] TEXT\n"
    "       horalia-agent play [--character FILE] ANIMATION\n"
    "       horalia-agent listen [--character FILE] --command NAME=PHRASE ...\n"
    "       horalia-agent run [--character FILE]   (requests from standard input, one a line)\n"
    "       horalia-agent serve [--linger SECONDS]  (the engine itself, as the bus starts it)");

Failure usage(const QString& why) {
    return fail(why + u'\n' + kUsage);
}

// A request and the types of its arguments: s a text (the rest of the line), b yes or no, i a number, u a
// number of zero or more. A method whose last argument is optional takes no for it when it is left out.
struct Method {
    const char* name;
    const char* signature;
    bool lastOptional = false;
};
constexpr Method kMethods[] = {{"Show", "b", true}, {"Hide", "b", true}, {"Speak", "s"},
                               {"Think", "s"},      {"Play", "s"},       {"MoveTo", "iii"},
                               {"GestureAt", "ii"}, {"Wait", "u"},       {"Stop", "u"},
                               {"StopAll", ""},     {"Interrupt", "u"},  {"Listen", "b"}};

std::optional<bool> yesOrNo(const QString& word) {
    static const QStringList yes{"fast", "on", "yes", "true", "1"};
    static const QStringList no{"slow", "off", "no", "false", "0"};
    if (yes.contains(word, Qt::CaseInsensitive)) {
        return true;
    }
    if (no.contains(word, Qt::CaseInsensitive)) {
        return false;
    }
    return std::nullopt;
}

// The text of a line's rest: as it stands, or between quotes with \" and \\ inside.
Result<QString> textOf(const QString& rest) {
    if (!rest.startsWith(u'"')) {
        return rest;
    }
    QString text;
    for (qsizetype i = 1; i < rest.size(); ++i) {
        if (rest[i] == u'\\' && i + 1 < rest.size()) {
            text += rest[++i];
        } else if (rest[i] == u'"') {
            if (!rest.sliced(i + 1).trimmed().isEmpty()) {
                return fail(QStringLiteral("text after the closing quote"));
            }
            return text;
        } else {
            text += rest[i];
        }
    }
    return fail(QStringLiteral("a quote is not closed"));
}

}  // namespace

Result<AgentInvocation> parseAgentArguments(const QStringList& arguments) {
    if (arguments.isEmpty()) {
        return usage(QStringLiteral("horalia-agent: say what to do"));
    }
    AgentInvocation call;
    const QString verb = arguments.front();
    if (verb == u"say") {
        call.verb = AgentInvocation::Verb::Say;
    } else if (verb == u"play") {
        call.verb = AgentInvocation::Verb::Play;
    } else if (verb == u"listen") {
        call.verb = AgentInvocation::Verb::Listen;
    } else if (verb == u"run") {
        call.verb = AgentInvocation::Verb::Run;
    } else {
        return usage(QStringLiteral("horalia-agent: no such action: %1").arg(verb));
    }
    QStringList words;
    bool optionsEnd = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (optionsEnd || !arg.startsWith(QStringLiteral("--"))) {
            words << arg;
            continue;
        }
        if (arg == u"--") {
            optionsEnd = true;
            continue;
        }
        const QString name = arg.section(u'=', 0, 0);
        QString value;
        if (arg.contains(u'=')) {
            value = arg.section(u'=', 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return usage(QStringLiteral("horalia-agent: %1 needs a value").arg(name));
        }
        if (name == u"--character" && !value.isEmpty()) {
            call.character = value;
        } else if (name == u"--command" && call.verb == AgentInvocation::Verb::Listen) {
            const qsizetype equals = value.indexOf(u'=');
            if (equals <= 0 || value.sliced(equals + 1).trimmed().isEmpty()) {
                return usage(
                    QStringLiteral("horalia-agent: --command wants NAME=PHRASE, not \"%1\"").arg(value));
            }
            call.commands.append({value.first(equals), value.sliced(equals + 1)});
        } else {
            return usage(QStringLiteral("horalia-agent %1: no option %2 with the value \"%3\"")
                             .arg(verb, name, value));
        }
    }
    switch (call.verb) {
        case AgentInvocation::Verb::Say:
            call.text = words.join(u' ');
            if (call.text.trimmed().isEmpty()) {
                return usage(QStringLiteral("horalia-agent say: what should be said?"));
            }
            return call;
        case AgentInvocation::Verb::Play:
            if (words.size() != 1) {
                return usage(QStringLiteral("horalia-agent play: name one animation"));
            }
            call.text = words.front();
            return call;
        case AgentInvocation::Verb::Listen:
            if (call.commands.isEmpty()) {
                return usage(QStringLiteral("horalia-agent listen: name at least one --command"));
            }
            break;
        case AgentInvocation::Verb::Run:
            break;
    }
    if (!words.isEmpty()) {
        return usage(QStringLiteral("horalia-agent %1: what is \"%2\"?").arg(verb, words.front()));
    }
    return call;
}

Result<std::optional<ScriptRequest>> parseRequestLine(const QString& line) {
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u'#')) {
        return std::optional<ScriptRequest>();
    }
    static const QRegularExpression space(QStringLiteral("\\s+"));
    const qsizetype gap = trimmed.indexOf(space);
    const QString name = gap < 0 ? trimmed : trimmed.first(gap);
    const QString rest = gap < 0 ? QString() : trimmed.sliced(gap).trimmed();
    const auto method = std::find_if(std::begin(kMethods), std::end(kMethods), [&](const Method& m) {
        return name.compare(QLatin1StringView(m.name), Qt::CaseInsensitive) == 0;
    });
    if (method == std::end(kMethods)) {
        return fail(QStringLiteral("no request \"%1\"").arg(name));
    }
    ScriptRequest request{QString::fromLatin1(method->name), {}};
    const QByteArrayView signature(method->signature);
    if (signature == "s") {
        Result<QString> text = textOf(rest);
        if (!text) {
            return fail(QStringLiteral("%1: %2").arg(request.method, text.error()));
        }
        if (text->isEmpty()) {
            return fail(QStringLiteral("%1 wants a text").arg(request.method));
        }
        request.arguments << *text;
        return std::optional(request);
    }
    QStringList words = rest.split(space, Qt::SkipEmptyParts);
    if (method->lastOptional && words.size() + 1 == signature.size()) {
        words << QStringLiteral("no");
    }
    if (words.size() != signature.size()) {
        return fail(QStringLiteral("%1 takes %2 value%3, not %4")
                        .arg(request.method)
                        .arg(signature.size())
                        .arg(signature.size() == 1 ? "" : "s")
                        .arg(words.size()));
    }
    for (qsizetype i = 0; i < signature.size(); ++i) {
        bool ok = false;
        if (signature[i] == 'b') {
            const std::optional<bool> value = yesOrNo(words[i]);
            ok = value.has_value();
            request.arguments << value.value_or(false);
        } else if (signature[i] == 'i') {
            request.arguments << words[i].toInt(&ok);
        } else {
            request.arguments << words[i].toUInt(&ok);
        }
        if (!ok) {
            return fail(
                QStringLiteral("%1: \"%2\" is no %3")
                    .arg(request.method, words[i],
                         signature[i] == 'b' ? QStringLiteral("yes or no") : QStringLiteral("number")));
        }
    }
    return std::optional(request);
}

}  // namespace agent::service

#include "agent/service/agent_cli.h"

#include <gtest/gtest.h>

namespace agent::service {
namespace {

using Verb = AgentInvocation::Verb;

TEST(AgentCli, ArgumentsSayWhatToDo) {
    struct Case {
        QStringList arguments;
        Verb verb;
        QString character;
        QString text;
        int commands;
    } cases[] = {
        {{"say", "The", "backup", "is", "done"}, Verb::Say, {}, "The backup is done", 0},
        {{"say", "--character", "genie", "Hello"}, Verb::Say, "genie", "Hello", 0},
        {{"say", "--character=/tmp/a b.acs", "--", "--not-an-option"},
         Verb::Say,
         "/tmp/a b.acs",
         "--not-an-option",
         0},
        {{"play", "Wave", "--character", "max"}, Verb::Play, "max", "Wave", 0},
        {{"listen", "--command", "Open=open [the] door", "--command=Stop=stop"}, Verb::Listen, {}, {}, 2},
        {{"run"}, Verb::Run, {}, {}, 0},
    };
    for (const Case& c : cases) {
        const Result<AgentInvocation> call = parseAgentArguments(c.arguments);
        ASSERT_TRUE(call) << c.arguments.join(u' ').toStdString() << ": " << call.error().toStdString();
        EXPECT_EQ(call->verb, c.verb);
        EXPECT_EQ(call->character, c.character);
        EXPECT_EQ(call->text, c.text);
        EXPECT_EQ(call->commands.size(), c.commands);
    }
    const auto listen = parseAgentArguments({"listen", "--command", "Open=open = the door"});
    ASSERT_TRUE(listen);
    EXPECT_EQ(listen->commands.front().name, "Open");
    EXPECT_EQ(listen->commands.front().phrase, "open = the door");
}

TEST(AgentCli, WrongArgumentsAreRefusedWithUsage) {
    const QStringList refused[] = {{},
                                   {"shout", "hi"},
                                   {"say"},
                                   {"say", "  "},
                                   {"say", "--character"},
                                   {"say", "--voice", "x", "hi"},
                                   {"play"},
                                   {"play", "Wave", "Bow"},
                                   {"listen"},
                                   {"listen", "--command", "NoPhrase"},
                                   {"listen", "--command", "=phrase"},
                                   {"listen", "--command", "Open= "},
                                   {"say", "--command", "a=b", "hi"},
                                   {"run", "extra"}};
    for (const QStringList& arguments : refused) {
        const Result<AgentInvocation> call = parseAgentArguments(arguments);
        EXPECT_FALSE(call) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(call.error().contains(u"usage: horalia-agent say")) << call.error().toStdString();
    }
}

TEST(AgentCli, RequestLinesBecomeTypedRequests) {
    struct Case {
        const char* line;
        const char* method;
        QVariantList arguments;
    } cases[] = {
        {"Show", "Show", {false}},
        {"  hide FAST ", "Hide", {true}},
        {"Speak Hello,  there!", "Speak", {"Hello,  there!"}},
        {"Speak \"  \\\"quoted\\\" \\\\ \"", "Speak", {"  \"quoted\" \\ "}},
        {"think \\mrk=3\\ hm", "Think", {"\\mrk=3\\ hm"}},
        {"Play Wave", "Play", {"Wave"}},
        {"MoveTo -20 300 500", "MoveTo", {-20, 300, 500}},
        {"GestureAt 640\t0", "GestureAt", {640, 0}},
        {"Wait 4294967295", "Wait", {4294967295u}},
        {"StopAll", "StopAll", {}},
        {"Listen off", "Listen", {false}},
    };
    for (const Case& c : cases) {
        const auto request = parseRequestLine(QString::fromUtf8(c.line));
        ASSERT_TRUE(request && *request) << c.line << ": " << request.error().toStdString();
        EXPECT_EQ((*request)->method, c.method) << c.line;
        EXPECT_EQ((*request)->arguments, c.arguments) << c.line;
    }
    for (const char* nothing : {"", "   ", "# Speak not this"}) {
        const auto request = parseRequestLine(QString::fromUtf8(nothing));
        ASSERT_TRUE(request);
        EXPECT_FALSE(*request) << nothing;
    }
}

TEST(AgentCli, WrongRequestLinesSayWhy) {
    struct Case {
        const char* line;
        const char* why;
    } cases[] = {
        {"Dance", "no request \"Dance\""},
        {"Speak", "Speak wants a text"},
        {"Speak \"unclosed", "a quote is not closed"},
        {"Speak \"a\" b", "text after the closing quote"},
        {"MoveTo 1 2", "MoveTo takes 3 values, not 2"},
        {"MoveTo 1 2 3 4", "takes 3 values"},
        {"MoveTo 1 x 3", "\"x\" is no number"},
        {"MoveTo 99999999999 0 0", "is no number"},
        {"Wait -1", "\"-1\" is no number"},
        {"Show maybe", "\"maybe\" is no yes or no"},
        {"Listen", "Listen takes 1 value, not 0"},
        {"StopAll now", "takes 0 values"},
    };
    for (const Case& c : cases) {
        const auto request = parseRequestLine(QString::fromUtf8(c.line));
        ASSERT_FALSE(request) << c.line;
        EXPECT_TRUE(request.error().contains(QString::fromUtf8(c.why)))
            << c.line << ": " << request.error().toStdString();
    }
}

}  // namespace
}  // namespace agent::service

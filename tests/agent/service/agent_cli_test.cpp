#include "agent/service/agent_cli.h"

#include <gtest/gtest.h>

namespace agent::service {
namespace {

using Verb = AgentInvocation::Verb;

TEST(AgentCli, ArgumentsSayWhatToDoAndWrongOnesAreRefusedWithUsage) {
    struct Case {
        const char* arguments;  // written with bars between them
        Verb verb;
        QString character;
        QString text;
        int commands;
    } cases[] = {
        {"say|--character=/tmp/a b.acs|--|--not-an-option|now", Verb::Say, "/tmp/a b.acs",
         "--not-an-option now", 0},
        {"play|Wave|--character|max", Verb::Play, "max", "Wave", 0},
        {"listen|--command|Open=open = the door|--command=Stop=stop", Verb::Listen, {}, {}, 2},
        {"run", Verb::Run, {}, {}, 0},
    };
    for (const Case& c : cases) {
        const auto call = parseAgentArguments(QString::fromUtf8(c.arguments).split(u'|'));
        ASSERT_TRUE(call) << c.arguments << ": " << call.error().toStdString();
        EXPECT_EQ(call->verb, c.verb);
        EXPECT_EQ(call->character, c.character);
        EXPECT_EQ(call->text, c.text);
        EXPECT_EQ(call->commands.size(), c.commands);
        if (c.commands > 0) {
            EXPECT_EQ(call->commands.front().name, "Open");
            EXPECT_EQ(call->commands.front().phrase, "open = the door");
        }
    }
    for (const char* refused :
         {"", "shout|hi", "say", "say|--character", "say|--voice|x|hi", "play", "listen",
          "listen|--command|NoPhrase", "listen|--command|Open= ", "say|--command|a=b|hi", "run|extra"}) {
        const auto call = parseAgentArguments(QString::fromUtf8(refused).split(u'|', Qt::SkipEmptyParts));
        EXPECT_FALSE(call) << refused;
        EXPECT_TRUE(call.error().contains(u"usage: horalia-agent say")) << call.error().toStdString();
    }
}

TEST(AgentCli, RequestLinesBecomeTypedRequestsOrSayWhyNot) {
    struct Case {
        const char* line;
        const char* method;
        QVariantList arguments;
    } cases[] = {
        {"Show", "Show", {false}},
        {"  hide FAST ", "Hide", {true}},
        {"Speak Hello,  there!", "Speak", {"Hello,  there!"}},
        {"Speak \"  \\\"quoted\\\" \\\\ \"", "Speak", {"  \"quoted\" \\ "}},
        {"MoveTo -20 300 500", "MoveTo", {-20, 300, 500}},
        {"Wait 4294967295", "Wait", {4294967295u}},
        {"StopAll", "StopAll", {}},
    };
    for (const Case& c : cases) {
        const auto request = parseRequestLine(QString::fromUtf8(c.line));
        ASSERT_TRUE(request && *request) << c.line << ": " << request.error().toStdString();
        EXPECT_EQ((*request)->method, c.method) << c.line;
        EXPECT_EQ((*request)->arguments, c.arguments) << c.line;
    }
    for (const char* nothing : {"", "# Speak not this"}) {
        const auto request = parseRequestLine(QString::fromUtf8(nothing));
        ASSERT_TRUE(request);
        EXPECT_FALSE(*request) << nothing;
    }
    const struct {
        const char* line;
        const char* why;
    } wrong[] = {
        {"Dance", "no request \"Dance\""},
        {"Speak", "Speak wants a text"},
        {"Speak \"unclosed", "a quote is not closed"},
        {"Speak \"a\" b", "text after the closing quote"},
        {"MoveTo 1 2", "MoveTo takes 3 values, not 2"},
        {"MoveTo 1 x 3", "\"x\" is no number"},
        {"Wait -1", "\"-1\" is no number"},
        {"Show maybe", "\"maybe\" is no yes or no"},
        {"Listen", "Listen takes 1 value, not 0"},
    };
    for (const auto& c : wrong) {
        const auto request = parseRequestLine(QString::fromUtf8(c.line));
        ASSERT_FALSE(request) << c.line;
        EXPECT_TRUE(request.error().contains(QString::fromUtf8(c.why)))
            << c.line << ": " << request.error().toStdString();
    }
}

}  // namespace
}  // namespace agent::service

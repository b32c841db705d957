// The service's parts away from the bus: horalia-agent's arguments and request lines; what the service
// shares out, beyond what its own test on a real bus reaches (holds and their limits, the order of requests,
// each client's commands); and where a character may stand on the screens.
#include <gtest/gtest.h>

#include <climits>

#include "agent/service/agent_cli.h"
#include "agent/service/client_sharing.h"
#include "agent/service/screen_position.h"

namespace agent::service {
namespace {

TEST(AgentCli, ArgumentsAndRequestLinesSayWhatToDoAndWrongOnesAreRefused) {
    using Verb = AgentInvocation::Verb;
    // the arguments written with bars between them, the verb, character, text and count of commands
    const std::tuple<const char*, Verb, QString, QString, int> cases[] = {
        {"say|--character=/tmp/a b.acs|--|--not-an-option|now", Verb::Say, "/tmp/a b.acs",
         "--not-an-option now", 0},
        {"play|Wave|--character|max", Verb::Play, "max", "Wave", 0},
        {"listen|--command|Open=open = the door|--command=Stop=stop", Verb::Listen, {}, {}, 2},
        {"run", Verb::Run, {}, {}, 0},
    };
    for (const auto& [arguments, verb, character, text, commands] : cases) {
        const auto call = parseAgentArguments(QString::fromUtf8(arguments).split(u'|'));
        ASSERT_TRUE(call) << arguments << ": " << call.error().toStdString();
        EXPECT_EQ(std::tuple(call->verb, call->character, call->text, call->commands.size()),
                  std::tuple(verb, character, text, commands));
        if (commands > 0) {
            EXPECT_EQ(call->commands.front().name + u'|' + call->commands.front().phrase,
                      "Open|open = the door");
        }
    }
    for (const char* refused :
         {"", "shout|hi", "say", "say|--character", "say|--voice|x|hi", "play", "listen",
          "listen|--command|NoPhrase", "listen|--command|Open= ", "say|--command|a=b|hi", "run|extra"}) {
        const auto call = parseAgentArguments(QString::fromUtf8(refused).split(u'|', Qt::SkipEmptyParts));
        EXPECT_TRUE(call.error().contains(u"usage: horalia-agent say")) << refused;
    }

    // Request lines become typed requests or say why not.
    const std::tuple<const char*, const char*, QVariantList> requests[] = {
        {"Show", "Show", {false}},
        {"  hide FAST ", "Hide", {true}},
        {"Speak Hello,  there!", "Speak", {"Hello,  there!"}},
        {"Speak \"  \\\"quoted\\\" \\\\ \"", "Speak", {"  \"quoted\" \\ "}},
        {"MoveTo -20 300 500", "MoveTo", {-20, 300, 500}},
        {"Wait 4294967295", "Wait", {4294967295u}},
        {"StopAll", "StopAll", {}},
    };
    for (const auto& [line, method, arguments] : requests) {
        const auto request = parseRequestLine(QString::fromUtf8(line));
        ASSERT_TRUE(request && *request) << line << ": " << request.error().toStdString();
        EXPECT_EQ(std::pair((*request)->method, (*request)->arguments),
                  std::pair(QString(method), arguments));
    }
    for (const char* nothing : {"", "# Speak not this"}) {
        const auto request = parseRequestLine(QString::fromUtf8(nothing));
        EXPECT_TRUE(request && !*request) << nothing;
    }
    for (const auto& [line, why] : {std::pair{"Dance", "no request \"Dance\""},
                                    {"Speak", "Speak wants a text"},
                                    {"Speak \"unclosed", "a quote is not closed"},
                                    {"Speak \"a\" b", "text after the closing quote"},
                                    {"MoveTo 1 2", "MoveTo takes 3 values, not 2"},
                                    {"MoveTo 1 x 3", "\"x\" is no number"},
                                    {"Wait -1", "\"-1\" is no number"},
                                    {"Show maybe", "\"maybe\" is no yes or no"},
                                    {"Listen", "Listen takes 1 value, not 0"}}) {
        const auto request = parseRequestLine(QString::fromUtf8(line));
        EXPECT_TRUE(request.error().contains(QString::fromUtf8(why)))
            << line << ": " << request.error().toStdString();
    }
}

const ClientId kClock = QStringLiteral("clock");
const ClientId kA = QStringLiteral(":1.7");
const ClientId kB = QStringLiteral(":1.9");
const QString kMax = QStringLiteral("/usr/share/horalia/characters/max.acs");
const QString kGenie = QStringLiteral("/home/u/genie.acs");
const QString kOther = QStringLiteral("/c.acs");

TEST(ClientSharing, HoldsLimitsRequestsInOrderEachClientsCommandsAndWhereACharacterStands) {
    ClientSharing sharing(ClientLimits{2, 10, 3, 4});
    const auto max = sharing.hold(kA, kMax);
    const auto again = sharing.hold(kA, kMax);
    ASSERT_TRUE(max && again && sharing.hold(kA, kGenie));
    EXPECT_TRUE(max->isNew && !again->isNew && again->character == max->character);
    EXPECT_FALSE(sharing.hold(kA, kOther)) << "a third character";
    const int other = sharing.hold(kB, kOther)->character;
    EXPECT_FALSE(sharing.hold(kA, kOther)) << "a third, though another loaded it";
    EXPECT_TRUE(sharing.hold(kA, kMax)) << "one it holds already";
    EXPECT_EQ(sharing.characters().size(), 3);
    EXPECT_FALSE(sharing.queue(kA, 99)) << "no such character";

    EXPECT_TRUE(sharing.queue(kA, max->character, 10)) << "text at the limit";
    EXPECT_FALSE(sharing.queue(kA, max->character, 11));
    const RequestId others = *sharing.queue(kB, other);
    const RequestId second = *sharing.queue(kA, max->character);
    const RequestId third = *sharing.queue(kA, max->character);
    EXPECT_TRUE(others < second && second < third);
    EXPECT_TRUE(sharing.queue(kA, max->character).error().contains(u"3 requests"));
    EXPECT_EQ(sharing.finish(third).value_or(Request{}).client, kA);
    EXPECT_FALSE(sharing.finish(third)) << "ended twice";
    EXPECT_TRUE(sharing.queue(kA, max->character)) << "an ended request makes room";
    EXPECT_EQ(sharing.requestsOf(kA).size(), 3);

    // a file loaded anew gets a new number, never one a client may still hold on to
    EXPECT_EQ(sharing.release(kA, max->character).valueOr(false), true);
    EXPECT_TRUE(sharing.requestsOf(kA).isEmpty() && !sharing.fileOf(max->character));
    const ClientSharing::Hold reloaded = sharing.hold(kB, kMax).valueOr({});
    EXPECT_TRUE(reloaded.isNew && reloaded.character > other);

    // Commands are each client's own and kept together.
    ClientSharing menus;
    const int maxId = menus.hold(kClock, kMax)->character;
    ASSERT_TRUE(menus.hold(kA, kMax) && menus.hold(kB, kMax));
    const int genieId = menus.hold(kA, kGenie)->character;
    // "Open" is added twice; the caller is the owner, whatever the command says.
    for (const auto& [client, name, owner] : {std::tuple{kClock, "Time", ClientId()},
                                              {kA, "Open", {}},
                                              {kB, "Open", {}},
                                              {kA, "Close", {}},
                                              {kA, "Open", {}},
                                              {kA, "Spoof", kB}}) {
        ASSERT_TRUE(menus.addCommand(client, maxId, {owner, name, "Backup", {}})) << name;
    }
    QStringList names;
    for (const ClientCommand& c : menus.commands(maxId)) {
        names << c.client + u'/' + c.name;
    }
    EXPECT_EQ(names, (QStringList{"clock/Time", ":1.7/Open", ":1.7/Close", ":1.7/Spoof", ":1.9/Open"}));

    // no name, a name too long, a caption or a phrase too long, a character not held
    EXPECT_FALSE(menus.addCommand(kA, maxId, {{}, QString(), {}, {}}));
    EXPECT_FALSE(menus.addCommand(kA, maxId, {{}, QString(257, u'x'), {}, {}}));
    EXPECT_FALSE(menus.addCommand(kA, maxId, {{}, "x", QString(10001, u'c'), {}}));
    EXPECT_FALSE(menus.addCommand(kA, maxId, {{}, "x", {}, QString(10001, u'v')}));
    EXPECT_FALSE(menus.addCommand(kB, genieId, {{}, "x", {}, {}}));
    EXPECT_FALSE(menus.removeCommand(kA, maxId, "Time")) << "the clock's";
    EXPECT_FALSE(menus.removeCommand(kB, genieId, "Time"));
    EXPECT_TRUE(menus.removeCommand(kA, maxId, "Close"));

    // Leaving: a character of the leaver's alone goes, a shared one loses the leaver's commands.
    ASSERT_TRUE(menus.hold(kA, kOther) && menus.hold(kB, kOther));
    const Departure gone = menus.leave(kA);
    EXPECT_EQ(std::pair(gone.unload, gone.menusChanged), std::pair(QList<int>{genieId}, QList<int>{maxId}));
    EXPECT_EQ(menus.commands(maxId).size(), 2);

    // A character stays whole on the screen it is most on: a wide screen, and a smaller one to its right
    // whose foot is higher.
    const QList<QRect> two{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    const QSize size(128, 128);
    const std::tuple<const char*, QPoint, QSize, QPoint> positions[] = {
        {"at the far corner of the first", {1792, 952}, size, {1792, 952}},
        {"past the left edge", {-50, 200}, size, {0, 200}},
        {"across both, mostly on the second", {1900, 10}, size, {1920, 10}},
        {"across both, mostly on the first", {1850, 10}, size, {1792, 10}},
        {"in the corner below the second screen", {2000, 1050}, size, {2000, 896}},
        {"at the limits of int", {INT_MAX, INT_MAX}, size, {3072, 896}},
        {"at the other limits", {INT_MIN, INT_MIN}, size, {0, 0}},
        {"larger than any screen", {300, 300}, {4000, 2000}, {0, 0}},
        {"a size below nothing", {3250, 1030}, {-100, -100}, {3200, 1024}},
    };
    for (const auto& [what, wanted, box, expected] : positions) {
        EXPECT_EQ(keepOnScreens(wanted, box, two), expected) << what;
    }
    EXPECT_EQ(keepOnScreens({INT_MAX, -7}, size, {}), QPoint(INT_MAX, -7)) << "no screens";
}

}  // namespace
}  // namespace agent::service

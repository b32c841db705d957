// What the bus service shares out, beyond what its own test on a real bus reaches: holds and their limits,
// the order of requests, and each client's commands.
#include "agent/service/client_sharing.h"

#include <gtest/gtest.h>

namespace agent::service {
namespace {

const ClientId kClock = QStringLiteral("clock");
const ClientId kA = QStringLiteral(":1.7");
const ClientId kB = QStringLiteral(":1.9");
const QString kMax = QStringLiteral("/usr/share/horalia/characters/max.acs");
const QString kGenie = QStringLiteral("/home/u/genie.acs");
const QString kOther = QStringLiteral("/c.acs");

TEST(ClientSharing, HoldsLimitsAndRequestsInOrder) {
    ClientSharing sharing(ClientLimits{2, 10, 3, 4});
    const auto max = sharing.hold(kA, kMax);
    const auto again = sharing.hold(kA, kMax);
    ASSERT_TRUE(max && again && sharing.hold(kA, kGenie));
    EXPECT_TRUE(max->isNew);
    EXPECT_FALSE(again->isNew);
    EXPECT_EQ(again->character, max->character);
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
    EXPECT_LT(others, second);
    EXPECT_LT(second, third);
    const auto fourth = sharing.queue(kA, max->character);
    ASSERT_FALSE(fourth);
    EXPECT_TRUE(fourth.error().contains(u"3 requests")) << fourth.error().toStdString();
    const auto ended = sharing.finish(third);
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->client, kA);
    EXPECT_FALSE(sharing.finish(third)) << "ended twice";
    EXPECT_TRUE(sharing.queue(kA, max->character)) << "an ended request makes room";
    EXPECT_EQ(sharing.requestsOf(kA).size(), 3);

    // a file loaded anew gets a new number, never one a client may still hold on to
    EXPECT_EQ(sharing.release(kA, max->character).valueOr(false), true);
    EXPECT_TRUE(sharing.requestsOf(kA).isEmpty());
    EXPECT_FALSE(sharing.fileOf(max->character));
    const auto reloaded = sharing.hold(kB, kMax);
    ASSERT_TRUE(reloaded);
    EXPECT_TRUE(reloaded->isNew);
    EXPECT_GT(reloaded->character, other);
}

TEST(ClientSharing, CommandsAreEachClientsOwnAndKeptTogether) {
    ClientSharing sharing;
    const int max = sharing.hold(kClock, kMax)->character;
    ASSERT_TRUE(sharing.hold(kA, kMax) && sharing.hold(kB, kMax));
    const int genie = sharing.hold(kA, kGenie)->character;
    const auto add = [&](const ClientId& client, const char* name) {
        return sharing.addCommand(client, max, {{}, QString::fromUtf8(name), QStringLiteral("Backup"), {}});
    };
    ASSERT_TRUE(add(kClock, "Time"));
    ASSERT_TRUE(add(kA, "Open"));
    ASSERT_TRUE(add(kB, "Open"));
    ASSERT_TRUE(add(kA, "Close"));
    ASSERT_TRUE(add(kA, "Open")) << "added again";
    EXPECT_TRUE(sharing.addCommand(kA, max, {kB, QStringLiteral("Spoof"), {}, {}}))
        << "the caller is the owner, whatever the command says";
    QStringList names;
    for (const ClientCommand& c : sharing.commands(max)) {
        names << c.client + u'/' + c.name;
    }
    EXPECT_EQ(names, (QStringList{"clock/Time", ":1.7/Open", ":1.7/Close", ":1.7/Spoof", ":1.9/Open"}));

    // no name, a name too long, a caption or a phrase too long, a character not held
    EXPECT_FALSE(sharing.addCommand(kA, max, {{}, QString(), {}, {}}));
    EXPECT_FALSE(sharing.addCommand(kA, max, {{}, QString(257, u'x'), {}, {}}));
    EXPECT_FALSE(sharing.addCommand(kA, max, {{}, QStringLiteral("x"), QString(10001, u'c'), {}}));
    EXPECT_FALSE(sharing.addCommand(kA, max, {{}, QStringLiteral("x"), {}, QString(10001, u'v')}));
    EXPECT_FALSE(sharing.addCommand(kB, genie, {{}, QStringLiteral("x"), {}, {}}));
    EXPECT_FALSE(sharing.removeCommand(kA, max, QStringLiteral("Time"))) << "the clock's";
    EXPECT_FALSE(sharing.removeCommand(kB, genie, QStringLiteral("Time")));
    EXPECT_TRUE(sharing.removeCommand(kA, max, QStringLiteral("Close")));

    // Leaving: a character of the leaver's alone goes, a shared one loses the leaver's commands.
    ASSERT_TRUE(sharing.hold(kA, kOther) && sharing.hold(kB, kOther));
    const Departure gone = sharing.leave(kA);
    EXPECT_EQ(gone.unload, QList<int>{genie});
    EXPECT_EQ(gone.menusChanged, QList<int>{max});
    EXPECT_EQ(sharing.commands(max).size(), 2);
}

}  // namespace
}  // namespace agent::service

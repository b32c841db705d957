#include "agent/service/client_sharing.h"

#include <gtest/gtest.h>

namespace agent::service {
namespace {

const ClientId kClock = QStringLiteral("clock");
const ClientId kA = QStringLiteral(":1.7");
const ClientId kB = QStringLiteral(":1.9");
const QString kMax = QStringLiteral("/usr/share/horalia/characters/max.acs");
const QString kGenie = QStringLiteral("/home/u/genie.acs");

QStringList names(const QList<ClientCommand>& commands) {
    QStringList all;
    for (const ClientCommand& c : commands) {
        all << c.client + u'/' + c.name;
    }
    return all;
}

TEST(ClientSharing, AFileIsLoadedOnceAndUnloadedWhenItsLastHolderLetsGo) {
    ClientSharing sharing;
    const auto clock = sharing.hold(kClock, kMax);
    const auto a = sharing.hold(kA, kMax);
    const auto again = sharing.hold(kA, kMax);
    const auto genie = sharing.hold(kA, kGenie);
    ASSERT_TRUE(clock && a && again && genie);
    EXPECT_TRUE(clock->isNew);
    EXPECT_FALSE(a->isNew);
    EXPECT_EQ(a->character, clock->character);
    EXPECT_EQ(again->character, clock->character);
    EXPECT_NE(genie->character, clock->character);
    EXPECT_EQ(sharing.charactersOf(kA), (QList<int>{clock->character, genie->character}));

    // held once however often loaded: one release ends the client's hold, the clock's goes on
    EXPECT_EQ(sharing.release(kA, clock->character).valueOr(true), false);
    EXPECT_FALSE(sharing.holds(kA, clock->character));
    EXPECT_TRUE(sharing.holds(kClock, clock->character));
    EXPECT_FALSE(sharing.release(kA, clock->character)) << "a hold ended twice";
    EXPECT_FALSE(sharing.release(kB, genie->character)) << "another's hold ended";
    EXPECT_FALSE(sharing.release(kA, 99)) << "no such character";
    EXPECT_EQ(sharing.release(kClock, clock->character).valueOr(false), true);
    EXPECT_EQ(sharing.characters(), QList<int>{genie->character});
    EXPECT_FALSE(sharing.fileOf(clock->character));

    // a file loaded anew gets a new number, never one a client may still hold on to
    const auto reloaded = sharing.hold(kB, kMax);
    ASSERT_TRUE(reloaded);
    EXPECT_TRUE(reloaded->isNew);
    EXPECT_GT(reloaded->character, genie->character);
    sharing.drop(reloaded->character);
    EXPECT_FALSE(sharing.holds(kB, reloaded->character));
}

TEST(ClientSharing, LimitsRefuseWhatIsTooMuchAndNothingElse) {
    ClientSharing sharing(ClientLimits{2, 10, 3, 4});
    const int max = sharing.hold(kA, kMax)->character;
    ASSERT_TRUE(sharing.hold(kA, kGenie));
    EXPECT_FALSE(sharing.hold(kA, QStringLiteral("/c.acs"))) << "a third character";
    ASSERT_TRUE(sharing.hold(kB, QStringLiteral("/c.acs")));
    EXPECT_FALSE(sharing.hold(kA, QStringLiteral("/c.acs"))) << "a third, though another loaded it";
    EXPECT_TRUE(sharing.hold(kA, kMax)) << "one it holds already";

    struct Case {
        const char* what;
        qsizetype length;
        bool taken;
    } cases[] = {{"no text", 0, true}, {"text at the limit", 10, true}, {"longer text", 11, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(sharing.queue(kA, max, c.length).ok(), c.taken) << c.what;
    }
    const auto third = sharing.queue(kA, max);
    ASSERT_TRUE(third);
    const auto fourth = sharing.queue(kA, max);
    ASSERT_FALSE(fourth);
    EXPECT_TRUE(fourth.error().contains(u"3 requests")) << fourth.error().toStdString();
    EXPECT_TRUE(sharing.queue(kB, sharing.hold(kB, kMax)->character)) << "each client has its own queue";
    ASSERT_TRUE(sharing.finish(*third));
    EXPECT_TRUE(sharing.queue(kA, max)) << "an ended request makes room";
    EXPECT_FALSE(sharing.queue(kA, 99)) << "no such character";
    EXPECT_FALSE(sharing.queue(kA, sharing.hold(kB, QStringLiteral("/c.acs"))->character)) << "not held";
}

TEST(ClientSharing, RequestsHaveNumbersInOrderAndBelongToWhoQueuedThem) {
    ClientSharing sharing;
    const int max = sharing.hold(kA, kMax)->character;
    ASSERT_TRUE(sharing.hold(kB, kMax));
    const int genie = sharing.hold(kA, kGenie)->character;
    const RequestId first = *sharing.queue(kA, max);
    const RequestId others = *sharing.queue(kB, max);
    const RequestId second = *sharing.queue(kA, genie);
    const RequestId third = *sharing.queue(kA, max);
    EXPECT_LT(first, others);
    EXPECT_LT(others, second);
    EXPECT_LT(second, third);
    EXPECT_EQ(sharing.requestsOf(kA), (QList<RequestId>{first, second, third}));
    EXPECT_EQ(sharing.requestsOf(kA, max), (QList<RequestId>{first, third}));

    EXPECT_TRUE(sharing.ownRequest(kA, first));
    EXPECT_FALSE(sharing.ownRequest(kA, others)) << "another client's request";
    EXPECT_FALSE(sharing.ownRequest(kA, 0));
    const auto ended = sharing.finish(first);
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->client, kA);
    EXPECT_EQ(ended->character, max);
    EXPECT_FALSE(sharing.finish(first)) << "ended twice";
    EXPECT_FALSE(sharing.ownRequest(kA, first)) << "an ended request";

    // a client letting go of a character forgets its requests to it, not to others nor others' to it
    ASSERT_TRUE(sharing.release(kA, max));
    EXPECT_EQ(sharing.requestsOf(kA), QList<RequestId>{second});
    EXPECT_EQ(sharing.requestsOf(kB), QList<RequestId>{others});
}

TEST(ClientSharing, CommandsAreEachClientsOwnAndKeptTogether) {
    ClientSharing sharing;
    const int max = sharing.hold(kClock, kMax)->character;
    ASSERT_TRUE(sharing.hold(kA, kMax) && sharing.hold(kB, kMax));
    const auto add = [&](const ClientId& client, const char* name) {
        return sharing.addCommand(client, max, {{}, QString::fromUtf8(name), QStringLiteral("Backup"), {}});
    };
    ASSERT_TRUE(add(kClock, "Time"));
    ASSERT_TRUE(add(kA, "Open"));
    ASSERT_TRUE(add(kB, "Open"));
    ASSERT_TRUE(add(kA, "Close"));
    ASSERT_TRUE(add(kA, "Open")) << "added again";
    EXPECT_EQ(names(sharing.commands(max)),
              (QStringList{"clock/Time", ":1.7/Open", ":1.7/Close", ":1.9/Open"}));

    struct Case {
        const char* what;
        QString name;
    } refused[] = {{"no name", {}},
                   {"a name too long", QString(257, u'x')},
                   {"a control character", QStringLiteral("a\nb")},
                   {"a NUL", QString(QChar(0))}};
    for (const Case& c : refused) {
        EXPECT_FALSE(sharing.addCommand(kA, max, {{}, c.name, {}, {}})) << c.what;
    }
    EXPECT_FALSE(sharing.addCommand(kA, max, {{}, QStringLiteral("x"), QString(10001, u'c'), {}}));
    EXPECT_FALSE(sharing.addCommand(kA, max, {{}, QStringLiteral("x"), {}, QString(10001, u'v')}));
    EXPECT_TRUE(sharing.addCommand(kA, max, {kB, QStringLiteral("Spoof"), {}, {}}))
        << "the caller is the owner, whatever the command says";
    EXPECT_EQ(sharing.commands(max).at(3).client, kA);

    EXPECT_FALSE(sharing.removeCommand(kA, max, QStringLiteral("Time"))) << "the clock's";
    EXPECT_TRUE(sharing.removeCommand(kA, max, QStringLiteral("Close")));
    EXPECT_FALSE(sharing.removeCommand(kA, max, QStringLiteral("Close"))) << "removed twice";
    EXPECT_EQ(names(sharing.commands(max)),
              (QStringList{"clock/Time", ":1.7/Open", ":1.7/Spoof", ":1.9/Open"}));
}

TEST(ClientSharing, AClientLeavingTakesAllItOwnedAndNothingElse) {
    ClientSharing sharing;
    const int max = sharing.hold(kClock, kMax)->character;
    ASSERT_TRUE(sharing.hold(kA, kMax));
    const int genie = sharing.hold(kA, kGenie)->character;
    const int shared = sharing.hold(kA, QStringLiteral("/c.acs"))->character;
    ASSERT_TRUE(sharing.hold(kB, QStringLiteral("/c.acs")));
    ASSERT_TRUE(sharing.addCommand(kA, max, {{}, QStringLiteral("Open"), {}, {}}));
    ASSERT_TRUE(sharing.addCommand(kClock, max, {{}, QStringLiteral("Time"), {}, {}}));
    const RequestId clockSpeaks = *sharing.queue(kClock, max);
    const RequestId a1 = *sharing.queue(kA, max);
    const RequestId a2 = *sharing.queue(kA, genie);
    const RequestId a3 = *sharing.queue(kA, shared);

    const Departure gone = sharing.leave(kA);
    EXPECT_EQ(gone.dropped, (QList<RequestId>{a1, a2, a3}));
    EXPECT_EQ(gone.unload, QList<int>{genie});
    EXPECT_EQ(gone.menusChanged, QList<int>{max});
    EXPECT_EQ(names(sharing.commands(max)), QStringList{"clock/Time"});
    EXPECT_EQ(sharing.requestsOf(kClock), QList<RequestId>{clockSpeaks});
    EXPECT_EQ(sharing.characters(), (QList<int>{max, shared}));
    EXPECT_TRUE(sharing.charactersOf(kA).isEmpty());

    const Departure nothing = sharing.leave(kA);
    EXPECT_TRUE(nothing.dropped.isEmpty() && nothing.unload.isEmpty() && nothing.menusChanged.isEmpty());
}

}  // namespace
}  // namespace agent::service

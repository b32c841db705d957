// The engine's service from its clients' side, on a bus of the test's own: the desktop engine in virtual
// time, the clock holding one character, two programs sharing it.
#include "agent/service/agent_service.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>
#include <sys/prctl.h>

#include <csignal>

#include <functional>

#include "agent/format/acs_writer.h"
#include "tests/agent/format/sample_character.h"
#include "tests/support/desktop_engine.h"

using agent::service::AgentService;
using agent::service::kBusName;
using agent::service::kCharacterInterface;
using agent::service::kInterface;
using agent::service::kObjectPath;

class SignalLog : public QObject {
    Q_OBJECT
public:
    QStringList lines;
public slots:
    void take(const QDBusMessage& m) {
        QStringList args;
        for (const QVariant& a : m.arguments()) {
            if (a.canConvert<QDBusArgument>()) {  // a changed property and its value
                const QVariantMap changed = qdbus_cast<QVariantMap>(a.value<QDBusArgument>());
                for (auto it = changed.cbegin(); it != changed.cend(); ++it) {
                    args << it.key() + u'=' + it->toString();
                }
            } else if (a.typeId() != QMetaType::QStringList) {
                args << a.toString();
            }
        }
        lines << m.member() + u' ' + args.join(u' ');
    }
};

namespace {

// A dbus-daemon of the test's own, ended with the test however it ends, and the connections to it.
struct PrivateBus {
    PrivateBus() {
        daemon.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        daemon.start("dbus-daemon",
                     {"--session", "--nofork", "--print-address=1", "--address=unix:tmpdir=/tmp"});
        if (daemon.waitForStarted(5000) && daemon.waitForReadyRead(5000)) {
            address = QString::fromUtf8(daemon.readLine()).trimmed();
        }
    }
    ~PrivateBus() {
        for (const char* name : {"service", "one", "two"}) {
            QDBusConnection::disconnectFromBus(name);
        }
        daemon.kill();
        daemon.waitForFinished(5000);
    }
    QProcess daemon;
    QString address;
};

const QString kError = QStringLiteral("io.github.horalia_deluxe.Agent1.Error.");

class ServiceTest : public testsupport::DesktopEngineTest {
protected:
    void SetUp() override {
        for (const char* name : {"Genie.acs", "Merlin.acs"}) {
            ASSERT_TRUE(
                agent::format::saveCharacter(folder.filePath(name), formattest::sampleCharacter(), {}));
        }
        options = std::make_shared<agent::render::OptionsStore>(folder.filePath("engine.ini"));
        if (bus.address.isEmpty()) {
            GTEST_SKIP() << "no dbus-daemon";
        }
        voiceLog->endAtOnce = true;  // each statement said as soon as it starts
        control = std::make_unique<agent::render::DesktopControl>(environment());
        service = std::make_unique<AgentService>(QList<agent::Control*>{control.get()},
                                                 QDBusConnection::connectToBus(bus.address, "service"),
                                                 [] { return QList<QRect>{QRect(0, 0, 1920, 1080)}; });
        const agent::Status started = service->start();
        ASSERT_TRUE(started) << started.error().toStdString();
        clients = {QDBusConnection::connectToBus(bus.address, "one"),
                   QDBusConnection::connectToBus(bus.address, "two")};
        ASSERT_TRUE(control->load("Genie", "genie.acs")) << "the clock's own";
    }

    // Calls and waits for the reply, running the service meanwhile: a character's method unless told.
    QDBusMessage on(int client, const QString& path, const QString& method, const QVariantList& args = {},
                    const char* interface = kCharacterInterface) {
        QDBusMessage m = QDBusMessage::createMethodCall(kBusName, path, interface, method);
        m.setArguments(args);
        QDBusPendingCall pending = clients[client].asyncCall(m, 4000);
        waitFor([&] { return pending.isFinished(); });
        return pending.reply();
    }
    // The first value of the reply to a call that must succeed.
    QVariant answer(int client, const QString& path, const QString& method, const QVariantList& args,
                    const char* interface = kCharacterInterface) {
        const QDBusMessage reply = on(client, path, method, args, interface);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return reply.arguments().value(0);
    }
    QString load(int client, const QString& file) {
        return answer(client, kObjectPath, "Load", {file}, kInterface).value<QDBusObjectPath>().path();
    }
    void listen(int client, const QString& character, SignalLog& log) {
        for (const char* name : {"RequestComplete", "Command", "Shown"}) {
            clients[client].connect(kBusName, character, kCharacterInterface, name, &log,
                                    SLOT(take(QDBusMessage)));
        }
        clients[client].connect(kBusName, character, "org.freedesktop.DBus.Properties", "PropertiesChanged",
                                &log, SLOT(take(QDBusMessage)));
    }
    // The client's connection closes, as when its program ends.
    void leave(int client) {
        const QString name = std::exchange(clients[client], QDBusConnection("gone")).name();
        QDBusConnection::disconnectFromBus(name);
    }
    // Runs the bus until the condition holds (messages go through the daemon, another process).
    static bool waitFor(const std::function<bool()>& done) {
        QElapsedTimer waited;
        waited.start();
        while (!done() && waited.elapsed() < 5000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return done();
    }
    // Runs the engine's time and the bus.
    void run(int ms) {
        for (int t = 0; t < ms; t += 20) {
            time.advance(20);
            QCoreApplication::processEvents();
        }
    }

    // horalia-agent itself against the test's engine, which answers while the test waits: its exit code,
    // what it printed and its errors.
    std::tuple<int, QString, QString> agent(const QStringList& args, const QByteArray& input = {}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address);
        process.setProcessEnvironment(env);
        process.start(HORALIA_AGENT, args);
        process.write(input);
        process.closeWriteChannel();
        QElapsedTimer waited;
        waited.start();
        while (process.state() != QProcess::NotRunning && waited.elapsed() < 20000) {
            run(20);
            process.waitForFinished(1);
        }
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    PrivateBus bus;
    std::unique_ptr<agent::render::DesktopControl> control;
    std::unique_ptr<AgentService> service;
    QList<QDBusConnection> clients;
};

TEST_F(ServiceTest, ClientsShareTheClocksCharacterAndEachEndsOnlyItsOwn) {
    const QString genie = load(0, "genie");
    EXPECT_EQ(load(1, folder.filePath("Genie.acs")), genie) << "the same file, the same character";
    EXPECT_EQ(control->ids(), QStringList{"Genie"}) << "the clock's Genie, no second one";
    SignalLog one;
    listen(0, genie, one);

    const uint show = answer(0, genie, "Show", {true}).toUInt();
    const uint speak = answer(0, genie, "Speak", {"Hello"}).toUInt();
    const uint other = answer(1, genie, "Think", {"Hmm"}).toUInt();
    EXPECT_TRUE(show < speak && speak < other);
    run(20000);
    QStringList expected{"Shown program",
                         "PropertiesChanged io.github.horalia_deluxe.Agent1.Character Visible=true"};
    for (const uint request : {show, speak, other}) {
        expected << QStringLiteral("RequestComplete %1 done").arg(request);
    }
    waitFor([&] { return one.lines.size() >= expected.size(); });
    EXPECT_EQ(one.lines, expected) << "signals go to all; requests end in the order made";

    const uint play = answer(0, genie, "Play", {"Wave"}).toUInt();
    EXPECT_EQ(on(1, genie, "Stop", {play}).errorName(), kError + "UnknownRequest") << "another's request";
    EXPECT_EQ(on(0, genie, "StopAll").type(), QDBusMessage::ReplyMessage);
    run(5000);
    EXPECT_TRUE(
        waitFor([&] { return one.lines.contains(QStringLiteral("RequestComplete %1 stopped").arg(play)); }));

    ASSERT_EQ(on(0, genie, "AddCommand", {"backup", "Back up now", ""}).type(), QDBusMessage::ReplyMessage);
    agent::render::DesktopCharacter* character = control->character("Genie");
    const auto added = [&] {  // the command of another program, or the end
        return std::find_if(character->commands().cbegin(), character->commands().cend(),
                            [](const agent::Command& c) { return !c.heading.isEmpty(); });
    };
    ASSERT_NE(added(), character->commands().cend());
    EXPECT_EQ(added()->caption, "Back up now");
    SignalLog two;
    listen(1, genie, two);
    run(100);
    one.lines.clear();
    character->chooseCommand(added()->name);
    EXPECT_TRUE(waitFor([&] { return !one.lines.isEmpty(); }));
    run(100);
    EXPECT_EQ(std::pair(one.lines, two.lines),
              std::pair(QStringList{"Command backup menu 1 "}, QStringList()))
        << "a command goes to the program that added it";

    // The first program leaves: its command goes, the character stays for the clock and the other.
    leave(0);
    EXPECT_TRUE(waitFor([&] { return added() == character->commands().cend(); }));
    EXPECT_EQ(on(1, genie, "Unload").type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(control->character("Genie"), character) << "the clock's character is the clock's";

    EXPECT_FALSE(load(1, "merlin.acs").isEmpty());
    ASSERT_EQ(control->ids().size(), 2);
    EXPECT_EQ(control->character(control->ids()[1])->position(), QPoint(1920 - 12 - 16, 1080 - 9 - 16))
        << "a character of the bus's own stands in the lower right corner";
    leave(1);
    EXPECT_TRUE(waitFor([&] { return control->ids() == QStringList{"Genie"}; }))
        << "a character only a leaver held goes with it";
}

TEST_F(ServiceTest, WrongHugeOrHostileCallsGetAnErrorAndTheServiceGoesOn) {
    const QString genie = load(0, "genie.acs");
    const QString invalid = kError + "InvalidArgument";
    // what is tried, whether of the agent (or the character), the call, the error's name, and the
    // client (the second program holds nothing)
    const std::tuple<const char*, bool, QString, QVariantList, QString, int> cases[] = {
        {"an empty file", true, "Load", {""}, invalid, 0},
        {"a huge file name", true, "Load", {QString(100000, u'a')}, invalid, 0},
        {"a missing file", true, "Load", {"nobody.acs"}, kError + "LoadFailed", 0},
        {"a huge text", false, "Speak", {QString(10001, u'x')}, kError + "LimitReached", 0},
        {"a huge thought", false, "Think", {QString(20000, u'x')}, kError + "LimitReached", 0},
        {"no such animation", false, "Play", {"Fly\n\x01"}, invalid, 0},
        {"an unknown request", false, "Stop", {999u}, kError + "UnknownRequest", 0},
        {"interrupting nothing", false, "Interrupt", {7u}, kError + "UnknownRequest", 0},
        {"waiting for nothing", false, "Wait", {0u}, kError + "UnknownRequest", 0},
        {"a control character in a name", false, "AddCommand", {"a\x01", "A", ""}, invalid, 0},
        {"removing what was never added", false, "RemoveCommand", {"x"}, invalid, 0},
        {"hiding another's character", false, "Hide", {false}, invalid, 1},
        {"listening through another's", false, "Listen", {true}, invalid, 1},
        {"unloading another's", false, "Unload", {}, invalid, 1},
    };
    for (const auto& [what, toAgent, method, args, expected, client] : cases) {
        SCOPED_TRACE(what);
        const QDBusMessage reply =
            toAgent ? on(client, kObjectPath, method, args, kInterface) : on(client, genie, method, args);
        EXPECT_EQ(std::tuple(reply.type(), reply.errorName(), reply.errorMessage().isEmpty()),
                  std::tuple(QDBusMessage::ErrorMessage, expected, false));
    }

    // Positions far off every screen are brought onto it; the queue has a bound.
    answer(0, genie, "MoveTo", {INT_MIN, INT_MAX, -5});
    for (int i = 1; i < 256; ++i) {
        on(0, genie, "Think", {"x"});
    }
    EXPECT_EQ(on(0, genie, "Think", {"x"}).errorName(), kError + "LimitReached");
    run(100);
    EXPECT_TRUE(QRect(0, 0, 1920, 1080).contains(control->character("Genie")->position()));
    EXPECT_EQ(load(1, "genie.acs"), genie) << "and the service still answers";
}

TEST_F(ServiceTest, AgentSaysAndRunsAScriptAndTellsWhyItFailed) {
    const auto [said, saidOut, saidErr] = agent({"say", "--character", "merlin", "The backup is done"});
    EXPECT_EQ(said, 0) << saidErr.toStdString();
    EXPECT_TRUE(voiceLog->spoken.join(u'|').contains("The backup is done"));
    EXPECT_TRUE(waitFor([&] { return control->ids() == QStringList{"Genie"}; }))
        << "Merlin went with the program that wanted him";
    const auto [missing, missingOut, missingErr] = agent({"say", "--character", "nobody", "Hello"});
    EXPECT_EQ(missing, 1);
    EXPECT_TRUE(missingErr.contains("cannot load")) << missingErr.toStdString();

    const auto [script, out, err] =
        agent({"run", "--character", "genie"}, "Show fast\nThink Hmm\nFly away\nHide\n");
    EXPECT_EQ(script, 1) << "a line it could not read";
    EXPECT_TRUE(err.contains("line 3")) << err.toStdString();
    const QStringList queued = out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(queued.size(), 3) << out.toStdString();
    EXPECT_TRUE(queued[0].endsWith("\tShow") && queued[1].endsWith("\tThink") &&
                queued[2].endsWith("\tHide"));
    EXPECT_TRUE(control->character("Genie") != nullptr) << "the clock's own stays";

    EXPECT_EQ(std::get<0>(agent({"sing"})), 2) << "a usage error";
}

}  // namespace

#include "agent_service_test.moc"

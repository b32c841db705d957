// The engine's service from its clients' side, on a bus of the test's own: the desktop engine in virtual
// time, the clock holding one character, two programs sharing it.
#include "agent/service/agent_service.h"

#include <QCoreApplication>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusVariant>
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

// A dbus-daemon of the test's own, gone with it.
class PrivateBus {
public:
    PrivateBus() {
        // The daemon ends with the test, however it ends.
        daemon_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {"--session", "--nofork", "--print-address=1", "--address=unix:tmpdir=/tmp"});
        if (daemon_.waitForStarted(5000) && daemon_.waitForReadyRead(5000)) {
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        }
    }
    ~PrivateBus() {
        for (const QString& name : names_) {
            QDBusConnection::disconnectFromBus(name);
        }
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    QString address() const { return address_; }
    QDBusConnection connect(const QString& name) {
        names_ << name;
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QProcess daemon_;
    QString address_;
    QStringList names_;
};

class ServiceTest : public testsupport::DesktopEngineTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        for (const char* name : {"Genie.acs", "Merlin.acs"}) {
            ASSERT_TRUE(agent::format::saveCharacter(folder.filePath(QLatin1String(name)),
                                                     formattest::sampleCharacter(), {}));
        }
        options =
            std::make_shared<agent::render::OptionsStore>(folder.filePath(QStringLiteral("engine.ini")));
        if (bus.address().isEmpty()) {
            GTEST_SKIP() << "no dbus-daemon";
        }
        voiceLog->endAtOnce = true;  // each statement said as soon as it starts
        control = std::make_unique<agent::render::DesktopControl>(environment());
        service =
            std::make_unique<AgentService>(QList<agent::Control*>{control.get()}, bus.connect("service"),
                                           [] { return QList<QRect>{QRect(0, 0, 1920, 1080)}; });
        const agent::Status started = service->start();
        ASSERT_TRUE(started) << started.error().toStdString();
        clients = {bus.connect("one"), bus.connect("two")};
        ASSERT_TRUE(control->load("Genie", "genie.acs")) << "the clock's own";
    }

    // Calls and waits for the reply, running the service meanwhile.
    QDBusMessage call(int client, const QString& path, const char* interface, const QString& method,
                      const QVariantList& args = {}) {
        QDBusMessage m =
            QDBusMessage::createMethodCall(QLatin1String(kBusName), path, QLatin1String(interface), method);
        m.setArguments(args);
        QDBusPendingCall pending = clients[client].asyncCall(m, 4000);
        waitFor([&] { return pending.isFinished(); });
        return pending.reply();
    }
    QDBusMessage on(int client, const QString& character, const QString& method,
                    const QVariantList& args = {}) {
        return call(client, character, kCharacterInterface, method, args);
    }
    QString load(int client, const QString& file) {
        const QDBusMessage reply = call(client, QLatin1String(kObjectPath), kInterface, "Load", {file});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return reply.arguments().value(0).value<QDBusObjectPath>().path();
    }
    uint request(int client, const QString& character, const QString& method, const QVariantList& args) {
        const QDBusMessage reply = on(client, character, method, args);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return reply.arguments().value(0).toUInt();
    }
    void listen(int client, const QString& character, SignalLog& log) {
        for (const char* name : {"RequestComplete", "Command", "Shown"}) {
            clients[client].connect(QLatin1String(kBusName), character, QLatin1String(kCharacterInterface),
                                    QLatin1String(name), &log, SLOT(take(QDBusMessage)));
        }
        clients[client].connect(QLatin1String(kBusName), character,
                                QStringLiteral("org.freedesktop.DBus.Properties"),
                                QStringLiteral("PropertiesChanged"), &log, SLOT(take(QDBusMessage)));
    }
    // The client's connection closes, as when its program ends.
    void leave(int client) {
        const QString name = clients[client].name();
        clients[client] = QDBusConnection(QStringLiteral("gone"));
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

    const uint show = request(0, genie, "Show", {true});
    const uint speak = request(0, genie, "Speak", {"Hello"});
    const uint other = request(1, genie, "Think", {"Hmm"});
    EXPECT_LT(show, speak);
    EXPECT_LT(speak, other);
    run(20000);
    const QStringList expected{"Shown program",
                               "PropertiesChanged io.github.horalia_deluxe.Agent1.Character Visible=true",
                               QStringLiteral("RequestComplete %1 done").arg(show),
                               QStringLiteral("RequestComplete %1 done").arg(speak),
                               QStringLiteral("RequestComplete %1 done").arg(other)};
    waitFor([&] { return one.lines.size() >= expected.size(); });
    EXPECT_EQ(one.lines, expected) << "signals go to all; requests end in the order made";

    const uint play = request(0, genie, "Play", {"Wave"});
    EXPECT_EQ(on(1, genie, "Stop", {play}).errorName(),
              "io.github.horalia_deluxe.Agent1.Error.UnknownRequest")
        << "another's request";
    EXPECT_EQ(on(0, genie, "StopAll").type(), QDBusMessage::ReplyMessage);
    run(5000);
    EXPECT_TRUE(
        waitFor([&] { return one.lines.contains(QStringLiteral("RequestComplete %1 stopped").arg(play)); }));

    ASSERT_EQ(on(0, genie, "AddCommand", {"backup", "Back up now", ""}).type(), QDBusMessage::ReplyMessage);
    agent::render::DesktopCharacter* character = control->character("Genie");
    const auto added = std::find_if(character->commands().cbegin(), character->commands().cend(),
                                    [](const agent::Command& c) { return !c.heading.isEmpty(); });
    ASSERT_NE(added, character->commands().cend());
    EXPECT_EQ(added->caption, "Back up now");
    SignalLog two;
    listen(1, genie, two);
    run(100);
    one.lines.clear();
    character->chooseCommand(added->name);
    EXPECT_TRUE(waitFor([&] { return !one.lines.isEmpty(); }));
    run(100);
    EXPECT_EQ(one.lines, QStringList{"Command backup menu 1 "});
    EXPECT_TRUE(two.lines.isEmpty()) << "a command goes to the program that added it";

    // The first program leaves: its command goes, the character stays for the clock and the other.
    leave(0);
    EXPECT_TRUE(waitFor([&] {
        return std::none_of(character->commands().cbegin(), character->commands().cend(),
                            [](const agent::Command& c) { return !c.heading.isEmpty(); });
    }));
    EXPECT_EQ(on(1, genie, "Unload").type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(control->character("Genie"), character) << "the clock's character is the clock's";

    EXPECT_FALSE(load(1, "merlin.acs").isEmpty());
    ASSERT_EQ(control->ids().size(), 2);
    EXPECT_EQ(control->character(control->ids()[1])->position(), QPoint(1920 - 12 - 16, 1080 - 9 - 16))
        << "a character of the bus's own stands in the lower right corner";
    leave(1);
    EXPECT_TRUE(waitFor([&] { return control->ids().size() == 1; }));
    EXPECT_EQ(control->ids(), QStringList{"Genie"}) << "a character only a leaver held goes with it";
}

TEST_F(ServiceTest, WrongHugeOrHostileCallsGetAnErrorAndTheServiceGoesOn) {
    const QString genie = load(0, "genie.acs");
    const QString agentPath = QLatin1String(kObjectPath);
    const QString error = QStringLiteral("io.github.horalia_deluxe.Agent1.Error.");
    const QString invalid = error + "InvalidArgument";
    struct Case {
        const char* what;
        bool toAgent;  // or to the character
        QString method;
        QVariantList args;
        QString expected;  // the error's name
        int client = 0;    // the second program holds nothing
    };
    const QList<Case> cases = {
        {"an empty file", true, "Load", {""}, invalid},
        {"a huge file name", true, "Load", {QString(100000, u'a')}, invalid},
        {"a missing file", true, "Load", {"nobody.acs"}, error + "LoadFailed"},
        {"a huge text", false, "Speak", {QString(10001, u'x')}, error + "LimitReached"},
        {"a huge thought", false, "Think", {QString(20000, u'x')}, error + "LimitReached"},
        {"no such animation", false, "Play", {"Fly\n\x01"}, invalid},
        {"an unknown request", false, "Stop", {999u}, error + "UnknownRequest"},
        {"interrupting nothing", false, "Interrupt", {7u}, error + "UnknownRequest"},
        {"waiting for nothing", false, "Wait", {0u}, error + "UnknownRequest"},
        {"a control character in a name", false, "AddCommand", {"a\x01", "A", ""}, invalid},
        {"removing what was never added", false, "RemoveCommand", {"x"}, invalid},
        {"hiding another's character", false, "Hide", {false}, invalid, 1},
        {"listening through another's", false, "Listen", {true}, invalid, 1},
        {"unloading another's", false, "Unload", {}, invalid, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QDBusMessage reply = c.toAgent ? call(c.client, agentPath, kInterface, c.method, c.args)
                                             : on(c.client, genie, c.method, c.args);
        EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
        EXPECT_EQ(reply.errorName(), c.expected);
        EXPECT_FALSE(reply.errorMessage().isEmpty());
    }

    // Positions far off every screen are brought onto it; the queue has a bound.
    request(0, genie, "MoveTo", {INT_MIN, INT_MAX, -5});
    for (int i = 1; i < 256; ++i) {
        on(0, genie, "Think", {"x"});
    }
    EXPECT_EQ(on(0, genie, "Think", {"x"}).errorName(), error + "LimitReached");
    run(100);
    const QPoint at = control->character("Genie")->position();
    EXPECT_TRUE(QRect(0, 0, 1920, 1080).contains(QRect(at, QSize(1, 1))));
    EXPECT_EQ(load(1, "genie.acs"), genie) << "and the service still answers";
}

struct AgentRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// horalia-agent itself against the test's engine, which answers while the test waits.
class AgentCommandTest : public ServiceTest {
protected:
    AgentRun agent(const QStringList& args, const QByteArray& input = {}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(HORALIA_AGENT), args);
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
};

TEST_F(AgentCommandTest, SaysAndRunsAScriptAndTellsWhyItFailed) {
    const AgentRun said = agent({"say", "--character", "merlin", "The backup is done"});
    EXPECT_EQ(said.exitCode, 0) << said.err.toStdString();
    EXPECT_TRUE(voiceLog->spoken.join(u'|').contains("The backup is done"));
    EXPECT_TRUE(waitFor([&] { return control->ids() == QStringList{"Genie"}; }))
        << "Merlin went with the program that wanted him";
    const AgentRun missing = agent({"say", "--character", "nobody", "Hello"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("cannot load")) << missing.err.toStdString();

    const AgentRun script = agent({"run", "--character", "genie"}, "Show fast\nThink Hmm\nFly away\nHide\n");
    EXPECT_EQ(script.exitCode, 1) << "a line it could not read";
    EXPECT_TRUE(script.err.contains("line 3")) << script.err.toStdString();
    const QStringList queued = script.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(queued.size(), 3) << script.out.toStdString();
    EXPECT_TRUE(queued[0].endsWith("\tShow") && queued[1].endsWith("\tThink") &&
                queued[2].endsWith("\tHide"));
    EXPECT_TRUE(control->character("Genie") != nullptr) << "the clock's own stays";

    EXPECT_EQ(agent({"sing"}).exitCode, 2) << "a usage error";
}

}  // namespace

#include "agent_service_test.moc"

// The later starts' local socket for real, both ends in this process: what the running clock answers reaches
// the later start, a socket file left by a killed clock stops nobody, and a clock that is missing, silent or
// garbled leaves the later start with a failure rather than a wait.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QEventLoop>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <cstring>

#include "src/platform/local_socket_channel.h"

using horalia::platform::LocalSocketChannel;

namespace {

// A socket file as a killed process leaves it: bound, never removed, nobody listening.
bool leaveStaleSocket(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.size() >= static_cast<qsizetype>(sizeof address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return bound && QFile::exists(path);
}

class LocalSocketChannelTest : public ::testing::Test {
protected:
    // The running clock, counting the requests it answers with `shown`.
    static agent::Status listenCounting(LocalSocketChannel& running, int& requests, bool shown = true) {
        return running.listen([&requests, shown] {
            ++requests;
            return shown;
        });
    }

    QTemporaryDir runtime;
    QString path = runtime.path() + "/horalia-deluxe.socket";
};

}  // namespace

TEST_F(LocalSocketChannelTest, TheRunningClocksAnswerReachesTheLaterStart) {
    for (const bool shown : {true, false}) {
        SCOPED_TRACE(shown ? "a clock to show" : "still in its first run");
        LocalSocketChannel running(path);
        int requests = 0;
        ASSERT_TRUE(listenCounting(running, requests, shown).ok());
        LocalSocketChannel later(path);
        const agent::Result<bool> answer = later.askToShow();
        ASSERT_TRUE(answer.ok()) << answer.error().toStdString();
        EXPECT_EQ(*answer, shown);
        EXPECT_EQ(requests, 1);
        // A later start never listens: the second one is answered by the same clock.
        ASSERT_TRUE(LocalSocketChannel(path).askToShow().ok());
        EXPECT_EQ(requests, 2);
    }
}

TEST_F(LocalSocketChannelTest, ASocketLeftByAKilledClockStopsNobody) {
    ASSERT_TRUE(leaveStaleSocket(path));
    LocalSocketChannel later(path);
    const agent::Result<bool> unanswered = later.askToShow();
    EXPECT_FALSE(unanswered.ok());
    EXPECT_TRUE(unanswered.error().contains(path)) << unanswered.error().toStdString();

    LocalSocketChannel running(path);
    const agent::Status listening = running.listen([] { return true; });
    ASSERT_TRUE(listening.ok()) << listening.error().toStdString();
    const agent::Result<bool> answer = later.askToShow();
    ASSERT_TRUE(answer.ok()) << answer.error().toStdString();
    EXPECT_TRUE(*answer);
}

TEST_F(LocalSocketChannelTest, NoClockAtAllIsAFailureNotAWait) {
    const agent::Result<bool> answer = LocalSocketChannel(path).askToShow();
    EXPECT_FALSE(answer.ok());
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(LocalSocketChannelTest, ASilentOrGarbledClockIsAFailure) {
    struct Case {
        const char* what;
        QByteArray reply;  // empty: the connection is taken and nothing is ever said
        bool close;
    };
    const Case cases[] = {
        {"takes the connection and says nothing", {}, false},
        {"closes without a word", {}, true},
        {"answers half a line", "sho", true},
        {"answers something else", "yes\n", false},
        {"answers at great length", QByteArray(100000, 'x') + '\n', false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QLocalServer stuck;
        QLocalServer::removeServer(path);
        ASSERT_TRUE(stuck.listen(path));
        QObject::connect(&stuck, &QLocalServer::newConnection, [&] {
            QLocalSocket* socket = stuck.nextPendingConnection();
            socket->write(c.reply);
            if (c.close) {
                socket->disconnectFromServer();
            }
        });
        // The shortest wait, so that the case which has to wait it out does not hold the tests up.
        const agent::Result<bool> answer = LocalSocketChannel(path, 1).askToShow();
        EXPECT_FALSE(answer.ok());
    }
}

TEST_F(LocalSocketChannelTest, ARequestThatIsNotOursShowsNothing) {
    LocalSocketChannel running(path);
    int requests = 0;
    ASSERT_TRUE(listenCounting(running, requests).ok());
    for (const QByteArray& request : {QByteArray("hide\n"), QByteArray("show me everything\n"),
                                      QByteArray(1000, 's'), QByteArray("\n")}) {
        SCOPED_TRACE(request.left(20).toStdString());
        QLocalSocket socket;
        socket.connectToServer(path);
        ASSERT_TRUE(socket.waitForConnected());
        socket.write(request);
        QByteArray reply;
        QEventLoop loop;
        QObject::connect(&socket, &QLocalSocket::readyRead, [&] { reply += socket.readAll(); });
        QObject::connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
        loop.exec();
        EXPECT_FALSE(reply.startsWith("shown")) << reply.toStdString();
    }
    EXPECT_EQ(requests, 0);
}

TEST_F(LocalSocketChannelTest, APathNoSocketCanHaveIsAFailureToListen) {
    const QString tooLong = runtime.path() + "/" + QString(200, 'x') + ".socket";
    LocalSocketChannel running(tooLong);
    const agent::Status listening = running.listen([] { return true; });
    EXPECT_FALSE(listening.ok());
    EXPECT_TRUE(listening.error().contains("cannot listen")) << listening.error().toStdString();
    EXPECT_FALSE(LocalSocketChannel(tooLong).askToShow().ok());
}

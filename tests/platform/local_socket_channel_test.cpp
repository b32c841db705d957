// The later starts' local socket for real, both ends in this process (a clock that shows itself is the
// desktop suite's second start): a socket file left by a killed clock stops nobody, and a clock that is
// missing, silent or garbled leaves the later start with a failure rather than a wait.
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
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);  // a failed socket() gives -1, which close() just refuses
    return bound && QFile::exists(path);
}

struct LocalSocketChannelTest : ::testing::Test {
    QTemporaryDir runtime;
    QString path = runtime.path() + "/horalia-deluxe.socket";
};

}  // namespace

TEST_F(LocalSocketChannelTest, NoClockIsAFailureAndASocketLeftByAKilledClockStopsNobody) {
    EXPECT_FALSE(LocalSocketChannel(path).askToShow().ok());
    ASSERT_TRUE(leaveStaleSocket(path));
    LocalSocketChannel later(path);
    const agent::Result<bool> unanswered = later.askToShow();
    EXPECT_FALSE(unanswered.ok());
    EXPECT_TRUE(unanswered.error().contains(path)) << unanswered.error().toStdString();

    // A clock still in its first run has none to show.
    LocalSocketChannel running(path);
    int requests = 0;
    const agent::Status listening = running.listen([&] {
        ++requests;
        return false;
    });
    ASSERT_TRUE(listening.ok()) << listening.error().toStdString();
    const agent::Result<bool> answer = later.askToShow();
    ASSERT_TRUE(answer.ok()) << answer.error().toStdString();
    EXPECT_FALSE(*answer);
    EXPECT_EQ(requests, 1);

    // A request that is not ours, and a line longer than any of ours, show nothing.
    for (const QByteArray& request : {QByteArray("hide\n"), QByteArray(1000, 's')}) {
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
    EXPECT_EQ(requests, 1);
}

TEST_F(LocalSocketChannelTest, ASilentOrGarbledClockIsAFailureAndSoIsAPathNoSocketCanHave) {
    // Silence, half a line and then nothing, an answer that is not ours.
    for (const QByteArray& reply : {QByteArray(), QByteArray("sho"), QByteArray("yes\n")}) {
        SCOPED_TRACE(reply.toStdString());
        QLocalServer stuck;
        QLocalServer::removeServer(path);
        ASSERT_TRUE(stuck.listen(path));
        QObject::connect(&stuck, &QLocalServer::newConnection, [&] {
            QLocalSocket* socket = stuck.nextPendingConnection();
            socket->write(reply);
            if (!reply.isEmpty()) {
                socket->disconnectFromServer();
            }
        });
        // The shortest wait, so that the case which has to wait it out does not hold the tests up.
        EXPECT_FALSE(LocalSocketChannel(path, 1).askToShow().ok());
    }
    // A path no socket can have is a failure to listen.
    LocalSocketChannel running(runtime.path() + "/" + QString(200, 'x') + ".socket");
    const agent::Status listening = running.listen([] { return true; });
    EXPECT_FALSE(listening.ok());
    EXPECT_TRUE(listening.error().contains("cannot listen")) << listening.error().toStdString();
}

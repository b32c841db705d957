#include "src/platform/local_socket_channel.h"

#include <QEventLoop>
#include <QLocalSocket>
#include <QTimer>

#include "src/platform/instance_lock.h"

namespace horalia::platform {

namespace {

// One line each way: the request, and the answer whether a clock was there to show.
const QByteArray kShow = QByteArrayLiteral("show");
const QByteArray kShown = QByteArrayLiteral("shown");
const QByteArray kNotShown = QByteArrayLiteral("not shown");
const QByteArray kUnknown = QByteArrayLiteral("unknown request");
// Longer than any line of ours: whatever sends more is not a start of this program.
constexpr qint64 kLongestLine = 64;

}  // namespace

QString instanceSocketPath() {
    QString path = instanceLockPath();
    path.chop(QStringLiteral(".lock").size());
    return path + QStringLiteral(".socket");
}

LocalSocketChannel::LocalSocketChannel(QString path, int answerWaitMs)
    : path_(std::move(path)), answerWaitMs_(answerWaitMs) {}

LocalSocketChannel::~LocalSocketChannel() = default;

agent::Status LocalSocketChannel::listen(std::function<bool()> showClock) {
    showClock_ = std::move(showClock);
    server_ = std::make_unique<QLocalServer>();
    // The runtime folder is the user's own; the temporary folder, used without one, is everybody's.
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Only the holder of the instance lock gets here, so a socket already there was left by a clock that was
    // killed, and would stop this one from listening.
    QLocalServer::removeServer(path_);
    if (!server_->listen(path_)) {
        const QString why = server_->errorString();
        server_.reset();
        return agent::fail(
            QStringLiteral("cannot listen for later starts of the clock at %1: %2").arg(path_, why));
    }
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] { answer(socket); });
            if (socket->bytesAvailable() > 0) {
                answer(socket);
            }
        }
    });
    return {};
}

void LocalSocketChannel::answer(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kLongestLine) {
            socket->abort();
            socket->deleteLater();
        }
        return;
    }
    const QByteArray request = socket->readLine(kLongestLine + 1).trimmed();
    QByteArray reply = kUnknown;
    if (request == kShow) {
        reply = showClock_ && showClock_() ? kShown : kNotShown;
    }
    socket->write(reply + '\n');
    socket->disconnectFromServer();
}

agent::Result<bool> LocalSocketChannel::askToShow() {
    QLocalSocket socket;
    QEventLoop loop;
    QByteArray reply;
    QObject::connect(&socket, &QLocalSocket::connected, &loop, [&socket] { socket.write(kShow + '\n'); });
    QObject::connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
        reply += socket.readAll();
        if (reply.contains('\n')) {
            loop.quit();
        }
    });
    QObject::connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QLocalSocket::errorOccurred, &loop, &QEventLoop::quit);
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &loop, &QEventLoop::quit);

    socket.connectToServer(path_);
    if (socket.state() == QLocalSocket::UnconnectedState) {
        return agent::fail(QStringLiteral("no clock listens at %1: %2").arg(path_, socket.errorString()));
    }
    giveUp.start(answerWaitMs_);
    // Only the socket's events are awaited here, before any window of this start exists.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (socket.bytesAvailable() > 0) {
        reply += socket.readAll();
    }
    const qsizetype end = reply.indexOf('\n');
    if (end < 0) {
        return agent::fail(QStringLiteral("the clock at %1 did not answer").arg(path_));
    }
    const QByteArray line = reply.left(end);
    if (line == kShown || line == kNotShown) {
        return line == kShown;
    }
    return agent::fail(QStringLiteral("the clock at %1 answered \"%2\"")
                           .arg(path_, QString::fromUtf8(line.left(kLongestLine))));
}

}  // namespace horalia::platform

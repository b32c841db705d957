// The later starts' channel on Linux: a local socket beside the instance lock, served by the running clock.
#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QString>
#include <memory>

#include "src/platform/instance_channel.h"

namespace horalia::platform {

// The instance lock's path with ".socket" for ".lock": the runtime folder, or the per-user name in the
// temporary folder when there is none.
QString instanceSocketPath();

class LocalSocketChannel : public InstanceChannel {
public:
    // A running clock answers within milliseconds; one that takes longer is stuck, and the later start must
    // still end at once.
    static constexpr int kAnswerWaitMs = 2000;

    explicit LocalSocketChannel(QString path = instanceSocketPath(), int answerWaitMs = kAnswerWaitMs);
    ~LocalSocketChannel() override;

    agent::Status listen(std::function<bool()> showClock) override;
    agent::Result<bool> askToShow() override;

private:
    void answer(QLocalSocket* socket);

    QString path_;
    int answerWaitMs_;
    std::unique_ptr<QLocalServer> server_;
    std::function<bool()> showClock_;
};

}  // namespace horalia::platform

// The time changes of a Linux desktop, from three sources: logind's PrepareForSleep signal on the system bus
// says when the computer wakes; a timer on the real-time clock that the kernel cancels whenever that clock is
// set (by hand, by NTP, and at every resume) says when the wall clock jumps; and the folder of the time zone
// file is watched for a new zone. A source that is not there (no system bus in a container) is left out.
#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QFileSystemWatcher>
#include <QObject>
#include <QSocketNotifier>
#include <memory>
#include <optional>

#include "src/platform/time_changes.h"

namespace horalia::platform {

class LinuxTimeChanges : public QObject, public TimeChanges {
    Q_OBJECT
public:
    // logind on the system bus, the zone in /etc/localtime.
    LinuxTimeChanges();
    // Another bus (a test's session bus) and another zone file.
    LinuxTimeChanges(const QDBusConnection& bus, const QString& zoneFile);
    ~LinuxTimeChanges() override;

    // Begins watching (once; again does nothing). Apart from the constructor, so that a program can connect
    // to the bus after it has put up its window.
    void start();

    void setHandler(std::function<void(TimeChange)> handler) override;

    bool watchesSleep() const { return watchesSleep_; }
    bool watchesClock() const { return clockNotifier_ != nullptr; }

private slots:
    void prepareForSleep(bool sleeping);

private:
    void watchClock();
    void armClockTimer();
    void clockTimerReadable();
    void zoneFolderChanged();
    QByteArray zoneFingerprint() const;
    void notify(TimeChange change);

    std::function<void(TimeChange)> handler_;
    std::optional<QDBusConnection> bus_;  // the system bus when none is given
    bool started_ = false;
    bool watchesSleep_ = false;
    int clockFd_ = -1;
    std::unique_ptr<QSocketNotifier> clockNotifier_;
    QString zoneFile_;
    QFileSystemWatcher zoneWatcher_;
    QByteArray zone_;
};

}  // namespace horalia::platform

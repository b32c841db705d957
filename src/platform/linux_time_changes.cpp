#include "src/platform/linux_time_changes.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdint>
#include <limits>

namespace horalia::platform {

LinuxTimeChanges::LinuxTimeChanges() : zoneFile_(QStringLiteral("/etc/localtime")) {}

LinuxTimeChanges::LinuxTimeChanges(const QDBusConnection& bus, const QString& zoneFile)
    : bus_(bus), zoneFile_(zoneFile) {}

void LinuxTimeChanges::start() {
    if (started_) {
        return;
    }
    started_ = true;
    QDBusConnection bus = bus_ ? *bus_ : QDBusConnection::systemBus();
    watchesSleep_ =
        bus.isConnected() &&
        bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                    QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                    SLOT(prepareForSleep(bool)));
    watchClock();
    // The zone file is replaced, not written (timedatectl makes a new link), and a watch on the file itself
    // would follow the old one: the folder is watched, and only a zone that differs counts.
    zone_ = zoneFingerprint();
    const QString folder = QFileInfo(zoneFile_).absolutePath();
    zoneWatcher_.addPath(folder);
    connect(&zoneWatcher_, &QFileSystemWatcher::directoryChanged, this, [this] { zoneFolderChanged(); });
}

LinuxTimeChanges::~LinuxTimeChanges() {
    clockNotifier_.reset();
    if (clockFd_ >= 0) {
        ::close(clockFd_);
    }
}

void LinuxTimeChanges::setHandler(std::function<void(TimeChange)> handler) {
    handler_ = std::move(handler);
}

void LinuxTimeChanges::prepareForSleep(bool sleeping) {
    // Going to sleep needs nothing: the tick cannot run while the computer sleeps, and what it missed is
    // worked out from the time it wakes at.
    if (!sleeping) {
        notify(TimeChange::Woke);
    }
}

void LinuxTimeChanges::watchClock() {
    clockFd_ = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (clockFd_ < 0) {
        return;
    }
    armClockTimer();
    clockNotifier_ = std::make_unique<QSocketNotifier>(clockFd_, QSocketNotifier::Read);
    connect(clockNotifier_.get(), &QSocketNotifier::activated, this, [this] { clockTimerReadable(); });
}

void LinuxTimeChanges::armClockTimer() {
    // A timer that never fires on its own: the kernel only ever cancels it, when the clock is set.
    itimerspec never{};
    never.it_value.tv_sec = std::numeric_limits<time_t>::max();
    ::timerfd_settime(clockFd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &never, nullptr);
}

void LinuxTimeChanges::clockTimerReadable() {
    std::uint64_t expirations = 0;
    const ssize_t n = ::read(clockFd_, &expirations, sizeof expirations);
    const bool set = n < 0 && errno == ECANCELED;
    // A cancelled timer stays readable until it is armed again.
    armClockTimer();
    if (set) {
        notify(TimeChange::ClockSet);
    }
}

QByteArray LinuxTimeChanges::zoneFingerprint() const {
    QFile file(zoneFile_);
    QByteArray fingerprint = QFileInfo(zoneFile_).symLinkTarget().toUtf8();
    if (file.open(QIODevice::ReadOnly)) {
        // A zone file is a few kilobytes; a larger file is not one, and its start is enough to tell.
        fingerprint += '\n' + file.read(1 << 16);
    }
    return fingerprint;
}

void LinuxTimeChanges::zoneFolderChanged() {
    QByteArray zone = zoneFingerprint();
    if (zone == zone_) {
        return;  // something else in the folder changed
    }
    zone_ = std::move(zone);
    notify(TimeChange::TimeZone);
}

void LinuxTimeChanges::notify(TimeChange change) {
    if (handler_) {
        // Copied first: the handler may replace itself.
        std::function<void(TimeChange)> handler = handler_;
        handler(change);
    }
}

}  // namespace horalia::platform

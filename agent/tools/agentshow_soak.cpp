#include "agentshow_soak.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <array>
#include <cstdio>

#include "agent/render/desktop_character.h"
#include "agent/render/engine_options.h"

using agent::render::DesktopCharacter;

namespace {

// The gestures the clock plays after its statements; a character without one simply goes on.
const std::array<QString, 9> kGestures = {
    QStringLiteral("Congratulate"), QStringLiteral("Confused"), QStringLiteral("Decline"),
    QStringLiteral("DoMagic1"),     QStringLiteral("Explain"),  QStringLiteral("Greet"),
    QStringLiteral("LookDown"),     QStringLiteral("Pleased"),  QStringLiteral("Read"),
};

// Short statements of the clock's kinds, of two lengths, so that the balloon takes different sizes.
QString statement(int n) {
    const int hour = n % 12 + 1;
    const int minute = (n * 7) % 60;
    if (n % 2 == 0) {
        return QStringLiteral("It's %1:%2.").arg(hour).arg(minute, 2, 10, QLatin1Char('0'));
    }
    return QStringLiteral("%1 past %2. Time for a break!").arg(minute).arg(hour);
}

qint64 residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return -1;
}

}  // namespace

agent::Status soak(const QList<DesktopCharacter*>& cast, agent::render::OptionsStore& options, int count,
                   int warmUp) {
    agent::render::EngineOptions fastest = options.options();
    fastest.speedPercent = 400;
    (void)options.set(fastest);  // the speed applies for this run even when the file cannot be written

    int said = 0;
    qint64 warmKiB = -1;
    QElapsedTimer clock;
    clock.start();
    QList<qint64> handedAt(cast.size(), 0);
    bool stuck = false;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        for (int i = 0; i < cast.size(); ++i) {
            DesktopCharacter* c = cast[i];
            if (c->player().isBusy()) {
                // A gesture that loops holds the queue until it is stopped; a minute is far past any other.
                if (clock.elapsed() - handedAt[i] > 60000) {
                    stuck = true;
                    loop.quit();
                }
                continue;
            }
            if (warmKiB < 0 && said >= warmUp) {
                warmKiB = residentKiB();
                std::printf("after %d statements (%.0f s): resident %lld kB\n", said, clock.elapsed() / 1e3,
                            warmKiB);
                std::fflush(stdout);
            }
            if (said >= count) {
                bool allDone = true;
                for (DesktopCharacter* other : cast) {
                    allDone = allDone && !other->player().isBusy();
                }
                if (allDone) {
                    loop.quit();
                }
                continue;
            }
            c->speak(statement(said));
            c->play(kGestures[std::size_t(said / int(cast.size())) % kGestures.size()]);
            handedAt[i] = clock.elapsed();
            ++said;
        }
    });
    poll.start(5);
    loop.exec();
    if (stuck) {
        return agent::fail(QStringLiteral("a character did not finish a statement in a minute"));
    }
    const qint64 endKiB = residentKiB();
    std::printf("after %d statements (%.0f s): resident %lld kB\n", said, clock.elapsed() / 1e3, endKiB);
    if (warmKiB > 0 && said > warmUp) {
        std::printf("growth after warm-up: %.2f MB per 1000 statements\n",
                    (endKiB - warmKiB) / 1024.0 * 1000.0 / (said - warmUp));
    }
    return {};
}

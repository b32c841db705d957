// The engine on the bus as a program sees it (run by bench/service.sh): with Max and Plany already shown, the
// time from a Speak call to the BalloonShown signal and to the first sound on the sound server's null sink,
// and the engine's memory with no character and with the two.
//
// The first sound is read from the sink's monitor through parec, whose own latency (10 ms asked) is counted
// in: the figures are the most a user could notice, not the least.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <vector>

namespace {

const QString kService = QStringLiteral("io.github.horalia_deluxe.Agent");
const QString kCharacter = QStringLiteral("io.github.horalia_deluxe.Agent1.Character");
constexpr int kRate = 16000;
constexpr int kWindow = kRate / 200;  // 5 ms
constexpr double kLoud = 250;         // rms of 32767; the null sink's silence is 0

class Probe : public QObject {
    Q_OBJECT
public:
    QElapsedTimer clock;
    qint64 balloonAt = -1;
    bool idling = false;
    QList<uint> ended;
    std::vector<qint64> loudAt;  // when each loud 5 ms of sound reached us, in ms of clock
    qint64 lastLoud = -1;
    qint64 soundSince = -1;  // when parec first gave us anything
    QProcess parec;
    QByteArray pending;

    void listenToSound(const QString& monitor) {
        connect(&parec, &QProcess::readyReadStandardOutput, this, [this] {
            const qint64 now = clock.elapsed();
            soundSince = soundSince < 0 ? now : soundSince;
            pending += parec.readAllStandardOutput();
            const qsizetype windows = pending.size() / (2 * kWindow);
            for (qsizetype w = 0; w < windows; ++w) {
                const auto* s = reinterpret_cast<const qint16*>(pending.constData()) + w * kWindow;
                double sum = 0;
                for (int i = 0; i < kWindow; ++i) {
                    sum += double(s[i]) * s[i];
                }
                if (std::sqrt(sum / kWindow) >= kLoud) {
                    // This window was played as long before now as the windows after it last.
                    const qint64 at = now - (windows - 1 - w) * 5;
                    loudAt.push_back(at);
                    lastLoud = at;
                }
            }
            pending.remove(0, windows * 2 * kWindow);
        });
        parec.start(QStringLiteral("parec"), {"-d", monitor, "--raw", "--format=s16le", "--rate=16000",
                                              "--channels=1", "--latency-msec=10"});
    }

public slots:
    void balloonShown() { balloonAt = clock.elapsed(); }
    void idleStarted() { idling = true; }
    void requestComplete(uint id, const QString&) { ended << id; }
};

bool waitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return done();
}

QVariant call(QDBusConnection& bus, const QString& path, const QString& interface, const QString& method,
              const QVariantList& args) {
    QDBusMessage m = QDBusMessage::createMethodCall(kService, path, interface, method);
    m.setArguments(args);
    const QDBusMessage reply = bus.call(m, QDBus::Block, 60000);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(method), qPrintable(reply.errorMessage()));
        std::exit(1);
    }
    return reply.arguments().value(0);
}

double residentMiB(uint pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:")) {
                return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
            }
        }
    }
    return -1;
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[std::min(v.size() - 1, std::size_t(p * double(v.size() - 1) + 0.5))];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString monitor = args.value(1, QStringLiteral("private_null.monitor"));
    const int runs = args.value(2, QStringLiteral("10")).toInt();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!waitUntil([&] { return bus.interface()->isServiceRegistered(kService).value(); }, 20000)) {
        std::fprintf(stderr, "no engine on the bus\n");
        return 1;
    }
    const uint pid = bus.interface()->servicePid(kService).value();
    QThread::msleep(1000);
    const double idleMiB = residentMiB(pid);

    Probe probe;
    probe.clock.start();
    const QString agent = QStringLiteral("/io/github/horalia_deluxe/Agent");
    const QString iface = QStringLiteral("io.github.horalia_deluxe.Agent1");
    QStringList paths;
    for (const char* name : {"max", "plany"}) {
        paths << call(bus, agent, iface, "Load", {QLatin1String(name)}).value<QDBusObjectPath>().path();
        bus.connect(kService, paths.back(), kCharacter, "RequestComplete", &probe,
                    SLOT(requestComplete(uint, QString)));
    }
    bus.connect(kService, paths.front(), kCharacter, "BalloonShown", &probe, SLOT(balloonShown()));
    bus.connect(kService, paths.front(), kCharacter, "IdleStart", &probe, SLOT(idleStarted()));
    for (const QString& path : paths) {
        const uint show = call(bus, path, kCharacter, "Show", {false}).toUInt();
        waitUntil([&] { return probe.ended.contains(show); }, 20000);
    }
    QThread::msleep(2000);
    QCoreApplication::processEvents();
    const double twoMiB = residentMiB(pid);

    probe.listenToSound(monitor);
    if (!waitUntil([&] { return probe.soundSince >= 0; }, 10000)) {
        std::fprintf(stderr, "nothing from parec on %s\n", qPrintable(monitor));
        return 1;
    }
    struct Times {
        std::vector<double> balloon;
        std::vector<double> sound;
    };
    // At rest: half a second after the last statement. Idling: as soon as Max begins an idle animation,
    // which gives way to the statement through its frames back to rest.
    const auto measure = [&](bool idling) {
        Times times;
        for (int i = 0; i < runs; ++i) {
            waitUntil([&] { return probe.clock.elapsed() - std::max<qint64>(probe.lastLoud, 0) > 500; },
                      20000);
            if (idling) {
                probe.idling = false;
                waitUntil([&] { return probe.idling; }, 60000);
            }
            probe.balloonAt = -1;
            const qint64 start = probe.clock.elapsed();
            const uint id =
                call(bus, paths.front(), kCharacter, "Speak", {"Hello there, it is ten past three."})
                    .toUInt();
            waitUntil([&] { return probe.ended.contains(id); }, 30000);
            const auto sound = std::find_if(probe.loudAt.cbegin(), probe.loudAt.cend(),
                                            [&](qint64 at) { return at >= start; });
            if (probe.balloonAt >= 0) {
                times.balloon.push_back(double(probe.balloonAt - start));
            }
            if (sound != probe.loudAt.cend()) {
                times.sound.push_back(double(*sound - start));
            }
        }
        return times;
    };
    // Idling first: the wait for the sound's monitor may well have let Max begin to idle.
    const Times idling = measure(true);
    const Times atRest = measure(false);
    probe.parec.kill();
    probe.parec.waitForFinished(2000);

    std::printf("%-44s %8s %8s %6s\n", "from a Speak call, Max shown", "median", "worst", "runs");
    for (const auto& [name, t] : {std::pair{"at rest", &atRest}, std::pair{"idling", &idling}}) {
        std::printf("%-44s %6.0f ms %6.0f ms %6zu\n",
                    qPrintable(QStringLiteral("%1: to BalloonShown").arg(name)), percentile(t->balloon, 0.5),
                    percentile(t->balloon, 1.0), t->balloon.size());
        std::printf("%-44s %6.0f ms %6.0f ms %6zu\n",
                    qPrintable(QStringLiteral("%1: to the first sound on the sink").arg(name)),
                    percentile(t->sound, 0.5), percentile(t->sound, 1.0), t->sound.size());
    }
    std::printf("%-44s %6.1f MiB\n", "engine's memory, no character", idleMiB);
    std::printf("%-44s %6.1f MiB\n", "engine's memory, Max and Plany shown", twoMiB);
    return atRest.sound.empty() || idling.sound.empty() ? 1 : 0;
}

#include "service_bench.moc"

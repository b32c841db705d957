// reboot: the clock's restart companion. The clock starts it just before it ends itself (a mode switch, a
// change of sound effects); it waits for that clock to end and starts it again from the same folder, handing
// on its own arguments (--console for a clock in the console).
#include <QCoreApplication>
#include <QProcess>
#include <QTextStream>
#include <cstdio>

#include "src/platform/instance_lock.h"
#include "src/platform/paths.h"
#include "src/platform/system_clock.h"
#include "src/restart/restarter.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    horalia::platform::SystemClock clock;
    horalia::restart::Restarter restarter(
        clock, {[] { return horalia::platform::instanceRunning(); },
                [&arguments]() -> agent::Status {
                    const QString program = horalia::platform::programFile(QStringLiteral("horalia"));
                    if (!QProcess::startDetached(program, arguments)) {
                        return agent::fail(QStringLiteral("cannot start ") + program);
                    }
                    return {};
                },
                [](int exitCode, const QString& message) {
                    if (!message.isEmpty()) {
                        QTextStream(stderr) << message << '\n';
                    }
                    QCoreApplication::exit(exitCode);
                }});
    restarter.run();
    return QCoreApplication::exec();
}

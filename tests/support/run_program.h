// Runs the program in a process of its own with a private settings folder.
#pragma once

#include <QProcess>
#include <QTemporaryDir>

namespace testsupport {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// input is what the program reads on standard input, which is then closed.
inline ProgramRun runProgram(const QTemporaryDir& home, const QStringList& args,
                             const QByteArray& input = {}) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", home.path() + "/config");
    env.insert("XDG_DATA_HOME", home.path() + "/data");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    process.setProcessEnvironment(env);
    process.start(HORALIA_BIN, args);
    process.write(input);
    process.closeWriteChannel();
    ProgramRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        run.err = "timed out";
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

}  // namespace testsupport

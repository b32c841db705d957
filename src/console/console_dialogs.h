// The console mode's message boxes, file dialogs and program end: each prints a line; answers come from the
// script on standard input ("answer yes", "choose /path/file.acs"), and are No, OK or cancel otherwise.
#pragma once

#include <QList>
#include <QStringList>

#include "agent/console/console_sink.h"
#include "src/platform/dialogs.h"
#include "src/platform/program.h"

namespace horalia::console {

class ConsoleDialogs : public platform::Dialogs {
public:
    explicit ConsoleDialogs(agent::console::Sink& sink) : sink_(sink) {}
    platform::Answer messageBox(const QString& text, const QString& title, int styleNumber) override;
    QString openFile(const QString& filter, const QString& initialFolder) override;
    void beep() override;

    QList<platform::Answer> answers;
    QStringList files;

private:
    agent::console::Sink& sink_;
};

class ConsoleProgram : public platform::Program {
public:
    explicit ConsoleProgram(agent::console::Sink& sink) : sink_(sink) {}
    void endProgram() override;
    bool ending() const override { return ending_; }

private:
    agent::console::Sink& sink_;
    bool ending_ = false;
};

}  // namespace horalia::console

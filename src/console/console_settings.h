// The settings dialog in the console mode: the dialog's own logic on a table of its controls. A script types
// into the controls and clicks them by their names; what the handlers do is printed like everything else.
#pragma once

#include <QHash>
#include <QSet>
#include <memory>

#include "agent/console/console_sink.h"
#include "src/settings_dialog/controls.h"
#include "src/settings_dialog/settings_logic.h"

namespace horalia::console {

// The colour dialog in the console: printed, and always cancelled, which keeps the colour it held.
class ConsoleColourChooser : public platform::ColourChooser {
public:
    explicit ConsoleColourChooser(agent::console::Sink& sink) : sink_(sink) {}
    qint32 choose() override;

private:
    agent::console::Sink& sink_;
    qint32 colour_ = 0;
};

class ConsoleSettings : public settings_dialog::Controls {
public:
    ConsoleSettings(agent::console::Sink& sink, settings_dialog::DialogContext context);
    ~ConsoleSettings() override;

    // Types text into a text box or the interval box; false for a name that takes no text.
    bool type(const QString& name, const QString& text);
    // Clicks a button, a check box or the mode label; false for a name that cannot be clicked.
    bool click(const QString& name);

    // Controls
    QString text(const QString& name) const override { return texts_.value(name); }
    void setText(const QString& name, const QString& text) override;
    void setChecked(const QString& name, bool checked) override;
    void setItems(const QString&, const QStringList&) override {}
    void setShown(const QString&, bool) override {}
    void setPageEnabled(int, bool) override {}
    void setBackground(const QString&, const QColor&) override {}

private:
    void print(const QString& name, const agent::console::Arg& value);

    agent::console::Sink& sink_;
    QHash<QString, QString> texts_;
    QSet<QString> checked_;
    std::unique_ptr<settings_dialog::SettingsLogic> logic_;
};

}  // namespace horalia::console

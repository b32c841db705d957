// Fakes of the platform for tests: settings in memory, a recording shell, engines and clock window, a virtual
// clock with timer latency, and a whole Platform built from them; scripted colours and a later starts'
// channel.
#pragma once

#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QRandomGenerator>
#include <QSet>
#include <QStringList>
#include <optional>

#include "agent/console/console_control.h"
#include "src/clock_window/app_windows.h"
#include "src/core/clock_view.h"
#include "src/platform/colour_chooser.h"
#include "src/platform/engine_factory.h"
#include "src/platform/instance_channel.h"
#include "src/platform/platform.h"
#include "src/platform/virtual_clock.h"
#include "tests/support/qt_printers.h"
#include "tests/support/recording_sink.h"

namespace testsupport {

// Settings in memory, with the store's rule that names compare without regard to case.
class MemorySettings : public horalia::platform::SettingsStore {
public:
    QString read(const QString& section, const QString& key,
                 const QString& defaultValue = {}) const override {
        return values_.value(id(section, key), defaultValue);
    }
    agent::Status write(const QString& section, const QString& key, const QString& value) override {
        values_.insert(id(section, key), value);
        writes.append(section + u'/' + key + u'=' + value);
        return {};
    }
    void set(const QString& key, const QString& value) { put(QStringLiteral("Data"), key, value); }
    void put(const QString& section, const QString& key, const QString& value) {
        (void)write(section, key, value);
    }
    QString get(const QString& key) const { return read(QStringLiteral("Data"), key); }
    QStringList writes;  // "Section/Key=value", in order

private:
    static QString id(const QString& section, const QString& key) { return (section + u'/' + key).toLower(); }
    QHash<QString, QString> values_;
};

struct ShellStart {
    QString path;
    QStringList arguments;
    horalia::platform::WindowStyle style;
    qint64 atMs;
};

class RecordingShell : public horalia::platform::Shell {
public:
    explicit RecordingShell(horalia::platform::VirtualClock& clock) : clock_(clock) {}
    using Shell::start;
    agent::Status start(const QString& path, const QStringList& arguments,
                        horalia::platform::WindowStyle style) override {
        starts.append({path, arguments, style, clock_.nowMs()});
        return failing.contains(path) ? agent::fail(QStringLiteral("cannot start ") + path) : agent::Status();
    }
    QList<ShellStart> starts;
    QSet<QString> failing;  // paths whose start fails

private:
    horalia::platform::VirtualClock& clock_;
};

// Message boxes answered from a script (No, or OK, once the script runs out); every box is recorded.
class ScriptedDialogs : public horalia::platform::Dialogs {
public:
    struct Box {
        QString text, title;
        int style;
    };
    horalia::platform::Answer messageBox(const QString& text, const QString& title,
                                         int styleNumber) override {
        using horalia::platform::Answer;
        boxes.append({text, title, styleNumber});
        if (!answers.isEmpty()) {
            return answers.takeFirst();
        }
        return (styleNumber & 0x0f) == horalia::platform::style::kYesNo ? Answer::No : Answer::Ok;
    }
    QString openFile(const QString& filter, const QString& initialFolder) override {
        fileDialogs.append(filter + u'|' + initialFolder);
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    void beep() override { ++beeps; }

    QList<horalia::platform::Answer> answers;  // taken from the front
    QStringList files;                         // answers to openFile, taken from the front ("" cancels)
    QList<Box> boxes;
    QStringList fileDialogs;  // "filter|initial folder" of each open-file dialog
    int beeps = 0;
};

class FakeProgram : public horalia::platform::Program {
public:
    void endProgram() override { ++ends; }
    bool ending() const override { return ends > 0; }
    int ends = 0;
};

// The system's word that the wall clock jumped, given when the test says so.
class FakeTimeChanges : public horalia::platform::TimeChanges {
public:
    void setHandler(std::function<void(horalia::platform::TimeChange)> handler) override {
        handler_ = std::move(handler);
    }
    void notify(horalia::platform::TimeChange change) {
        if (handler_) {
            handler_(change);
        }
    }

private:
    std::function<void(horalia::platform::TimeChange)> handler_;
};

// A clock window that remembers what was done to it and when.
class RecordingView : public horalia::core::ClockView {
public:
    explicit RecordingView(horalia::platform::VirtualClock& clock) : clock_(clock) {}
    horalia::core::GeometryTwips geometryTwips() const override { return geometry; }
    bool isMinimized() const override { return minimized; }
    void moveTo(double left, double top) override {
        geometry.left = left;
        geometry.top = top;
    }
    void setTimeFormat(bool twentyFourHour) override {
        geometry.height = twentyFourHour ? 750 : 525;
        this->twentyFourHour = twentyFourHour;
    }
    void setColours(std::optional<qint32> fore, std::optional<qint32> back) override {
        foreColour = fore;
        backColour = back;
    }
    void setSimpleMenus(bool simple) override { simpleMenus = simple; }
    bool isVisible() const override { return visible; }
    void setVisible(bool v) override {
        visible = v;
        visibility.append({v, clock_.nowMs()});
    }
    void setTimeText(const QString& text) override {
        this->text = text;
        texts.append({text, clock_.nowMs()});
    }
    bool visible = false, minimized = false, twentyFourHour = false, simpleMenus = false;
    std::optional<qint32> foreColour, backColour;
    horalia::core::GeometryTwips geometry{0, 0, 1680, 525};
    QString text;
    QList<QPair<bool, qint64>> visibility;  // with the time of each change
    QList<QPair<QString, qint64>> texts;

private:
    horalia::platform::VirtualClock& clock_;
};

// The application's other windows, as calls recorded in order ("showSettings 0 focus", "showAbout", ...).
class RecordingWindows : public horalia::clock_window::AppWindows {
public:
    void showSettings(int page, bool focusHour1) override {
        calls << QStringLiteral("showSettings %1%2").arg(page).arg(focusHour1 ? " focus" : "");
    }
    void hideSettings() override { calls << "hideSettings"; }
    void closeSettings() override { calls << "closeSettings"; }
    void showAbout() override { calls << "showAbout"; }
    void sisterapplink(const QString& address) override { calls << "sisterapplink " + address; }
    QStringList calls;
};

// A virtual clock whose timers fire up to maxLatencyMs late, at random but repeatably.
class JitteryClock : public horalia::platform::VirtualClock {
public:
    JitteryClock(const QDateTime& start, int maxLatencyMs)
        : VirtualClock(start), maxLatency_(maxLatencyMs), random_(1) {}

protected:
    int latencyMs() override { return static_cast<int>(random_.bounded(maxLatency_ + 1)); }

private:
    int maxLatency_;
    QRandomGenerator random_;
};

// Another program full screen while `on`.
class FakeFullScreen : public horalia::platform::FullScreen {
public:
    bool active() const override { return on; }
    bool on = false;
};

// Every request of the engines it makes is recorded in `sink`. Their characters need no file: each is called
// as its file is named ("max" for "max.acs"), with no description and a frame of 128 x 128 pixels.
class RecordingEngineFactory : public horalia::platform::EngineFactory {
public:
    std::unique_ptr<agent::Control> create(const QString& controlName) override {
        return std::make_unique<agent::console::ConsoleControl>(
            controlName, sink, [](const QString& fileName) -> agent::Result<agent::console::CharacterFacts> {
                return agent::console::CharacterFacts{QFileInfo(fileName).completeBaseName(), {}, 128, 128};
            });
    }
    RecordingSink sink;
};

// Like the real dialog it keeps the last chosen colour; a cancel (nullopt, or an empty script) hands that
// back.
class ScriptedColours : public horalia::platform::ColourChooser {
public:
    qint32 choose() override {
        if (!answers.isEmpty()) {
            held = answers.takeFirst().value_or(held);  // a cancelled choice keeps the colour held
        }
        return held;
    }
    QList<std::optional<qint32>> answers;
    qint32 held = 0;
};

// The later starts' channel without sockets: the test plays a later start's request as the running clock
// gets it, and a later start's question is always answered yes.
class FakeInstanceChannel : public horalia::platform::InstanceChannel {
public:
    agent::Status listen(std::function<bool()> showClock) override {
        ++listens;
        showClock_ = std::move(showClock);
        return {};
    }
    agent::Result<bool> askToShow() override { return true; }

    // What the running clock answers (false when nobody listens).
    bool request() { return showClock_ && showClock_(); }

    int listens = 0;

private:
    std::function<bool()> showClock_;
};

// Local time on 6 December 2026.
inline QDateTime at(int hour, int minute, int second = 0) {
    return QDateTime(QDate(2026, 12, 6), QTime(hour, minute, second));
}

// The fake platform in one piece; the clock is a JitteryClock with no latency unless asked.
struct FakePlatform {
    explicit FakePlatform(const QDateTime& start, int maxLatencyMs = 0) : clock(start, maxLatencyMs) {}
    JitteryClock clock;
    horalia::platform::VirtualPause pause{clock};
    MemorySettings settings;
    RecordingShell shell{clock};
    horalia::platform::FixedScreenMetrics screen;
    RecordingEngineFactory engines;
    ScriptedDialogs dialogs;
    FakeProgram program;
    FakeTimeChanges timeChanges;
    FakeFullScreen fullScreen;
    horalia::platform::Platform platform{settings, clock,   pause,   shell,       screen,
                                         engines,  dialogs, program, timeChanges, fullScreen};
};

}  // namespace testsupport

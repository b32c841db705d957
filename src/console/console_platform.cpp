#include "src/console/console_platform.h"

#include "src/core/clock_layout.h"
#include "src/platform/paths.h"

namespace horalia::console {

namespace {
const QString kClock = QStringLiteral("frm_clock");
}

void ConsoleClockView::setVisible(bool visible) {
    if (visible == visible_) {
        return;
    }
    visible_ = visible;
    sink_.line(kClock, visible ? QStringLiteral("Show") : QStringLiteral("Hide"), {});
}

void ConsoleClockView::setTimeText(const QString& text) {
    sink_.line(kClock, QStringLiteral("lab_time"), {text});
}

void ConsoleClockView::moveTo(double leftTwips, double topTwips) {
    geometry_.left = leftTwips;
    geometry_.top = topTwips;
    sink_.line(kClock, QStringLiteral("Move"), {qint64(qRound64(leftTwips)), qint64(qRound64(topTwips))});
}

void ConsoleClockView::setTimeFormat(bool twentyFourHour) {
    const core::ClockLayout& layout = core::layoutFor(twentyFourHour);
    geometry_.width = layout.windowWidth;
    geometry_.height = layout.windowHeight;
}

agent::Status ConsoleShell::start(const QString& path, const QStringList& arguments,
                                  platform::WindowStyle style) {
    QList<agent::console::Arg> args{path};
    for (const QString& argument : arguments) {
        args.append(argument);
    }
    args.append(qint64(static_cast<int>(style)));
    sink_.line(QStringLiteral("Shell"), QStringLiteral("Start"), args);
    if (real_ == nullptr) {
        return agent::fail(QStringLiteral("%1 is not started in the console mode").arg(path));
    }
    return real_->start(path, arguments, style);
}

std::unique_ptr<agent::Control> ConsoleEngineFactory::create(const QString& controlName) {
    return std::make_unique<agent::console::ConsoleControl>(
        controlName, sink_, agent::console::characterFiles(platform::characterFolders()));
}

}  // namespace horalia::console

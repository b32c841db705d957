#include "src/app/console_platform.h"

namespace horalia::app {

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
    text_ = text;
    sink_.line(kClock, QStringLiteral("lab_time"), {text});
}

bool ConsoleShell::start(const QString& path, const QStringList& arguments, platform::WindowStyle style) {
    QList<agent::console::Arg> args{path};
    for (const QString& argument : arguments) {
        args.append(argument);
    }
    args.append(qint64(static_cast<int>(style)));
    sink_.line(QStringLiteral("Shell"), QStringLiteral("Start"), args);
    return real_ != nullptr && real_->start(path, arguments, style);
}

std::unique_ptr<agent::Control> ConsoleEngineFactory::create(const QString& controlName) {
    return std::make_unique<agent::console::ConsoleControl>(controlName, sink_);
}

}  // namespace horalia::app

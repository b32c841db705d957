#include "src/app/console_log.h"

namespace horalia::app {

void ConsoleLog::line(const QString& object, const QString& operation,
                      const QList<agent::console::Arg>& args) {
    out_ << clock_.now().time().toString(QStringLiteral("HH:mm:ss")) << ' '
         << agent::console::formatRequest(object, operation, args) << '\n';
    out_.flush();
}

}  // namespace horalia::app

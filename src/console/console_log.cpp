#include "src/console/console_log.h"

namespace horalia::console {

void ConsoleLog::line(const QString& object, const QString& operation,
                      const QList<agent::console::Arg>& args) {
    out_ << clock_.now().time().toString(QStringLiteral("HH:mm:ss")) << ' '
         << agent::console::formatRequest(object, operation, args) << '\n';
    out_.flush();
}

}  // namespace horalia::console

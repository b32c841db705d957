#include "src/platform/qt_program.h"

#include <QCoreApplication>

namespace horalia::platform {

void QtProgram::endProgram() {
    ending_ = true;
    QCoreApplication::exit(0);
}

}  // namespace horalia::platform

#include "src/platform/failure_report.h"

#include <cstdio>

namespace horalia::platform {

void reportFailure(const QString& error) {
    std::fprintf(stderr, "horalia: %s\n", error.toLocal8Bit().constData());
    std::fflush(stderr);
}

}  // namespace horalia::platform

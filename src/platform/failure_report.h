// Where the clock's failures end when no dialog shows them: a line on standard error, after which the clock
// carries on as it would have (a setting not stored keeps its old value, a program not started is not there).
#pragma once

#include "agent/result.h"

namespace horalia::platform {

void reportFailure(const QString& error);

// Whether it worked; a failure is reported on the way.
template <class T>
bool reported(const agent::Result<T>& result) {
    if (!result.ok()) {
        reportFailure(result.error());
    }
    return result.ok();
}

}  // namespace horalia::platform

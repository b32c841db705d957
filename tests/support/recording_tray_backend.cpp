#include "tests/support/recording_tray_backend.h"

#include <algorithm>

namespace testsupport {

void RecordingTrayBackend::notifyIcon(horalia::tray::NotifyMessage message,
                                      const horalia::tray::NotifyIconData& data) {
    calls.append({message, data});
}

int RecordingTrayBackend::count(horalia::tray::NotifyMessage message) const {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                          [message](const Call& call) { return call.message == message; }));
}

}  // namespace testsupport

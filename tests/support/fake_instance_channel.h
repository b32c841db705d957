// The later starts' channel without sockets: the test plays a later start's request, and scripts the answer a
// later start gets.
#pragma once

#include "src/platform/instance_channel.h"

namespace testsupport {

class FakeInstanceChannel : public horalia::platform::InstanceChannel {
public:
    agent::Status listen(std::function<bool()> showClock) override {
        ++listens;
        showClock_ = std::move(showClock);
        return listenResult;
    }
    agent::Result<bool> askToShow() override {
        ++asks;
        return answer;
    }

    // A later start's request as the running clock gets it; what it answers (false when nobody listens).
    bool request() { return showClock_ && showClock_(); }

    int listens = 0;
    int asks = 0;
    agent::Status listenResult;
    agent::Result<bool> answer = true;

private:
    std::function<bool()> showClock_;
};

}  // namespace testsupport

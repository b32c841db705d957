// Whether another program fills the clock's monitor with a full-screen window the user is looking at (a film,
// a game, a talk): the characters then keep out of sight and are only heard.
#pragma once

#include <functional>

namespace horalia::platform {

class FullScreen {
public:
    virtual ~FullScreen() = default;
    virtual bool active() const = 0;
    // Called when active() has changed.
    void setChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }

protected:
    void changed() const {
        if (changed_) {
            changed_();
        }
    }

private:
    std::function<void()> changed_;
};

// A desktop without full-screen windows: the console mode's.
class NoFullScreen final : public FullScreen {
public:
    bool active() const override { return false; }
};

}  // namespace horalia::platform

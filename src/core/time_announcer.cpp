#include "src/core/time_announcer.h"

#include "src/core/settings_keys.h"
#include "src/core/time_texts.h"

namespace horalia::core {

TimeAnnouncer::TimeAnnouncer(platform::SettingsStore& settings, platform::Clock& clock,
                             platform::Pause& pause, ClockView& view, SayFunction say)
    : settings_(settings), clock_(clock), pause_(pause), view_(view), say_(std::move(say)) {}

void TimeAnnouncer::saytime() {
    const QTime time = clock_.now().time();
    lastSpeaker_ = other(lastSpeaker_);
    const Who speaker = lastSpeaker_;

    const bool shownForAnnouncement =
        settings_.read(keys::kData, keys::kMinimise, keys::kFalse) == keys::kTrue;
    if (shownForAnnouncement) {
        view_.setVisible(true);
    }
    if (say_) {
        say_(spokenTime(time), speaker);
    }
    if (shownForAnnouncement) {
        pause_.pause(4);
        view_.setVisible(false);
    }
}

}  // namespace horalia::core

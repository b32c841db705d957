#include "agent/render/key_repeat_filter.h"

namespace agent::render {

QList<KeyChange> KeyRepeatFilter::press(quint32 time) {
    if (releaseHeld_ && time == releaseTime_) {
        releaseHeld_ = false;  // the release was the first half of a repeat
        return {};
    }
    QList<KeyChange> changes = settle();
    if (!down_) {
        down_ = true;
        changes.append(KeyChange::Pressed);
    }
    return changes;
}

void KeyRepeatFilter::release(quint32 time) {
    if (!down_) {
        return;
    }
    releaseHeld_ = true;
    releaseTime_ = time;
}

QList<KeyChange> KeyRepeatFilter::settle() {
    if (!releaseHeld_) {
        return {};
    }
    releaseHeld_ = false;
    down_ = false;
    return {KeyChange::Released};
}

void KeyRepeatFilter::reset() {
    down_ = false;
    releaseHeld_ = false;
}

}  // namespace agent::render

// Turns the key events X sends for a held key into one press and one release. Depending on the client's
// keyboard flags, X repeats a held key either as more presses, or as release-and-press pairs that carry the
// same time; a release can only be told from the first half of such a pair once the events that came with
// it have been seen, so it is held back until settle().
#pragma once

#include <QList>
#include <QtGlobal>

namespace agent::render {

enum class KeyChange { Pressed, Released };

class KeyRepeatFilter {
public:
    // A press at X time `time`: Pressed when the key was up (a held-back release that was real comes first).
    QList<KeyChange> press(quint32 time);
    // A release at X time `time`, held back until settle().
    void release(quint32 time);
    // The events that arrived together have all been seen: a release still held back is real.
    QList<KeyChange> settle();
    bool isDown() const { return down_; }
    // Forgets the key's state, as when the key is given back.
    void reset();

private:
    bool down_ = false;
    bool releaseHeld_ = false;
    quint32 releaseTime_ = 0;
};

}  // namespace agent::render

#include "agent/render/balloon_geometry.h"

#include <algorithm>

namespace agent::render {

namespace {

// `start` moved so that [start, start + length) lies within [low, high); `low` when it cannot.
int clampSpan(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length));
}

}  // namespace

BalloonPlacement placeBalloon(const QRect& character, const QSize& bodySize, const QRect& screen,
                              const BalloonShape& shape) {
    const int width = std::max(1, bodySize.width());
    const int height = std::max(1, bodySize.height());
    const int tipHeight = std::max(0, shape.tipHeight);
    const int needed = height + tipHeight;

    // Rows free above the character's top edge and below its bottom edge, within the screen.
    const int roomAbove = character.top() - screen.top();
    const int roomBelow = (screen.top() + screen.height()) - (character.top() + character.height());
    TipSide tip = TipSide::Bottom;
    if (roomAbove >= needed) {
        tip = TipSide::Bottom;
    } else if (roomBelow >= needed) {
        tip = TipSide::Top;
    } else {
        tip = roomBelow > roomAbove ? TipSide::Top : TipSide::Bottom;
    }

    // The window (body and tip) against the character, then moved into the screen.
    int windowTop = tip == TipSide::Bottom ? character.top() - needed : character.top() + character.height();
    windowTop = clampSpan(windowTop, needed, screen.top(), screen.top() + screen.height());
    const int bodyTop = tip == TipSide::Bottom ? windowTop : windowTop + tipHeight;

    const int centreX = character.left() + character.width() / 2;
    const int left = clampSpan(centreX - width / 2, width, screen.left(), screen.left() + screen.width());

    BalloonPlacement out;
    out.tip = tip;
    out.body = QRect(left, bodyTop, width, height);
    out.window = QRect(left, windowTop, width, needed);
    // The tip's base stays off the rounded corners; a body too narrow for that gets its tip in the middle.
    const int margin = std::max(0, shape.cornerRadius) + std::max(0, shape.tipHalfWidth);
    const int low = left + margin;
    const int high = left + width - 1 - margin;
    out.tipX = low <= high ? std::clamp(centreX, low, high) : left + width / 2;
    return out;
}

}  // namespace agent::render

// Where a word balloon goes beside its character, without any widget. The balloon is a rounded body with a
// tip pointing at the character: by default above the character, centred on it, with the tip pointing down.
#pragma once

#include <QRect>
#include <QSize>

namespace agent::render {

// Which edge of the body the tip is drawn on.
enum class TipSide {
    Bottom,  // the balloon is above the character, the tip points down
    Top,     // the balloon is below the character, the tip points up
};

// The balloon's outline measures that placement needs.
struct BalloonShape {
    int tipHeight = 14;    // from the body's edge to the tip's point
    int tipHalfWidth = 7;  // half the tip's base, along the body's edge
    int cornerRadius = 8;  // of the body's rounded corners
};

struct BalloonPlacement {
    QRect body;    // screen coordinates
    QRect window;  // the body and the tip together: what the balloon window covers
    TipSide tip = TipSide::Bottom;
    int tipX = 0;  // screen x of the tip's point
    bool tipBelow() const { return tip == TipSide::Bottom; }
};

// Places a body of `bodySize` beside `character` on `screen` (the available area, screen coordinates).
// Above the character when the body and tip fit there, else below when they fit there, else on the side
// with more room, moved into the screen. Always moved sideways so that the whole body is on the screen (its
// left edge wins when it is wider than the screen). The tip points at the character's centre, kept on the
// straight part of the body's edge.
BalloonPlacement placeBalloon(const QRect& character, const QSize& bodySize, const QRect& screen,
                              const BalloonShape& shape = {});

}  // namespace agent::render

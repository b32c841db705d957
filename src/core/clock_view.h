// What the clock's logic needs of the clock window: its visibility and the time label.
#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace horalia::core {

// The clock window's place and size in twips.
struct GeometryTwips {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

class ClockView {
public:
    virtual ~ClockView() = default;
    virtual GeometryTwips geometryTwips() const = 0;
    // The window is minimised (iconified), which is not the same as hidden.
    virtual bool isMinimized() const = 0;
    virtual bool isVisible() const = 0;
    virtual void setVisible(bool visible) = 0;
    // The caption of lab_time.
    virtual void setTimeText(const QString& text) = 0;

    // Start-up and settings changes.
    virtual void moveTo(double leftTwips, double topTwips) = 0;
    // The label's font and size and the window's height for the 24-hour or the 12-hour display.
    virtual void setTimeFormat(bool twentyFourHour) = 0;
    // Colour numbers as stored (red in the low byte; 0x80000000 + index for a system colour); an absent one
    // leaves that colour as it is.
    virtual void setColours(std::optional<qint32> fore, std::optional<qint32> back) = 0;
    // Simple mode hides the menu items for changing characters, the party pack and the colours.
    virtual void setSimpleMenus(bool simple) = 0;
    // Runs then once the window has first been drawn, so that what the start-up can leave till later does
    // not hold up the clock's first picture; at once where nothing is drawn.
    virtual void whenDrawn(std::function<void()> then) { then(); }
};

}  // namespace horalia::core

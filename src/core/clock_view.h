// What the clock's logic needs of the clock window: its visibility and the time label.
#pragma once

#include <QString>

namespace horalia::core {

class ClockView {
public:
    virtual ~ClockView() = default;
    virtual bool isVisible() const = 0;
    virtual void setVisible(bool visible) = 0;
    // The caption of lab_time.
    virtual void setTimeText(const QString& text) = 0;
};

}  // namespace horalia::core

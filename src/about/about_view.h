// What the about box's logic needs of its window.
#pragma once

#include <QString>

namespace horalia::about {

class AboutView {
public:
    virtual ~AboutView() = default;
    // The caption of lab_version.
    virtual void setVersionText(const QString& text) = 0;
    // Shows the window modeless, or brings it up again when it is already shown.
    virtual void showWindow() = 0;
};

}  // namespace horalia::about

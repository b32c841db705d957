// The about box in console mode: prints what happens to its window, and lets the console driver click its
// links.
#pragma once

#include <functional>

#include "agent/console/console_sink.h"
#include "src/about/about_view.h"

namespace horalia::console {

class ConsoleAboutView : public about::AboutView {
public:
    // Prints "frm_about Load".
    ConsoleAboutView(agent::console::Sink& sink, std::function<void(const QString&)> openLink);

    void setVersionText(const QString& text) override;
    void showWindow() override;

    // A click on a link by its name (link_siteweb, link_sisterapp); false for any other name.
    bool clickLink(const QString& linkName);

private:
    agent::console::Sink& sink_;
    std::function<void(const QString&)> openLink_;
};

}  // namespace horalia::console

// The about box and the web page opener as the application object holds them: one about box, created on first
// use, and one opener that every part of the program goes through.
#pragma once

#include <functional>
#include <memory>

#include "src/about/about_box.h"
#include "src/about/local_text_files.h"
#include "src/about/web_page_opener.h"
#include "src/about/xdg_html_handler_finder.h"
#include "src/platform/platform.h"

namespace horalia::wiring {

class AboutWindows {
public:
    // say is how the about box makes a character speak; it may be set once the clock exists.
    AboutWindows(platform::Shell& shell, platform::Dialogs& dialogs, about::AboutBox::ViewFactory makeView);

    void setSay(about::AboutBox::SayFunction say) { say_ = std::move(say); }
    about::AboutBox& box() { return box_; }

private:
    about::AboutBox::SayFunction say_;
    about::LocalTextFiles files_;
    about::XdgHtmlHandlerFinder finder_;
    about::WebPageOpener opener_;
    about::AboutBox box_;
};

}  // namespace horalia::wiring

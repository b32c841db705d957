// Opens a web address in the browser the desktop associates with HTML documents: a probe document in the temp
// folder is looked up and deleted again, then that browser is started with the address.
#pragma once

#include <functional>

#include "src/about/html_handler_finder.h"
#include "src/about/text_files.h"
#include "src/platform/dialogs.h"
#include "src/platform/shell.h"

namespace horalia::about {

class WebPageOpener {
public:
    WebPageOpener(platform::Shell& shell, platform::Dialogs& dialogs, TextFiles& files,
                  HtmlHandlerFinder& finder, const QString& probePath = defaultProbePath());

    // QDir::tempPath() + "/temphtm.HTM".
    static QString defaultProbePath();

    // Starts the browser with webaddress, or tells the user why not. beforeStart runs once a browser is
    // found, just before it is started (the about box loads itself then).
    void sisterapplink(const QString& webaddress, const std::function<void()>& beforeStart = {});

private:
    platform::Shell& shell_;
    platform::Dialogs& dialogs_;
    TextFiles& files_;
    HtmlHandlerFinder& finder_;
    QString probePath_;
};

}  // namespace horalia::about

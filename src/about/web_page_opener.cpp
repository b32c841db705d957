#include "src/about/web_page_opener.h"

#include <QDir>

namespace horalia::about {

WebPageOpener::WebPageOpener(platform::Shell& shell, platform::Dialogs& dialogs, TextFiles& files,
                             HtmlHandlerFinder& finder, const QString& probePath)
    : shell_(shell), dialogs_(dialogs), files_(files), finder_(finder), probePath_(probePath) {}

QString WebPageOpener::defaultProbePath() {
    return QDir::tempPath() + QStringLiteral("/temphtm.HTM");
}

void WebPageOpener::sisterapplink(const QString& webaddress, const std::function<void()>& beforeStart) {
    // Only the probe's extension matters to the look-up; a failed write shows up as a failed look-up.
    files_.writeText(probePath_, QStringLiteral("\"<HTML> <\\HTML>\"\n"));
    std::optional<AssociatedProgram> browser = finder_.findExecutable(probePath_);
    files_.remove(probePath_);

    if (browser) {
        browser->path = browser->path.trimmed();
    }
    if (!browser || browser->path.isEmpty()) {
        dialogs_.messageBox(QStringLiteral("Could not find associated browser!"),
                            QStringLiteral("BROWSER NOT FOUND"), platform::style::kExclamation);
        return;
    }
    if (beforeStart) {
        beforeStart();
    }
    QStringList arguments = browser->arguments;
    if (!webaddress.isEmpty()) {
        arguments << webaddress;
    }
    if (!shell_.start(browser->path, arguments, platform::WindowStyle::NormalFocus)) {
        dialogs_.messageBox(QStringLiteral("Web Page not Opened"), QStringLiteral("URL FAILED"),
                            platform::style::kExclamation);
    }
}

}  // namespace horalia::about

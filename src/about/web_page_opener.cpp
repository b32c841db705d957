#include "src/about/web_page_opener.h"

#include <QDir>

#include "src/platform/failure_report.h"

namespace horalia::about {

WebPageOpener::WebPageOpener(platform::Shell& shell, platform::Dialogs& dialogs, TextFiles& files,
                             HtmlHandlerFinder& finder, const QString& probePath)
    : shell_(shell), dialogs_(dialogs), files_(files), finder_(finder), probePath_(probePath) {}

QString WebPageOpener::defaultProbePath() {
    return QDir::tempPath() + QStringLiteral("/temphtm.HTM");
}

void WebPageOpener::sisterapplink(const QString& webaddress, const std::function<void()>& beforeStart) {
    // Only the probe's extension matters to the look-up; a failed write shows up as a failed look-up.
    const bool probed =
        platform::reported(files_.writeText(probePath_, QStringLiteral("\"<HTML> <\\HTML>\"\n")));
    std::optional<AssociatedProgram> browser = finder_.findExecutable(probePath_);
    // A probe that was never written is no news when it cannot be deleted.
    const agent::Status removed = files_.remove(probePath_);
    if (probed) {
        platform::reported(removed);
    }

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
    if (!platform::reported(shell_.start(browser->path, arguments, platform::WindowStyle::NormalFocus))) {
        dialogs_.messageBox(QStringLiteral("Web Page not Opened"), QStringLiteral("URL FAILED"),
                            platform::style::kExclamation);
    }
}

}  // namespace horalia::about

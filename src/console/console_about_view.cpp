#include "src/console/console_about_view.h"

#include "src/about/web_addresses.h"

namespace horalia::console {

ConsoleAboutView::ConsoleAboutView(agent::console::Sink& sink, std::function<void(const QString&)> openLink)
    : sink_(sink), openLink_(std::move(openLink)) {
    sink_.line(QStringLiteral("frm_about"), QStringLiteral("Load"), {});
}

void ConsoleAboutView::setVersionText(const QString& text) {
    sink_.line(QStringLiteral("lab_version"), QStringLiteral("Caption"), {text});
}

void ConsoleAboutView::showWindow() {
    sink_.line(QStringLiteral("frm_about"), QStringLiteral("Show"), {});
}

bool ConsoleAboutView::clickLink(const QString& linkName) {
    QString address;
    if (linkName == u"link_siteweb") {
        address = about::kProductWebSite;
    } else if (linkName == u"link_sisterapp") {
        address = about::kSisterWebSite;
    } else {
        return false;
    }
    sink_.line(linkName, QStringLiteral("Click"), {});
    if (openLink_) {
        openLink_(address);
    }
    return true;
}

}  // namespace horalia::console

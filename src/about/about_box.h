// The about box frm_about without its widgets: loaded on first use (announcing the version), shown modeless,
// one instance; and sisterapplink, through which every part of the program opens a web page.
#pragma once

#include <functional>
#include <memory>

#include "src/about/about_view.h"
#include "src/about/web_page_opener.h"

namespace horalia::about {

class AboutBox {
public:
    // Makes a character speak: who "genie" is character 1.
    using SayFunction = std::function<void(const QString& talk, const QString& who)>;
    // Builds the window; openLink is what its links call with their address.
    using ViewFactory =
        std::function<std::unique_ptr<AboutView>(std::function<void(const QString&)> openLink)>;

    // projectVersion is the build's version ("3.6.1").
    AboutBox(const QString& projectVersion, SayFunction say, WebPageOpener& opener, ViewFactory makeView);
    ~AboutBox();
    AboutBox(const AboutBox&) = delete;
    AboutBox& operator=(const AboutBox&) = delete;

    // The version as major.minor.revision, each a plain decimal number; missing parts count as 0.
    static QString versionText(const QString& projectVersion);

    // Loads the box without showing it; only the first call does anything.
    void load();
    // Loads it when needed and shows it modeless.
    void show();
    // Opens webaddress in the user's browser, loading the box hidden first when a browser is found and the
    // box was never loaded.
    void sisterapplink(const QString& webaddress);

    bool isLoaded() const { return view_ != nullptr; }
    AboutView* view() const { return view_.get(); }

private:
    QString projectVersion_;
    SayFunction say_;
    WebPageOpener& opener_;
    ViewFactory makeView_;
    std::unique_ptr<AboutView> view_;
    bool loading_ = false;
};

}  // namespace horalia::about

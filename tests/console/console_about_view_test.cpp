// The about box in the console: its window printed, and a script's clicks on its links.
#include "src/console/console_about_view.h"

#include <gtest/gtest.h>

#include "src/about/web_addresses.h"
#include "tests/support/recording_sink.h"

namespace {

TEST(ConsoleAboutView, PrintsItsWindowAndPlaysLinkClicks) {
    testsupport::RecordingSink sink;
    QStringList opened;
    horalia::console::ConsoleAboutView view(sink, [&](const QString& address) { opened << address; });
    view.setVersionText(QStringLiteral("3.6.1"));
    view.showWindow();
    EXPECT_TRUE(view.clickLink(QStringLiteral("link_sisterapp")));
    EXPECT_FALSE(view.clickLink(QStringLiteral("lab_vers")));
    EXPECT_EQ(sink.lines, (QStringList{"frm_about Load", "lab_version Caption \"3.6.1\"", "frm_about Show",
                                       "link_sisterapp Click"}));
    EXPECT_EQ(opened, QStringList{horalia::about::kSisterWebSite});
}

}  // namespace

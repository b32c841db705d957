#include "src/about/frm_about.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "src/about/link_label.h"
#include "src/about/web_addresses.h"

namespace horalia::about {

namespace {

const char* const kNote =
    "Horalia Deluxe keeps the time on your desktop and has two characters say it out loud.\n\n"
    "They announce the time at the interval you choose, sound two daily alarms with your own message, "
    "greet you when the clock starts and whisper during your quiet hours. Double-click the clock or click "
    "the tray icon to hear the time; right-click the clock for its options.\n\n"
    "Visit the web site for news, new characters and the sister product.";

}  // namespace

frm_about::frm_about(std::function<void(const QString&)> openLink, QWidget* parent)
    : QWidget(parent, Qt::Window), openLink_(std::move(openLink)) {
    setObjectName(QStringLiteral("frm_about"));
    setWindowTitle(QStringLiteral("About Horalia"));

    lab_vers = new QLabel(QStringLiteral("This is Version "), this);
    lab_vers->setObjectName(QStringLiteral("lab_vers"));
    lab_version = new QLabel(this);
    lab_version->setObjectName(QStringLiteral("lab_version"));
    link_siteweb = new LinkLabel(QStringLiteral("Goto ") + kProductWebSite, this);
    link_siteweb->setObjectName(QStringLiteral("link_siteweb"));
    link_sisterapp = new LinkLabel(QStringLiteral("Goto ") + kSisterWebSite, this);
    link_sisterapp->setObjectName(QStringLiteral("link_sisterapp"));
    Text1 = new QPlainTextEdit(QString::fromUtf8(kNote), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);

    // Each click and each double-click opens the page: a double-click therefore opens it twice.
    const auto opens = [this](const QString& address) {
        return [this, address] {
            if (openLink_) {
                openLink_(address);
            }
        };
    };
    link_siteweb->onClick = opens(kProductWebSite);
    link_siteweb->onDoubleClick = opens(kProductWebSite);
    link_sisterapp->onClick = opens(kSisterWebSite);
    link_sisterapp->onDoubleClick = opens(kSisterWebSite);

    auto* version = new QHBoxLayout;
    version->addWidget(lab_vers);
    version->addWidget(lab_version);
    version->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(version);
    layout->addWidget(link_siteweb);
    layout->addWidget(link_sisterapp);
    layout->addWidget(Text1);
    resize(380, 260);
}

void frm_about::setVersionText(const QString& text) {
    lab_version->setText(text);
}

void frm_about::showWindow() {
    show();
    raise();
    activateWindow();
}

}  // namespace horalia::about

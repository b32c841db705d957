#include "src/settings_dialog/frm_settings.h"

#include <QVBoxLayout>

namespace horalia::settings_dialog {

frm_settings::frm_settings(QWidget* parent) : QWidget(parent, Qt::Window), tabs_(new QTabWidget(this)) {
    setObjectName(QStringLiteral("frm_settings"));
    setWindowTitle(QStringLiteral("General Settings"));
    tabs_->setObjectName(QStringLiteral("SSTab1"));
    const char* captions[kPageCount] = {
        "Alarm 1 settings", "Alarm 2 settings", "Characters", "Colours", "Help", "Type and Speak", "Misc"};
    for (const char* caption : captions) {
        tabs_->addTab(new QWidget(tabs_), QString::fromLatin1(caption));
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    resize(520, 400);
}

void frm_settings::showPage(int page) {
    show();
    raise();
    activateWindow();
    if (page >= 0 && page < kPageCount) {
        tabs_->setCurrentIndex(page);
    }
}

}  // namespace horalia::settings_dialog

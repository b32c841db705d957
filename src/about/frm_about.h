// The about box's window: the version, links to the two web sites, and a note about the product.
#pragma once

#include <QWidget>
#include <functional>

#include "src/about/about_view.h"

class QLabel;
class QPlainTextEdit;

namespace horalia::about {

class LinkLabel;

class frm_about : public QWidget, public AboutView {
public:
    // openLink opens a web address (the about box's sisterapplink).
    explicit frm_about(std::function<void(const QString&)> openLink, QWidget* parent = nullptr);

    void setVersionText(const QString& text) override;
    void showWindow() override;

    QLabel* lab_vers;
    QLabel* lab_version;
    LinkLabel* link_siteweb;
    LinkLabel* link_sisterapp;
    QPlainTextEdit* Text1;

private:
    std::function<void(const QString&)> openLink_;
};

}  // namespace horalia::about

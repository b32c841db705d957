#include "src/setup/frm_wait.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "src/platform/colour_number.h"

namespace horalia::setup {

QString waitText() {
    return QStringLiteral(
        "PLEASE WAIT! Essential files are now being installed on to your system. This will take approx. 30 "
        "seconds");
}

frm_wait::frm_wait(platform::Platform& platform, const QString& programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint),
      label1_(new QLabel(waitText(), this)),
      screen_(platform, programFolder, [this](qint32 colour) {
          QPalette p = palette();
          p.setColor(QPalette::Window, platform::rgbFromNumber(colour));
          setPalette(p);
      }) {
    setObjectName(QStringLiteral("frm_wait"));
    setWindowTitle(QString());
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
    label1_->setObjectName(QStringLiteral("Label1"));
    QFont bold = label1_->font();
    bold.setBold(true);
    label1_->setFont(bold);
    label1_->setWordWrap(true);
    label1_->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1_);
    resize(420, 140);
}

void frm_wait::showCentred() {
    screen_.load();
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
}

void frm_wait::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    screen_.closed();
}

}  // namespace horalia::setup

#include "src/setup/agreement_window.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

#include "src/setup/agreement_text.h"

namespace horalia::setup {

AgreementWindow::AgreementWindow(std::function<void()> agree, std::function<void()> disagree, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("New_User"));
    setWindowTitle(QStringLiteral("Horalia Deluxe"));
    QPalette red = palette();
    red.setColor(QPalette::Window, QColor(255, 0, 0));
    setPalette(red);
    setAutoFillBackground(true);

    frame1_ = new QFrame(this);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    frame1_->setFrameShape(QFrame::Box);
    frame1_->setPalette(red);
    frame1_->setAutoFillBackground(true);
    text1_ = new QPlainTextEdit(frame1_);
    text1_->setObjectName(QStringLiteral("Text1"));
    text1_->setReadOnly(true);
    text1_->setPlainText(agreementText());
    command3_ = new QPushButton(QStringLiteral("I AGREE"), frame1_);
    command3_->setObjectName(QStringLiteral("Command3"));
    command1_ = new QPushButton(QStringLiteral("I DON`T AGREE"), frame1_);
    command1_->setObjectName(QStringLiteral("Command1"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(command3_);
    buttons->addStretch();
    buttons->addWidget(command1_);
    auto* inner = new QVBoxLayout(frame1_);
    inner->addWidget(text1_);
    inner->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(frame1_);
    resize(560, 420);

    connect(command3_, &QPushButton::clicked, this, [agree = std::move(agree)] {
        if (agree) {
            agree();
        }
    });
    connect(command1_, &QPushButton::clicked, this, [disagree = std::move(disagree)] {
        if (disagree) {
            disagree();
        }
    });
}

void AgreementWindow::showCentred() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
}

}  // namespace horalia::setup

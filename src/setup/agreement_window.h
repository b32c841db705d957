// The agreement window New_User shows on a first run: the terms and two buttons.
#pragma once

#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <functional>

namespace horalia::setup {

class AgreementWindow : public QWidget {
public:
    AgreementWindow(std::function<void()> agree, std::function<void()> disagree, QWidget* parent = nullptr);

    QPlainTextEdit* Text1() const { return text1_; }
    QPushButton* Command3() const { return command3_; }  // "I AGREE"
    QPushButton* Command1() const { return command1_; }  // "I DON`T AGREE"

    // Centred on the primary screen.
    void showCentred();

private:
    QFrame* frame1_;
    QPlainTextEdit* text1_;
    QPushButton* command3_;
    QPushButton* command1_;
};

}  // namespace horalia::setup

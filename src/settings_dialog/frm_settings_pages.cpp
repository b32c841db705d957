// The settings window's pages: each laid out with its controls named as the dialog names them. What the
// controls do is in the control table and the settings logic.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "src/settings_dialog/frm_settings.h"
#include "src/settings_dialog/help_text.h"
#include "src/settings_dialog/widget_makers.h"

namespace horalia::settings_dialog {

using namespace widgets;

void frm_settings::buildAlarmPage(int alarm) {
    // Alarm 2's labels carry names of their own.
    const bool first = alarm == 1;
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->addWidget(label(first ? "Label2" : "Label9", QStringLiteral("Alarm set for")), 0, 0);
    auto* hour = box(n("txt_hour", alarm), QStringLiteral("Enter your new alarm hour in here"));
    auto* minute =
        box(n("txt_min", alarm), QStringLiteral("Enter your new alarm minute in here and then click SET"));
    hour->setText(QStringLiteral("99"));
    minute->setText(QStringLiteral("99"));
    hour->setMaximumWidth(60);
    minute->setMaximumWidth(60);
    auto* time = new QHBoxLayout;
    time->addWidget(hour);
    time->addWidget(label(first ? "Label3" : "Label8", QStringLiteral(":")));
    time->addWidget(minute);
    time->addWidget(button(n("com_set", alarm), QStringLiteral("SET"),
                           QStringLiteral("Click here to set the new alarm time")));
    time->addStretch(1);
    grid->addLayout(time, 0, 1);
    grid->addWidget(label(first ? "Label28" : "Label29", QStringLiteral("Please use 24 hour format")), 1, 1);
    grid->addWidget(button(n("com_clear", alarm), QStringLiteral("Clear this alarm")), 2, 1, Qt::AlignLeft);
    grid->addWidget(checkRow(named(new QCheckBox, n("chk_repeat", alarm)),
                             label(first ? "Label1" : "Label10", QStringLiteral("Repeat this alarm daily"))),
                    3, 0, 1, 2);
    grid->addWidget(
        label(first ? "Label4" : "Label7", QStringLiteral("Program to launch with alarm %1").arg(alarm)), 4,
        0, 1, 2);
    auto* launch = new QHBoxLayout;
    launch->addWidget(box(n("txt_launch", alarm),
                          QStringLiteral("This program will launch with alarm %1").arg(alarm), true),
                      1);
    launch->addWidget(button(n("com_change", alarm), QStringLiteral("Change"),
                             QStringLiteral("Click here to change the launch program")));
    grid->addLayout(launch, 5, 0, 1, 2);
    grid->addWidget(label(first ? "Label5" : "Label6",
                          QStringLiteral("Alarm %1 spoken message, you may type in a new one").arg(alarm)),
                    6, 0, 1, 2);
    grid->addWidget(box(n("txt_message", alarm), QStringLiteral("Enter your new alarm announcement in here")),
                    7, 0, 1, 2);
    grid->setRowStretch(8, 1);
    tabs_->addTab(page, QStringLiteral("Alarm %1 settings").arg(alarm));
}

void frm_settings::buildCharactersPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    const char* titles[] = {"Label30", "Label31"};
    const char* isLabels[] = {"Label11", "Label14"};
    const char* hideLabels[] = {"Label12", "Label13"};
    const char* effectLabels[] = {"Label32", "Label33"};
    for (int c = 1; c <= 2; ++c) {
        const int col = (c - 1) * 2;
        grid->addWidget(label(titles[c - 1], QStringLiteral("CHARACTER %1 SETTINGS").arg(c)), 0, col, 1, 2);
        grid->addWidget(label(isLabels[c - 1], QStringLiteral("Character %1 is ").arg(c)), 1, col, 1, 2);
        grid->addWidget(box(n("txt_character", c), QStringLiteral("This is character %1").arg(c), true), 2,
                        col);
        grid->addWidget(button(n("com_changechar", c), QStringLiteral("Change"),
                               QStringLiteral("Click here to change character %1").arg(c)),
                        2, col + 1);
        grid->addWidget(
            checkRow(named(new QCheckBox, n("chk_hide", c),
                           QStringLiteral("Click here to hide the character after talking")),
                     label(hideLabels[c - 1], QStringLiteral("Hide character %1 after talking").arg(c))),
            3, col, 1, 2);
        grid->addWidget(checkRow(named(new QCheckBox, n("chk_effects", c)),
                                 label(effectLabels[c - 1],
                                       QStringLiteral("Turn off character %1 sound effects").arg(c))),
                        4, col, 1, 2);
    }
    auto* interval = new QHBoxLayout;
    interval->addWidget(label("Label20", QStringLiteral("Announce the time every")));
    interval->addWidget(
        combo("Combo2", QStringLiteral("Enter the frequency that you want the time announcing in here")));
    interval->addWidget(label("Label21", QStringLiteral("Minutes")));
    interval->addStretch(1);
    grid->addLayout(interval, 5, 0, 1, 4);
    auto* quiet = new QHBoxLayout;
    auto* from = box("txt_quiet1", QStringLiteral("This is the HOUR to be quet FROM"));
    auto* to = box("txt_quiet2", QStringLiteral("This is the HOUR to be quiet TO"));
    for (QLineEdit* hour : {from, to}) {
        hour->setMaxLength(2);
        hour->setMaximumWidth(50);
    }
    quiet->addWidget(label("Label25", QStringLiteral("The clock will `Whisper` between")));
    quiet->addWidget(from);
    quiet->addWidget(label("Label26", QStringLiteral("and")));
    quiet->addWidget(to);
    quiet->addWidget(button("com_setquiet", QStringLiteral("SET"),
                            QStringLiteral("Click here to SET the quiet time that you have entered")));
    quiet->addStretch(1);
    grid->addLayout(quiet, 6, 0, 1, 4);
    grid->setRowStretch(7, 1);
    tabs_->addTab(page, QStringLiteral("Characters"));
}

void frm_settings::buildColoursPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    const struct {
        const char* label;
        const char* caption;
        const char* box;
        const char* boxTip;
        const char* button;
        const char* buttonTip;
    } rows[] = {
        {"Label15", "This the is current clock text colour", "txt_forecolour", "This is the text colour",
         "com_changefore", "Click here to change the text colour"},
        {"Label16", "This the is current clock background colour", "txt_backcolour",
         "This is the background colour", "com_changeback", "Click here to change the background colour"}};
    int row = 0;
    for (const auto& r : rows) {
        grid->addWidget(label(r.label, QString::fromLatin1(r.caption)), row, 0, 1, 2);
        auto* swatch = box(r.box, QString::fromLatin1(r.boxTip), true);
        swatch->setAutoFillBackground(true);
        grid->addWidget(swatch, row + 1, 0);
        grid->addWidget(button(r.button, QStringLiteral("Change"), QString::fromLatin1(r.buttonTip)), row + 1,
                        1);
        row += 2;
    }
    grid->setRowStretch(row, 1);
    tabs_->addTab(page, QStringLiteral("Colours"));
}

void frm_settings::buildHelpPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* text = named(new QPlainTextEdit, QStringLiteral("Text1"));
    text->setReadOnly(true);
    text->setPlainText(helpText());
    layout->addWidget(text);
    tabs_->addTab(page, QStringLiteral("Help"));
}

void frm_settings::buildTypeAndSpeakPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(QStringLiteral("Say what I type !"));
    auto* inner = new QVBoxLayout(group);
    auto* speech =
        named(new QPlainTextEdit, QStringLiteral("txt_speech"),
              QStringLiteral("Enter some text in this box, and then CLICK on the `CLICK HERE TO SPEAK` "
                             "button."));
    speech->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    speech->setPlainText(
        QStringLiteral("Type in some text, whatever you want to hear back \n"
                       "and then press Click Here To Speak. You can also \n"
                       "use \\emp\\Special commands like that or \n"
                       "\\chr=\"Whisper\"\\commands like whisper\n"));
    inner->addWidget(speech);
    auto* chooser = new QHBoxLayout;
    chooser->addWidget(label("Label19", QStringLiteral("Select the character to speak in this box")));
    chooser->addWidget(combo("Combo1", QStringLiteral("Choose the character that you want to speak")), 1);
    inner->addLayout(chooser);
    inner->addWidget(button("com_speak", QStringLiteral("CLICK HERE TO SPEAK"),
                            QStringLiteral("Click here to speak the text")));
    layout->addWidget(group);
    tabs_->addTab(page, QStringLiteral("Type and Speak"));
}

void frm_settings::buildMiscPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->addWidget(checkRow(named(new QCheckBox, QStringLiteral("chk_LWW"),
                                   QStringLiteral("Click here to make horalia start with windows")),
                             label("Label17", QStringLiteral("Start Horalia Deluxe with Windows"))),
                    0, 0, 1, 3);
    grid->addWidget(label("Label27", QStringLiteral("Time Format")), 1, 0);
    grid->addWidget(combo("com_format", QStringLiteral("Choose between 24 hour and 12 hour display")), 1, 1);
    grid->addWidget(
        button("Command2", QStringLiteral("SET"), QStringLiteral("Click here to confirm your choice")), 1, 2);
    grid->addWidget(
        label("Label22", QStringLiteral("This is your current Start Up Message (for character 2)")), 2, 0, 1,
        3);
    grid->addWidget(
        box("txt_startupmessage", QStringLiteral("This message is read out by character 2 after loading")), 3,
        0, 1, 3);
    grid->addWidget(label("Label23", QStringLiteral("This is your current User Name")), 4, 0, 1, 3);
    grid->addWidget(box("txt_username", QStringLiteral("This is your current user name")), 5, 0, 1, 3);
    auto* mode = label("lab_mode", kSimpleModeCaption);
    mode->setAutoFillBackground(true);
    QPalette palette = mode->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    mode->setPalette(palette);
    mode->setAlignment(Qt::AlignCenter);
    mode->setCursor(Qt::PointingHandCursor);
    mode->setMinimumHeight(40);
    grid->addWidget(mode, 6, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(7, 1);
    tabs_->addTab(page, QStringLiteral("Misc"));
}

}  // namespace horalia::settings_dialog

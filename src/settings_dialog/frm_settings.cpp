#include "src/settings_dialog/frm_settings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "src/settings_dialog/control_table.h"
#include "src/settings_dialog/help_text.h"

namespace horalia::settings_dialog {

namespace {

template <typename W>
W* named(W* widget, const QString& name, const QString& toolTip = {}) {
    widget->setObjectName(name);
    if (!toolTip.isEmpty()) {
        widget->setToolTip(toolTip);
    }
    return widget;
}

QLabel* label(const QString& name, const QString& caption) {
    return named(new QLabel(caption), name);
}

QLineEdit* box(const QString& name, const QString& toolTip, bool readOnly = false) {
    auto* b = named(new QLineEdit, name, toolTip);
    b->setReadOnly(readOnly);
    return b;
}

QPushButton* button(const QString& name, const QString& caption, const QString& toolTip = {}) {
    return named(new QPushButton(caption), name, toolTip);
}

QComboBox* combo(const QString& name, const QString& toolTip) {
    auto* c = named(new QComboBox, name, toolTip);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    return c;
}

// A check box with its caption in a label of its own beside it, as the dialog names both.
QWidget* checkRow(QCheckBox* check, QLabel* caption) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(check);
    layout->addWidget(caption, 1);
    caption->setBuddy(check);
    return row;
}

QString n(const char* name, int number) {
    return QString::fromLatin1(name) + QString::number(number);
}

// The boxes whose whole text is selected when they take the focus, so that typing replaces it.
const char* const kSelectAllBoxes[] = {"txt_hour1",    "txt_hour2",    "txt_min1",
                                       "txt_min2",     "txt_quiet1",   "txt_quiet2",
                                       "txt_message1", "txt_message2", "txt_speech"};

// Focus that leaves with the window (another window activated) or for a menu or drop-down list, and comes
// back when that is over.
bool byWindowOrPopup(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

}  // namespace

frm_settings::frm_settings(DialogContext context, QWidget* parent)
    : QWidget(parent, Qt::Window), tabs_(new QTabWidget(this)) {
    setObjectName(QStringLiteral("frm_settings"));
    setWindowTitle(QStringLiteral("General Settings"));
    tabs_->setObjectName(QStringLiteral("SSTab1"));
    buildAlarmPage(1);
    buildAlarmPage(2);
    buildCharactersPage();
    buildColoursPage();
    buildHelpPage();
    buildTypeAndSpeakPage();
    buildMiscPage();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    // Room for all seven tabs side by side, well inside a 1024x768 screen.
    resize(720, 480);
    unload_ = context.clock.closeDialog;
    logic_ = std::make_unique<SettingsLogic>(std::move(context), *this);
    findControls();
    connectHandlers();
}

frm_settings::~frm_settings() = default;

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

void frm_settings::findControls() {
    // A parent comes before its children, so a combo box is found under its name, not its edit field.
    for (QWidget* w : findChildren<QWidget*>()) {
        if (!w->objectName().isEmpty() && !controls_.contains(w->objectName())) {
            controls_.insert(w->objectName(), w);
        }
    }
}

QWidget* frm_settings::control(const QString& name) const {
    QWidget* w = controls_.value(name);
    if (w == nullptr) {
        qCritical("frm_settings: no control is named \"%s\"", qPrintable(name));
    }
    return w;
}

void frm_settings::connectHandlers() {
    SettingsLogic* logic = logic_.get();
    for (const ControlHandler& entry : controlHandlers()) {
        QWidget* w = control(entry.name);
        const auto handle = [logic, h = entry.handle] { h(*logic); };
        auto* button = qobject_cast<QPushButton*>(w);
        auto* check = qobject_cast<QCheckBox*>(w);
        auto* line = qobject_cast<QLineEdit*>(w);
        auto* combo = qobject_cast<QComboBox*>(w);
        bool wired = true;
        switch (entry.kind) {
            case ControlKind::Button:
                wired = button != nullptr && connect(button, &QPushButton::clicked, this, handle);
                break;
            case ControlKind::CheckBox:
                // A box changes on a click and when a handler or the load sets it; only the user's change
                // is a click.
                wired = check != nullptr && connect(check, &QCheckBox::toggled, this, [this, handle] {
                            if (!settingBox_) {
                                handle();
                            }
                        });
                break;
            case ControlKind::Text:
                wired = line != nullptr && connect(line, &QLineEdit::textChanged, this, handle);
                break;
            case ControlKind::Interval:
                wired = combo != nullptr && connect(combo, &QComboBox::editTextChanged, this, handle);
                if (wired) {
                    combo->installEventFilter(this);
                }
                break;
            case ControlKind::Entry:
                wired = line != nullptr || combo != nullptr || qobject_cast<QPlainTextEdit*>(w) != nullptr;
                break;
            case ControlKind::Label:
                wired = qobject_cast<QLabel*>(w) != nullptr;
                if (wired) {
                    w->installEventFilter(this);
                }
                break;
        }
        if (w != nullptr && !wired) {
            qCritical("frm_settings: \"%s\" is not the kind of control its handler wants",
                      qPrintable(entry.name));
        }
    }
    for (const char* name : kSelectAllBoxes) {
        if (QWidget* w = control(QString::fromLatin1(name))) {
            w->installEventFilter(this);
        }
    }
}

bool frm_settings::eventFilter(QObject* watched, QEvent* event) {
    const QString name = watched->objectName();
    const ControlHandler* entry = findControlHandler(name);
    if (event->type() == QEvent::MouseButtonRelease && entry && entry->kind == ControlKind::Label) {
        entry->handle(*logic_);
        return true;
    }
    if (event->type() == QEvent::FocusOut) {
        leftWithWindow_ = byWindowOrPopup(static_cast<QFocusEvent*>(event)->reason()) ? watched : nullptr;
    }
    if (event->type() == QEvent::FocusIn) {
        // Only the user going to the control gives the hint and the select-all, not the control getting its
        // focus back. A control that was given the focus while the window was in the background (the hour box
        // of "Main Options", or the first focus of a new window) is still a move, though its focus only
        // arrives with the window's.
        const bool back =
            byWindowOrPopup(static_cast<QFocusEvent*>(event)->reason()) && watched == leftWithWindow_;
        leftWithWindow_ = nullptr;
        if (back) {
            return QWidget::eventFilter(watched, event);
        }
        if (entry && entry->focused) {
            // The edit field passes its focus on to the combo box, so this is one hint per focus.
            entry->focused(*logic_);
        } else if (auto* line = qobject_cast<QLineEdit*>(watched)) {
            line->selectAll();
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(watched)) {
            text->selectAll();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frm_settings::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted() && unload_) {
        unload_();
    }
}

void frm_settings::load() {
    if (!loaded_) {
        loaded_ = true;
        logic_->load();
    }
}

void frm_settings::showPage(int page) {
    load();
    show();
    raise();
    activateWindow();
    if (page >= 0 && page < kPageCount && tabs_->isTabEnabled(page)) {
        tabs_->setCurrentIndex(page);
    }
}

QString frm_settings::text(const QString& name) const {
    QWidget* w = control(name);
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
        return line->text();
    }
    if (auto* c = qobject_cast<QComboBox*>(w)) {
        return c->currentText();
    }
    if (auto* t = qobject_cast<QPlainTextEdit*>(w)) {
        return t->toPlainText();
    }
    if (auto* l = qobject_cast<QLabel*>(w)) {
        return l->text();
    }
    return {};
}

void frm_settings::setText(const QString& name, const QString& text) {
    QWidget* w = control(name);
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
        line->setText(text);
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        c->setEditText(text);
    } else if (auto* t = qobject_cast<QPlainTextEdit*>(w)) {
        t->setPlainText(text);
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setText(text);
    }
}

void frm_settings::setChecked(const QString& name, bool checked) {
    if (auto* b = qobject_cast<QCheckBox*>(control(name))) {
        const bool before = settingBox_;
        settingBox_ = true;
        b->setChecked(checked);
        settingBox_ = before;
    }
}

void frm_settings::setItems(const QString& name, const QStringList& items) {
    if (auto* c = qobject_cast<QComboBox*>(control(name))) {
        // Filling the list would put its first entry into the edit field.
        const QString kept = c->currentText();
        c->clear();
        c->addItems(items);
        c->setEditText(kept);
    }
}

void frm_settings::setShown(const QString& name, bool shown) {
    if (QWidget* w = control(name)) {
        w->setVisible(shown);
    }
}

void frm_settings::setPageEnabled(int page, bool enabled) {
    tabs_->setTabEnabled(page, enabled);
}

void frm_settings::setBackground(const QString& name, const QColor& colour) {
    if (QWidget* w = control(name)) {
        QPalette palette = w->palette();
        palette.setColor(QPalette::Window, colour);
        palette.setColor(QPalette::Base, colour);
        w->setPalette(palette);
        w->setAutoFillBackground(true);
    }
}

}  // namespace horalia::settings_dialog

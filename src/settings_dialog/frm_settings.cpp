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

namespace horalia::settings_dialog {

namespace {

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
    for (const core::Alarm& alarm : core::alarms()) {
        buildAlarmPage(alarm.number);
    }
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

// Small makers of the settings window's widgets, each named as the dialog names it.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

namespace horalia::settings_dialog::widgets {

template <typename W>
W* named(W* widget, const QString& name, const QString& toolTip = {}) {
    widget->setObjectName(name);
    if (!toolTip.isEmpty()) {
        widget->setToolTip(toolTip);
    }
    return widget;
}

inline QLabel* label(const QString& name, const QString& caption) {
    return named(new QLabel(caption), name);
}

inline QLineEdit* box(const QString& name, const QString& toolTip, bool readOnly = false) {
    auto* b = named(new QLineEdit, name, toolTip);
    b->setReadOnly(readOnly);
    return b;
}

inline QPushButton* button(const QString& name, const QString& caption, const QString& toolTip = {}) {
    return named(new QPushButton(caption), name, toolTip);
}

inline QComboBox* combo(const QString& name, const QString& toolTip) {
    auto* c = named(new QComboBox, name, toolTip);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    return c;
}

// A check box with its caption in a label of its own beside it, as the dialog names both.
inline QWidget* checkRow(QCheckBox* check, QLabel* caption) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(check);
    layout->addWidget(caption, 1);
    caption->setBuddy(check);
    return row;
}

inline QString n(const char* name, int number) {
    return QString::fromLatin1(name) + QString::number(number);
}

}  // namespace horalia::settings_dialog::widgets

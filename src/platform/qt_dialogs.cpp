#include "src/platform/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace horalia::platform {

Answer QtDialogs::messageBox(const QString& text, const QString& title, int styleNumber) {
    QMessageBox box;
    box.setWindowTitle(title.isEmpty() ? QStringLiteral("Horalia Deluxe") : title);
    box.setText(text);
    const int buttons = styleNumber & 0x0f;
    const int icon = styleNumber & 0xf0;
    box.setIcon(icon == style::kExclamation ? QMessageBox::Warning
                : icon == 32                ? QMessageBox::Question
                : icon == 16                ? QMessageBox::Critical
                : icon == 64                ? QMessageBox::Information
                                            : QMessageBox::NoIcon);
    if (buttons == style::kYesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    int result = box.exec();
    if (buttons == style::kYesNo) {
        return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    return Answer::Ok;
}

QString QtDialogs::qtFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        const QString pattern = QString(parts[i + 1]).replace(u';', u' ');
        if (!description.contains(u'(')) {
            description += QStringLiteral(" (") + pattern + u')';
        } else if (!description.contains(pattern)) {
            description =
                description.left(description.indexOf(u'(')).trimmed() + QStringLiteral(" (") + pattern + u')';
        }
        out << description;
    }
    return out.join(QStringLiteral(";;"));
}

QString QtDialogs::openFile(const QString& filter, const QString& initialFolder) {
    return QFileDialog::getOpenFileName(nullptr, QString(), initialFolder, qtFilter(filter));
}

void QtDialogs::beep() {
    QApplication::beep();
}

}  // namespace horalia::platform

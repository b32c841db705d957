#include "src/platform/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QSortFilterProxyModel>
#include <algorithm>

#include "src/platform/file_filters.h"

namespace horalia::platform {

namespace {

// Hides the files that the chosen filter does not list though their names match it.
class FilterProxy : public QSortFilterProxyModel {
public:
    explicit FilterProxy(QObject& parent) : QSortFilterProxyModel(&parent) {}
    void choose(const FileFilter& filter) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 10, 0)
        // Qt 6.10 tells the views before the filter changes and after; invalidateFilter() is deprecated there
        beginFilterChange();
        filter_ = filter;
        endFilterChange(Direction::Rows);
#else
        filter_ = filter;
        invalidateFilter();
#endif
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (files == nullptr) {
            return true;
        }
        return filter_.lists(files->fileInfo(files->index(row, 0, parent)));
    }

private:
    FileFilter filter_;
};

}  // namespace

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

QString QtDialogs::openFile(const QString& filter, const QString& initialFolder) {
    const QList<FileFilter> filters = fileFilters(filter);
    QStringList nameFilters;
    for (const FileFilter& f : filters) {
        nameFilters << f.nameFilter();
    }
    QFileDialog dialog(nullptr, QString(), initialFolder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFilters);
    const bool byExecuteBit =
        std::any_of(filters.begin(), filters.end(), [](const FileFilter& f) { return f.executablesOnly; });
    if (byExecuteBit) {
        // Only Qt's own dialog lists its files through a proxy model; a desktop's native one would show every
        // file under the programs' "*".
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        auto* proxy = new FilterProxy(dialog);
        proxy->choose(filters.value(0));
        dialog.setProxyModel(proxy);
        QObject::connect(&dialog, &QFileDialog::filterSelected, proxy,
                         [proxy, filters](const QString& chosen) {
                             for (const FileFilter& f : filters) {
                                 if (f.nameFilter() == chosen) {
                                     proxy->choose(f);
                                 }
                             }
                         });
    }
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles().value(0);
}

void QtDialogs::beep() {
    QApplication::beep();
}

}  // namespace horalia::platform

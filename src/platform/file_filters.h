// The open-file dialogs' filters, written as "description|pattern" pairs for Windows ("Program files
// (*.exe)|*.exe"), turned into filters for the files that mean the same on Linux: programs are the files the
// user may run, batch files are shell and other scripts, program shortcuts are desktop entries.
#pragma once

#include <QFileInfo>
#include <QList>
#include <QString>
#include <QStringList>

namespace horalia::platform {

struct FileFilter {
    // The caption without its list of patterns ("Program files").
    QString description;
    QStringList patterns;
    // Only files the user may run; no name pattern can say that.
    bool executablesOnly = false;

    // As QFileDialog takes it: "Program files (*)".
    QString nameFilter() const;
    // Whether the filter lists the file. Folders always, so that the user can go through them.
    bool lists(const QFileInfo& file) const;
};

// Pairs in order; a description without its pattern is dropped. A Windows pattern list may join patterns with
// ';'. Patterns with no Linux counterpart are kept as they are.
QList<FileFilter> fileFilters(const QString& windowsFilter);

}  // namespace horalia::platform

// The program associated with a document on a freedesktop desktop: the document's MIME type from its
// extension, the default handler's desktop entry from `xdg-mime query default`, and that entry's Exec line
// resolved to a program on the disk.
#pragma once

#include <functional>

#include "src/about/html_handler_finder.h"

namespace horalia::about {

class XdgHtmlHandlerFinder : public HtmlHandlerFinder {
public:
    // Runs a program to its end and gives its standard output; nothing when it could not run, failed or took
    // too long.
    using Runner =
        std::function<std::optional<QString>(const QString& program, const QStringList& arguments)>;

    // An empty runner runs the program for real (at most a few seconds); empty dataDirs means the XDG data
    // folders ($XDG_DATA_HOME, $XDG_DATA_DIRS). searchPath is where a bare program name is looked for; empty
    // means $PATH.
    explicit XdgHtmlHandlerFinder(Runner runner = {}, QStringList dataDirs = {}, QStringList searchPath = {});

    std::optional<AssociatedProgram> findExecutable(const QString& documentPath) override;

    // The program and fixed arguments of a desktop entry's Exec value, field codes dropped; empty when the
    // value holds no program.
    static QStringList execCommand(const QString& execValue);
    // The Exec value of a desktop entry's text; empty when there is none.
    static QString execValue(const QString& desktopEntryText);

private:
    std::optional<QString> desktopEntryPath(const QString& desktopId) const;
    QString resolveProgram(const QString& program) const;

    Runner runner_;
    QStringList dataDirs_;
    QStringList searchPath_;
};

}  // namespace horalia::about

// Finding the program the desktop opens a document with, the way a file manager would.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace horalia::about {

struct AssociatedProgram {
    QString path;
    QStringList arguments;  // fixed arguments of the handler, to go before the document or address
};

class HtmlHandlerFinder {
public:
    virtual ~HtmlHandlerFinder() = default;
    // The program associated with the document's type; nothing when the document is missing or no program
    // is associated with its type.
    virtual std::optional<AssociatedProgram> findExecutable(const QString& documentPath) = 0;
};

}  // namespace horalia::about

// Lets GoogleTest print Qt values readably in failure messages.
#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '{';
    for (qsizetype i = 0; i < list.size(); ++i) {
        *os << (i == 0 ? "\n  \"" : ",\n  \"") << list[i].toStdString() << '"';
    }
    *os << "\n}";
}

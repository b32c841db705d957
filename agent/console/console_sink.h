// Where the console engine sends its lines: one line per request, "OBJECT OPERATION ARGS", strings as JSON
// strings and numbers and booleans bare. The sink adds the time in front.
#pragma once

#include <QList>
#include <QString>
#include <variant>

namespace agent::console {

using Arg = std::variant<QString, qint64, bool>;

class Sink {
public:
    virtual ~Sink();
    virtual void line(const QString& object, const QString& operation, const QList<Arg>& args) = 0;
};

// "OBJECT OPERATION ARG ARG...".
QString formatRequest(const QString& object, const QString& operation, const QList<Arg>& args);
// A string as a JSON string literal, with its quotes.
QString jsonString(const QString& text);

}  // namespace agent::console

#include "agent/console/console_sink.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace agent::console {

Sink::~Sink() = default;

QString jsonString(const QString& text) {
    // Qt writes JSON for arrays and objects only: write a one-element array and keep what is inside.
    QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

QString formatRequest(const QString& object, const QString& operation, const QList<Arg>& args) {
    QString out = object + u' ' + operation;
    for (const Arg& arg : args) {
        out += u' ';
        if (const QString* text = std::get_if<QString>(&arg)) {
            out += jsonString(*text);
        } else if (const qint64* number = std::get_if<qint64>(&arg)) {
            out += QString::number(*number);
        } else {
            out += std::get<bool>(arg) ? QStringLiteral("true") : QStringLiteral("false");
        }
    }
    return out;
}

}  // namespace agent::console

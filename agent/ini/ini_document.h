// INI text, sections and keys, edited in place: the clock's settings file and the engine's options file.
//
// Not QSettings, whose INI format is not the one people and older tools write: it takes a backslash as an
// escape (speech tags such as \Spd=120\ are stored as typed), splits a value with commas into a list (the
// balloon's font, lists of names), %-escapes key names it finds unusual, matches names with case, and leaves
// a lock file beside the settings. Nor does it see a change another process made until it syncs.
//
// Lines are kept as the bytes they were read as, so a write changes only the line of the key it writes and a
// hand-edited file keeps its comments, its order and even lines that make no sense to us. Section and key
// names are matched without regard to case. A value that would not survive as plain text (spaces at either
// end, a leading quote, line breaks or other control characters) is written as a quoted string with
// backslash escapes; everything else is written as it is, so the file stays readable.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace agent::ini {

class IniDocument {
public:
    struct Entry {
        QString section;
        QString key;
        QString value;
    };

    static IniDocument parse(const QByteArray& text);
    QByteArray serialize() const;

    // The value of the first key of that name in a section of that name, in file order.
    std::optional<QString> value(const QString& section, const QString& key) const;
    // Replaces the value of the key value() finds, or adds the key to the first section of that name, or
    // adds the section at the end.
    void setValue(const QString& section, const QString& key, const QString& value);
    // Every key, in file order.
    QList<Entry> entries() const;

    static QByteArray encodeValue(const QString& value);
    static QString decodeValue(QByteArray raw);
    // Names that can be written and read back as the same name.
    static bool isValidSectionName(const QString& name);
    static bool isValidKeyName(const QString& name);

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        QByteArray raw;
        Kind kind = Kind::Other;
        QString name;      // the section's name, or the key's name
        QString value;     // for keys
        int section = -1;  // index of the section header line a key belongs to
    };

    int findKey(const QString& section, const QString& key) const;

    QList<Line> lines_;
};

}  // namespace agent::ini

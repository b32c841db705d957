#include "agent/ini/ini_document.h"

namespace agent::ini {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArray trimmed(QByteArray bytes) {
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && isBlank(bytes[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(bytes[end - 1])) {
        --end;
    }
    return bytes.mid(begin, end - begin);
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool hasControlCharacter(const QString& text) {
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            return true;
        }
    }
    return false;
}

bool isSpaceAtEnd(QChar c) {
    return c == u' ' || c == u'\t';
}

std::optional<QByteArray> unquote(const QByteArray& quoted) {
    if (quoted.size() < 2 || !quoted.startsWith('"') || !quoted.endsWith('"')) {
        return std::nullopt;
    }
    QByteArray out;
    out.reserve(quoted.size());
    const qsizetype last = quoted.size() - 1;
    for (qsizetype i = 1; i < last; ++i) {
        char c = quoted[i];
        if (c == '"') {
            return std::nullopt;  // a quote inside must be escaped
        }
        if (c != '\\') {
            out.append(c);
            continue;
        }
        if (++i >= last) {
            return std::nullopt;
        }
        switch (quoted[i]) {
            case '\\':
                out.append('\\');
                break;
            case '"':
                out.append('"');
                break;
            case 'n':
                out.append('\n');
                break;
            case 'r':
                out.append('\r');
                break;
            case 't':
                out.append('\t');
                break;
            case 'x': {
                if (i + 2 >= last) {
                    return std::nullopt;
                }
                bool ok = false;
                int byte = quoted.mid(i + 1, 2).toInt(&ok, 16);
                if (!ok) {
                    return std::nullopt;
                }
                out.append(static_cast<char>(byte));
                i += 2;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return out;
}

}  // namespace

IniDocument IniDocument::parse(const QByteArray& text) {
    IniDocument doc;
    QList<QByteArray> rawLines = text.split('\n');
    if (!rawLines.isEmpty() && rawLines.last().isEmpty()) {
        rawLines.removeLast();  // the newline that ends the last line
    }
    int currentSection = -1;
    for (const QByteArray& raw : rawLines) {
        Line line;
        line.raw = raw;
        QByteArray body = raw.endsWith('\r') ? raw.chopped(1) : raw;
        QByteArray t = trimmed(body);
        if (t.startsWith('[') && t.endsWith(']') && t.size() >= 2) {
            line.kind = Kind::Section;
            line.name = QString::fromUtf8(trimmed(t.mid(1, t.size() - 2)));
            currentSection = static_cast<int>(doc.lines_.size());
        } else if (!t.isEmpty() && !t.startsWith(';') && !t.startsWith('#') && t.contains('=')) {
            qsizetype eq = body.indexOf('=');
            line.kind = Kind::Key;
            line.name = QString::fromUtf8(trimmed(body.left(eq)));
            line.value = decodeValue(body.mid(eq + 1));
            line.section = currentSection;
        }
        doc.lines_.append(line);
    }
    return doc;
}

QByteArray IniDocument::serialize() const {
    QByteArray out;
    for (const Line& line : lines_) {
        out.append(line.raw);
        out.append('\n');
    }
    return out;
}

int IniDocument::findKey(const QString& section, const QString& key) const {
    for (int i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Key && line.section >= 0 && sameName(line.name, key) &&
            sameName(lines_[line.section].name, section)) {
            return i;
        }
    }
    return -1;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const {
    int i = findKey(section, key);
    if (i < 0) {
        return std::nullopt;
    }
    return lines_[i].value;
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value) {
    int existing = findKey(section, key);
    if (existing >= 0) {
        Line& line = lines_[existing];
        line.raw = line.name.toUtf8() + '=' + encodeValue(value);
        line.value = value;
        return;
    }
    Line line;
    line.kind = Kind::Key;
    line.name = key;
    line.value = value;
    line.raw = key.toUtf8() + '=' + encodeValue(value);

    int header = -1;
    for (int i = 0; i < lines_.size() && header < 0; ++i) {
        if (lines_[i].kind == Kind::Section && sameName(lines_[i].name, section)) {
            header = i;
        }
    }
    if (header >= 0) {
        // After the section's last key, so blank lines and comments that follow it stay where they are.
        int insertAt = header + 1;
        for (int i = header + 1; i < lines_.size() && lines_[i].kind != Kind::Section; ++i) {
            if (lines_[i].kind == Kind::Key) {
                insertAt = i + 1;
            }
        }
        line.section = header;
        lines_.insert(insertAt, line);
        for (int i = insertAt + 1; i < lines_.size(); ++i) {
            if (lines_[i].section >= insertAt) {
                ++lines_[i].section;
            }
        }
        return;
    }
    if (!lines_.isEmpty() && !trimmed(lines_.last().raw).isEmpty()) {
        lines_.append(Line{});
    }
    Line headerLine;
    headerLine.kind = Kind::Section;
    headerLine.name = section;
    headerLine.raw = '[' + section.toUtf8() + ']';
    lines_.append(headerLine);
    line.section = static_cast<int>(lines_.size()) - 1;
    lines_.append(line);
}

QList<IniDocument::Entry> IniDocument::entries() const {
    QList<Entry> out;
    for (const Line& line : lines_) {
        if (line.kind == Kind::Key && line.section >= 0) {
            out.append({lines_[line.section].name, line.name, line.value});
        }
    }
    return out;
}

QByteArray IniDocument::encodeValue(const QString& value) {
    bool plain = value.isEmpty() || (!isSpaceAtEnd(value.front()) && !isSpaceAtEnd(value.back()) &&
                                     value.front() != u'"' && !hasControlCharacter(value));
    QByteArray utf8 = value.toUtf8();
    if (plain) {
        return utf8;
    }
    QByteArray out = "\"";
    for (char c : utf8) {
        auto u = static_cast<unsigned char>(c);
        switch (c) {
            case '\\':
                out.append("\\\\");
                break;
            case '"':
                out.append("\\\"");
                break;
            case '\n':
                out.append("\\n");
                break;
            case '\r':
                out.append("\\r");
                break;
            case '\t':
                out.append("\\t");
                break;
            default:
                if (u < 0x20 || u == 0x7f) {
                    out.append("\\x");
                    out.append(QByteArray::number(u, 16).rightJustified(2, '0'));
                } else {
                    out.append(c);
                }
        }
    }
    out.append('"');
    return out;
}

QString IniDocument::decodeValue(QByteArray raw) {
    QByteArray t = trimmed(raw);
    if (t.startsWith('"')) {
        if (std::optional<QByteArray> unquoted = unquote(t)) {
            return QString::fromUtf8(*unquoted);
        }
        // Not one of our quoted strings: a hand-written value that merely starts with a quote.
    }
    return QString::fromUtf8(t);
}

bool IniDocument::isValidSectionName(const QString& name) {
    return !name.isEmpty() && name.trimmed() == name && !hasControlCharacter(name) && !name.contains(u'[') &&
           !name.contains(u']');
}

bool IniDocument::isValidKeyName(const QString& name) {
    return !name.isEmpty() && name.trimmed() == name && !hasControlCharacter(name) && !name.contains(u'=') &&
           !name.startsWith(u';') && !name.startsWith(u'#') && !name.startsWith(u'[');
}

}  // namespace agent::ini

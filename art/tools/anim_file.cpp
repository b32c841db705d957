#include "anim_file.h"

#include <QColor>
#include <QFile>
#include <QProcess>

namespace art {

Pose blend(const Pose& a, const Pose& b, double t) {
    Pose out = t < 0.5 ? a : b;
    for (auto it = b.numbers.begin(); it != b.numbers.end(); ++it) {
        const double from = a.numbers.value(it.key(), it.value());
        out.numbers[it.key()] = from + (it.value() - from) * t;
    }
    for (auto it = a.numbers.begin(); it != a.numbers.end(); ++it) {
        if (!b.numbers.contains(it.key())) {
            out.numbers[it.key()] = it.value();
        }
    }
    return out;
}

namespace {

struct Parser {
    CharacterSource* c;
    QString* error;
    int line = 0;
    AnimationSource* current = nullptr;

    bool fail(const QString& message) {
        *error = QStringLiteral("line %1: %2").arg(line).arg(message);
        return false;
    }

    // name=value pairs; a bare word is kept with an empty value.
    static QList<QPair<QString, QString>> pairs(const QStringList& words, int from) {
        QList<QPair<QString, QString>> out;
        for (int i = from; i < words.size(); ++i) {
            const qsizetype eq = words[i].indexOf(QLatin1Char('='));
            if (eq < 0) {
                out.append({words[i], QString()});
            } else {
                out.append({words[i].left(eq), words[i].mid(eq + 1)});
            }
        }
        return out;
    }

    bool setPoseValue(Pose& pose, const QString& key, const QString& value) {
        if (key.isEmpty() || value.isEmpty()) {
            return fail(QStringLiteral("expected name=value, got \"%1=%2\"").arg(key, value));
        }
        bool ok = false;
        const double n = value.toDouble(&ok);
        if (ok) {
            pose.numbers[key] = n;
        } else {
            pose.words[key] = value;
        }
        return true;
    }

    bool poseFrom(const QString& base, Pose* out) {
        if (base.isEmpty()) {
            *out = c->poses.value(QStringLiteral("rest"));
            return true;
        }
        if (!c->poses.contains(base)) {
            return fail(QStringLiteral("no pose \"%1\" defined before this line").arg(base));
        }
        *out = c->poses.value(base);
        return true;
    }

    bool intValue(const QString& text, int min, int max, int* out) {
        bool ok = false;
        const int v = text.toInt(&ok, 0);
        if (!ok || v < min || v > max) {
            return fail(
                QStringLiteral("\"%1\" is not a whole number from %2 to %3").arg(text).arg(min).arg(max));
        }
        *out = v;
        return true;
    }

    bool key(const QStringList& w) {
        if (w.size() < 2) {
            return fail(QStringLiteral("key needs a pose name"));
        }
        Key k;
        if (!poseFrom(w[1], &k.pose)) {
            return false;
        }
        if (current->keys.isEmpty()) {
            k.steps = 1;
        }
        for (const auto& [name, value] : pairs(w, 2)) {
            bool ok = true;
            if (name == QLatin1String("steps")) {
                ok = intValue(value, 1, 60, &k.steps);
            } else if (name == QLatin1String("hold")) {
                ok = intValue(value, 0, 6000, &k.hold);
            } else if (name == QLatin1String("time")) {
                ok = intValue(value, 1, 1000, &k.time);
            } else {
                ok = setPoseValue(k.pose, name, value);
            }
            if (!ok) {
                return false;
            }
        }
        if (pendingExit_) {
            k.exitHere = true;
            pendingExit_ = false;
        }
        current->keys.append(k);
        return true;
    }

    bool handle(const QStringList& w) {
        const QString& what = w[0];
        if (current != nullptr) {
            if (what == QLatin1String("key")) {
                return key(w);
            }
            if (what == QLatin1String("exit") && w.size() == 1) {
                if (current->keys.isEmpty()) {
                    return fail(QStringLiteral("an animation cannot begin with its way out"));
                }
                pendingExit_ = true;
                return true;
            }
            if (what == QLatin1String("end") && w.size() == 1) {
                if (current->keys.isEmpty()) {
                    return fail(QStringLiteral("animation %1 has no keys").arg(current->name));
                }
                if (pendingExit_) {
                    return fail(QStringLiteral("exit with no key after it"));
                }
                current = nullptr;
                return true;
            }
            return fail(
                QStringLiteral("expected key, exit or end inside an animation, got \"%1\"").arg(what));
        }
        if (what == QLatin1String("character") && w.size() == 2) {
            c->name = w[1];
        } else if (what == QLatin1String("description") && w.size() == 2) {
            c->description = w[1];
        } else if (what == QLatin1String("figure") && w.size() == 2) {
            c->figure = w[1];
        } else if (what == QLatin1String("size") && w.size() == 3) {
            return intValue(w[1], 16, 1024, &c->width) && intValue(w[2], 16, 1024, &c->height);
        } else if (what == QLatin1String("time") && w.size() == 2) {
            return intValue(w[1], 1, 1000, &c->frameTime);
        } else if (what == QLatin1String("voice") || what == QLatin1String("balloon")) {
            auto& map = what == QLatin1String("voice") ? c->voice : c->balloon;
            for (const auto& [name, value] : pairs(w, 1)) {
                map[name] = value;
            }
        } else if (what == QLatin1String("color") && w.size() == 3) {
            const QColor color = QColor::fromString(w[2]);
            if (!color.isValid()) {
                return fail(QStringLiteral("\"%1\" is not a colour").arg(w[2]));
            }
            if (c->colors.size() >= 255) {
                return fail(QStringLiteral("more than 255 colours"));
            }
            c->colors.append({w[1], color.rgb()});
        } else if (what == QLatin1String("pose") && w.size() >= 2) {
            Pose pose;
            const auto list = pairs(w, 2);
            QString base;
            for (const auto& [name, value] : list) {
                if (name == QLatin1String("from")) {
                    base = value;
                }
            }
            if (w[1] != QLatin1String("rest") && !poseFrom(base, &pose)) {
                return false;
            }
            for (const auto& [name, value] : list) {
                if (name != QLatin1String("from") && !setPoseValue(pose, name, value)) {
                    return false;
                }
            }
            c->poses[w[1]] = pose;
        } else if (what == QLatin1String("animation") && w.size() >= 2) {
            AnimationSource a;
            a.name = w[1];
            a.line = line;
            for (const auto& [name, value] : pairs(w, 2)) {
                if (name == QLatin1String("return")) {
                    a.returnAnimation = value;
                } else if (name == QLatin1String("nomouths") && value.isEmpty()) {
                    a.mouths = false;
                } else {
                    return fail(QStringLiteral("unknown animation option \"%1\"").arg(name));
                }
            }
            for (const auto& other : c->animations) {
                if (other.name.compare(a.name, Qt::CaseInsensitive) == 0) {
                    return fail(QStringLiteral("animation %1 is defined twice").arg(a.name));
                }
            }
            c->animations.append(a);
            current = &c->animations.last();
        } else if (what == QLatin1String("state") && w.size() >= 3) {
            c->states.append({w[1], w.mid(2)});
        } else {
            return fail(QStringLiteral("cannot understand \"%1\"").arg(w.join(QLatin1Char(' '))));
        }
        return true;
    }

    bool pendingExit_ = false;
};

}  // namespace

bool parseAnimationText(const QString& text, CharacterSource* out, QString* error) {
    *out = CharacterSource{};
    Parser p{out, error};
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& raw : lines) {
        ++p.line;
        QString line = raw;
        if (line.trimmed().startsWith(QLatin1Char('#'))) {
            continue;
        }
        const qsizetype hash = line.indexOf(QLatin1Char('#'));
        // A '#' starts a comment unless it begins a colour such as #ffcc00.
        if (hash >= 0 && (hash == 0 || line[hash - 1].isSpace()) &&
            !(hash + 1 < line.size() && line[hash + 1].isLetterOrNumber())) {
            line.truncate(hash);
        }
        const QStringList words = QProcess::splitCommand(line);
        if (words.isEmpty()) {
            continue;
        }
        if (!p.handle(words)) {
            return false;
        }
    }
    if (p.current != nullptr) {
        return p.fail(QStringLiteral("animation %1 has no end").arg(p.current->name));
    }
    if (!out->poses.contains(QStringLiteral("rest"))) {
        *error = QStringLiteral("no rest pose");
        return false;
    }
    for (const StateSource& s : out->states) {
        for (const QString& a : s.animations) {
            bool found = false;
            for (const auto& anim : out->animations) {
                found = found || anim.name.compare(a, Qt::CaseInsensitive) == 0;
            }
            if (!found) {
                *error = QStringLiteral("state %1 names animation %2, which is not defined").arg(s.name, a);
                return false;
            }
        }
    }
    return true;
}

bool readAnimationFile(const QString& path, CharacterSource* out, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    return parseAnimationText(QString::fromUtf8(file.readAll()), out, error);
}

}  // namespace art

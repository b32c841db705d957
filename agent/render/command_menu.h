// What a character's pop-up menu offers: the heading of its commands, the commands the program left visible,
// a separator, "Listen" while speech input is on, and "Hide". Kept apart from QMenu so the order and the
// rules can be checked without a window.
#pragma once

#include <QList>
#include <QString>

#include "agent/character.h"

namespace agent::render {

struct MenuEntry {
    enum class Kind { Heading, Command, Separator, Listen, Hide };
    Kind kind = Kind::Command;
    QString text;
    QString name;  // the command's name, for Kind::Command
    bool enabled = true;
    bool operator==(const MenuEntry&) const = default;
};

inline const QString kHideCaption = QStringLiteral("Hide");
inline const QString kListenCaption = QStringLiteral("Listen");

// Commands with an empty caption have no place in a menu; a heading and separator only appear above commands.
QList<MenuEntry> commandMenuEntries(const QString& caption, bool commandsVisible,
                                    const QList<Command>& commands, bool listenOffered = false);

}  // namespace agent::render

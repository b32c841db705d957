#include "agent/render/command_menu.h"

#include <QStringList>

namespace agent::render {

QList<MenuEntry> commandMenuEntries(const QString& caption, bool commandsVisible,
                                    const QList<Command>& commands, bool listenOffered) {
    QList<MenuEntry> entries;
    // The character's own commands under its caption (when the program shows them), then each other
    // program's under its own, in the order they first came.
    QStringList headings{caption};
    for (const Command& c : commands) {
        if (!c.heading.isEmpty() && !headings.contains(c.heading)) {
            headings.append(c.heading);
        }
    }
    for (qsizetype h = 0; h < headings.size(); ++h) {
        if (h == 0 && !commandsVisible) {
            continue;
        }
        QList<MenuEntry> shown;
        for (const Command& c : commands) {
            const bool inGroup = h == 0 ? c.heading.isEmpty() : c.heading == headings[h];
            if (inGroup && c.visible && !c.caption.isEmpty()) {
                shown.append({MenuEntry::Kind::Command, c.caption, c.name, c.enabled});
            }
        }
        if (!shown.isEmpty()) {
            if (!headings[h].isEmpty()) {
                entries.append({MenuEntry::Kind::Heading, headings[h], {}, false});
            }
            entries.append(shown);
            entries.append({MenuEntry::Kind::Separator, {}, {}, false});
        }
    }
    if (listenOffered) {
        entries.append({MenuEntry::Kind::Listen, kListenCaption, {}, true});
    }
    entries.append({MenuEntry::Kind::Hide, kHideCaption, {}, true});
    return entries;
}

}  // namespace agent::render

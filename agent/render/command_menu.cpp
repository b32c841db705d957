#include "agent/render/command_menu.h"

namespace agent::render {

QList<MenuEntry> commandMenuEntries(const QString& caption, bool commandsVisible,
                                    const QList<Command>& commands, bool listenOffered) {
    QList<MenuEntry> entries;
    if (commandsVisible) {
        QList<MenuEntry> shown;
        for (const Command& c : commands) {
            if (c.visible && !c.caption.isEmpty()) {
                shown.append({MenuEntry::Kind::Command, c.caption, c.name, c.enabled});
            }
        }
        if (!shown.isEmpty()) {
            if (!caption.isEmpty()) {
                entries.append({MenuEntry::Kind::Heading, caption, {}, false});
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

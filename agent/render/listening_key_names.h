// The keys a user may hold to talk to a character: keys that type nothing and that desktops seldom claim for
// themselves. Each is named as X names its key symbol, which is how the options file stores it; the window
// shows the caption.
#pragma once

#include <QList>
#include <QString>

namespace agent::render {

struct ListeningKeyName {
    QString name;     // the X key symbol's name, "Scroll_Lock"
    QString caption;  // what a user reads, "Scroll Lock"
    quint32 keysym = 0;
};

inline const QString kDefaultListeningKey = QStringLiteral("Scroll_Lock");

// Scroll Lock first, then Pause, Insert, Menu and the function keys.
const QList<ListeningKeyName>& listeningKeyNames();
// The key of that name (case ignored, since people edit the options file by hand), or nullptr.
const ListeningKeyName* findListeningKey(const QString& name);

}  // namespace agent::render

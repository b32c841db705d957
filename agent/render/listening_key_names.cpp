#include "agent/render/listening_key_names.h"

namespace agent::render {

namespace {

// The key symbols' values are fixed by the X protocol (keysymdef.h); F1 to F12 follow each other.
constexpr quint32 kScrollLock = 0xff14;
constexpr quint32 kPause = 0xff13;
constexpr quint32 kInsert = 0xff63;
constexpr quint32 kMenu = 0xff67;
constexpr quint32 kF1 = 0xffbe;

QList<ListeningKeyName> makeNames() {
    QList<ListeningKeyName> names = {
        {QStringLiteral("Scroll_Lock"), QStringLiteral("Scroll Lock"), kScrollLock},
        {QStringLiteral("Pause"), QStringLiteral("Pause"), kPause},
        {QStringLiteral("Insert"), QStringLiteral("Insert"), kInsert},
        {QStringLiteral("Menu"), QStringLiteral("Menu"), kMenu},
    };
    for (int i = 1; i <= 12; ++i) {
        names.append({QStringLiteral("F%1").arg(i), QStringLiteral("F%1").arg(i), kF1 + quint32(i - 1)});
    }
    return names;
}

}  // namespace

const QList<ListeningKeyName>& listeningKeyNames() {
    static const QList<ListeningKeyName> names = makeNames();
    return names;
}

const ListeningKeyName* findListeningKey(const QString& name) {
    for (const ListeningKeyName& key : listeningKeyNames()) {
        if (key.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0) {
            return &key;
        }
    }
    return nullptr;
}

}  // namespace agent::render

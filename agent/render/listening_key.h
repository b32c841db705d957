// The key the user holds while talking to a character. Pressing it starts listening, letting go ends the
// utterance. Holding the key is one press and one release, however long it is held.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

#include "agent/result.h"

namespace agent::render {

class ListeningKey : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~ListeningKey() override;

    // Takes the key (an X key symbol name, see listeningKeyNames()) for this program, whatever window has
    // the focus; a key taken before is given back first. Fails, saying why in words for the user, when the
    // key cannot be had (no X display, no such key, another program holds it).
    virtual Status grab(const QString& keyName) = 0;
    // Gives the key back; nothing happens when none is held.
    virtual void ungrab() = 0;

signals:
    void pressed();
    void released();
};

// The desktop's key: taken from the X server (also under XWayland); elsewhere grab() fails with the reason.
std::unique_ptr<ListeningKey> makeDesktopListeningKey();

}  // namespace agent::render

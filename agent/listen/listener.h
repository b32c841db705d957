// Listening for spoken commands: the engine's desktop part tells a listener which commands to listen for and
// when the user starts and stops talking to a character; the listener says what it hears. The program uses
// the microphone listener; tests drive one by hand.
#pragma once

#include <QObject>
#include <QString>

#include "agent/listen/recognition.h"
#include "agent/result.h"

namespace agent::listen {

class Listener : public QObject {
    Q_OBJECT
public:
    enum class Mode {
        UntilStopped,  // a listening key is held: the utterance ends with stop()
        UntilSilence,  // no key (the menu's Listen): the utterance ends when the speech is followed by
                       // silence
    };

    using QObject::QObject;
    ~Listener() override;

    // Whether the listener can listen; if not, why not (no microphone, no sound server, no acoustic model),
    // in words for the user.
    virtual Status available() const = 0;

    // The commands of the character spoken to. A command whose phrase cannot be read is left out with a
    // warning(); the others are still listened for.
    virtual void setCommands(const QList<VoiceCommand>& commands) = 0;
    // Below this confidence (0 to 1) a result counts as not understood.
    virtual void setThreshold(double threshold) = 0;
    // The input device's id; empty for the default input.
    virtual void setInputDevice(const QByteArray& id) = 0;

    // Starts listening. While listening, hearing(true) when speech starts and hearing(false) when it stops.
    virtual void start(Mode mode) = 0;
    // Ends the utterance: what was heard is recognized and finished() follows.
    virtual void stop() = 0;
    // Ends listening without a result (finished() does not follow).
    virtual void cancel() = 0;
    virtual bool isListening() const = 0;

signals:
    void hearing(bool speech);
    // Listening is over: the recognition, rejected (command empty) when nothing or no command was heard.
    void finished(const agent::listen::Recognition& result);
    // Listening could not start or broke off, in words for the user.
    void failed(const QString& message);
    void warning(const QString& message);
};

}  // namespace agent::listen

// The engine's own options, the ones its "Character Options" window edits: word balloon, spoken output,
// sound effects, reduced motion, speaking speed and voice, and speech input (on or off, the listening key,
// the microphone and how sure the recognizer must be). They live in an INI file of their own beside the
// program's settings, and one store is shared by every character control of a process so a change reaches all
// characters at once. No widgets here.
#pragma once

#include <QFont>
#include <QObject>
#include <QString>

#include <optional>

#include "agent/render/listening_key_names.h"
#include "agent/result.h"

namespace agent::render {

struct EngineOptions {
    static constexpr int kMinSpeedPercent = 50;
    static constexpr int kMaxSpeedPercent = 200;
    static constexpr int kDefaultThresholdPercent = 40;

    bool balloonOn = true;
    std::optional<QFont> balloonFont;  // none: the character's own font
    bool speechOn = true;
    bool soundEffectsOn = true;
    // The user's own wish for less movement; the desktop's (DesktopMotion) counts as well.
    bool reducedMotion = false;
    int speedPercent = 100;  // of the character's own speaking speed
    QString voice;           // an espeak-ng voice name; empty: the one the character file describes
    bool listenOn = true;    // speech input: the listening key and the menu's Listen
    QString listeningKey = kDefaultListeningKey;  // one of listeningKeyNames(), by its X keysym name
    QString inputDevice = {};  // the microphone's device id; empty: the desktop's default input
    int thresholdPercent = kDefaultThresholdPercent;  // 0-100: below this confidence a command is not taken

    bool operator==(const EngineOptions&) const = default;
};

// How the options are written as text, each the inverse of the other. A text that is no font, or a font too
// small or too large for a balloon, gives nothing.
QString fontToText(const QFont& font);
std::optional<QFont> fontFromText(const QString& text);

// Whether a text can be an espeak-ng voice name ("gmw/en-US", "en-gb+f3"): a stored name is handed to
// espeak-ng, which opens files by it.
bool isVoiceName(const QString& text);
// Whether a text can be an audio input device's id (the sound server's source name): printable, one line.
bool isInputDeviceId(const QString& text);

class OptionsStore : public QObject {
    Q_OBJECT
public:
    // Reads the file at once. A missing or unreadable file gives the defaults; a bad value gives that
    // option's default and leaves the others. Reading never writes the file.
    explicit OptionsStore(QString path, QObject* parent = nullptr);

    const EngineOptions& options() const { return options_; }
    const QString& path() const { return path_; }

    // Applies the options and writes the file at once, replacing it whole. When the file cannot be written
    // the options still apply for this run, and it fails saying why.
    Status set(const EngineOptions& options);

signals:
    // The options in memory changed (whether or not the file could be written).
    void changed();

private:
    QString path_;
    EngineOptions options_;
};

}  // namespace agent::render

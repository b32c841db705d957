// What one Speak request says: the stretches of text with their voice settings, pauses and bookmarks, as the
// speech tags left them. The spoken and the shown text are kept side by side so the balloon can follow the
// voice.
#pragma once

#include <QList>
#include <QString>
#include <variant>

namespace agent::speech {

enum class VoiceCharacter { Normal, Monotone, Whisper };

// How the tags the user may write (\Ctx\) ask for text to be read; kept for the synthesizer.
enum class TextContext { Unknown, Address, Email };

// The voice settings in force for a stretch of text. Zero pitch or speed means the voice's own.
struct VoiceSettings {
    VoiceCharacter character = VoiceCharacter::Normal;
    TextContext context = TextContext::Unknown;
    int pitchHz = 0;
    int speedWpm = 0;
    int volume = 65535;  // 0..65535, as the tag takes it

    bool operator==(const VoiceSettings&) const = default;
};

struct TextPiece {
    QString spoken;
    QString shown;
    VoiceSettings settings;
    bool emphasized = false;

    bool operator==(const TextPiece&) const = default;
};

struct Pause {
    int ms = 0;
    bool operator==(const Pause&) const = default;
};

struct Bookmark {
    int id = 0;
    bool operator==(const Bookmark&) const = default;
};

using SpeechElement = std::variant<TextPiece, Pause, Bookmark>;

struct SpeechText {
    QList<SpeechElement> elements;

    QString spoken() const;
    QString shown() const;
    bool isEmpty() const { return elements.isEmpty(); }
    bool operator==(const SpeechText&) const = default;
};

}  // namespace agent::speech

// The two texts of a statement, put together from its pieces.
#include "agent/speech/speech_text.h"

namespace agent::speech {

QString SpeechText::spoken() const {
    QString out;
    for (const SpeechElement& element : elements) {
        if (const auto* piece = std::get_if<TextPiece>(&element)) {
            out += piece->spoken;
        }
    }
    return out;
}

QString SpeechText::shown() const {
    QString out;
    for (const SpeechElement& element : elements) {
        if (const auto* piece = std::get_if<TextPiece>(&element)) {
            out += piece->shown;
        }
    }
    return out;
}

}  // namespace agent::speech

// Reads the inline speech tags of a Speak text (\Chr="Whisper"\, \Emp\, \Pau=500\, ...). Tags are found
// without regard to case; a tag that is unknown or malformed is dropped on its own and the rest of the text
// is kept.
#pragma once

#include <QString>

#include "agent/speech/speech_text.h"

namespace agent::speech {

class SpeechTagParser {
public:
    // The longest silence one \Pau\ may ask for; longer requests are cut to it so a typo cannot stall a
    // character.
    static constexpr int kMaxPauseMs = 60000;

    // Parses one statement. \Lst\ stands for the previous statement parsed by this parser (one parser per
    // character), so the parser remembers what it returned.
    SpeechText parse(const QString& text);

private:
    SpeechText last_;
};

}  // namespace agent::speech

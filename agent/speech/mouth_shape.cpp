// Phonemes to mouth shapes. espeak-ng names phonemes in its own ASCII scheme, shared by its languages; the
// first letters decide how open and how rounded the lips are, which is all seven overlays can show.
#include "agent/speech/mouth_shape.h"

namespace agent::speech {

MouthShape mouthShapeForPhoneme(std::string_view p) {
    if (p.empty() || p[0] == '_' || p[0] == ':' || p[0] == ';') {
        return MouthShape::Closed;
    }
    // Diphthongs show the shape they start with: the next phoneme event comes soon enough.
    switch (p[0]) {
        case 'p':
        case 'b':
        case 'm':
            return MouthShape::Closed;
        case 'u':
        case 'U':
        case 'w':
        case 'W':
        case 'y':
        case 'Y':
            return MouthShape::Narrow;
        case 'o':
        case 'O':
        case 'r':
        case 'S':
        case 'Z':
            return MouthShape::Medium;
        case 'a':
        case 'A':
            return MouthShape::Wide4;
        case 'V':
        case '0':
        case '&':
            return MouthShape::Wide3;
        case 'e':
        case 'E':
        case '@':
        case '3':
            return MouthShape::Wide2;
        default:
            // Front vowels (i, I) and most consonants: teeth close, lips a little apart.
            return MouthShape::Wide1;
    }
}

const char* mouthShapeName(MouthShape shape) {
    switch (shape) {
        case MouthShape::Closed:
            return "closed";
        case MouthShape::Wide1:
            return "wide1";
        case MouthShape::Wide2:
            return "wide2";
        case MouthShape::Wide3:
            return "wide3";
        case MouthShape::Wide4:
            return "wide4";
        case MouthShape::Medium:
            return "medium";
        case MouthShape::Narrow:
            return "narrow";
    }
    return "closed";
}

}  // namespace agent::speech

// One synthesized statement: its samples and, in time order, what the balloon and the mouth do while it
// plays.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "agent/speech/mouth_shape.h"

namespace agent::speech {

struct WordTiming {
    int ms = 0;  // from the first sample
    int spokenStart = 0;
    int spokenLength = 0;
    int shownEnd = 0;  // the balloon shows shownText up to here once this word starts
};

struct MouthTiming {
    int ms = 0;
    MouthShape shape = MouthShape::Closed;
};

struct BookmarkTiming {
    int ms = 0;
    int id = 0;
};

struct Utterance {
    int sampleRate = 22050;
    std::vector<std::int16_t> samples;  // mono
    std::vector<WordTiming> words;
    std::vector<MouthTiming> mouths;  // only changes of shape; the last one is closed
    std::vector<BookmarkTiming> bookmarks;
    QString spokenText;
    QString shownText;

    int durationMs() const {
        return sampleRate > 0
                   ? static_cast<int>(static_cast<std::int64_t>(samples.size()) * 1000 / sampleRate)
                   : 0;
    }
};

}  // namespace agent::speech

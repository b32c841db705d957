// Offline recognition of spoken commands with PocketSphinx and its American English model.
//
// The commands' phrases become one JSGF grammar, <command>, and beside it the grammar says <other>: any run
// of a few hundred common English words, each paying a penalty. The first of them pays most: a one-word
// command is then not lost to one common word that sounds a little like it, while a sentence, which runs
// through many common words, pays little for each of the rest. An utterance is one search through both; when
// the best reading is <other>, nothing was commanded. So a sentence that is no command ("good afternoon,
// Sam") is refused rather than forced onto the command that sounds least unlike it. The words heard say which
// command it was: any reading of its phrase, however many readings the phrase has. The confidence says how
// far, per frame, the command led the best reading that is no command.
//
// Words the dictionary lacks get espeak-ng's pronunciation; the words of commands get it beside the
// dictionary's own, in American and in British English, so both people and our own voice are understood. A
// recognizer is used from one thread at a time; it blocks while it decodes (a few tens of milliseconds for a
// short command).
//
// A large set (a program's own commands: many phrases of many alternatives) is searched within bounds, so
// that it costs a fraction of the sound's length however noisy: see RecognizerTuning::largeSetAbove.
#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <utility>

#include "agent/listen/recognition.h"
#include "agent/listen/voice_grammar.h"
#include "agent/result.h"

struct ps_decoder_s;

namespace agent::speech {
class EspeakSynthesizer;
}

namespace agent::listen {

struct RecognizerModel {
    QString acousticModel;  // the folder with mdef, means, ...
    QString dictionary;     // the pronouncing dictionary (cmudict)
    QString languageModel;  // the general language model, only read for its most common words

    // The model Debian's pocketsphinx-en-us installs, in the model folder of the PocketSphinx built with;
    // HORALIA_SPEECH_MODEL names another folder laid out alike.
    static RecognizerModel installed();
    // Fails, naming what is missing, unless every file is there.
    Status complete() const;
};

// How much of a search the decoder keeps in each frame: the most HMMs it evaluates, and how far below the
// best word that ends another may end and still lead on (a probability).
struct SearchLimits {
    long hmmsPerFrame = 0;
    double wordBeam = 0;
};

struct RecognizerTuning {
    int fillerWords = 300;         // how many common words make up "other"
    int minFillerPhones = 3;       // shorter words fit any scrap of sound and are left out
    double entryPenalty = 1e-4;    // the probability the first of them pays
    double fillerPenalty = 1e-2;   // the probability each further one pays
    double confidenceScale = 5.0;  // the lead per frame (decoder score units) that gives a confidence of 0.88
    // How far per frame a reading that is no command may lead the command found, in the list of next best
    // readings, with a confidence of one half still: the list re-scores the search's paths, and a command the
    // search chose often comes behind there, most of all when it is short and said into noise. Measured on
    // our own voice and on people: with 0, 87 % of our voice's commands were understood against 91 % when the
    // search's path alone decided, and with 15 as many, while hedgewars' 591 phrases, which are no command,
    // were still refused 91-94 % of the time (85-87 % with the path alone).
    double rivalAllowance = 15.0;
    QStringList decoderOptions;    // PocketSphinx's own, after ours: "-frate", "100", ...
    qint64 maxPhraseSize = 20000;  // the most words a phrase's grammar may have (VoicePhrase::grammarSize)
    // A set of commands whose phrases' grammars have more words than this is a large one: an alternative of
    // a few words is searched there as one word, within these limits (a small set's search has the
    // decoder's own). Measured with bench/listen_large.sh.
    qint64 largeSetAbove = 1000;
    SearchLimits largeSetLimits{3000, 1e-20};
    // Longer sound is no command: its search would take long and find none.
    int maxSeconds = 20;
};

class Recognizer {
public:
    static constexpr int kSampleRate = 16000;

    // Fails when the model is missing or PocketSphinx will not start.
    static Result<std::unique_ptr<Recognizer>> create(const RecognizerModel& model,
                                                      RecognizerTuning tuning = {});
    ~Recognizer();

    // The commands to listen for from now on. A phrase that cannot be read is left out, with a message in
    // *warnings naming the command; fails when no command is left to listen for.
    Status setCommands(const QList<VoiceCommand>& commands, QStringList* warnings);
    // The grammar last set, as JSGF.
    const QString& grammar() const { return grammar_; }

    // Below this confidence (0 to 1; 0.5 when not set) an utterance counts as no command.
    void setThreshold(double threshold) { threshold_ = std::clamp(threshold, 0.0, 1.0); }

    // Recognizes one utterance of 16 kHz mono samples. Rejected (command empty) for silence, for speech that
    // is no command, or when no command is set.
    Recognition recognize(std::span<const std::int16_t> samples);

private:
    Recognizer(ps_decoder_s* decoder, RecognizerTuning tuning);
    bool addPronunciations(const QStringList& words);
    // Makes the search of that name one of these phrases (indexes in phrases_) or <other>, within `limits`.
    Status useSearch(const char* name, const QList<qsizetype>& phrases, const SearchLimits& limits);
    // Decodes the samples with the search in use: the words of the best path and its score.
    std::optional<std::pair<QString, int>> decode(std::span<const std::int16_t> samples);
    // Adds a word of words joined (VoicePhrase::withJoinedAlternatives) said as its words are.
    void addJoinedWord(const QString& joined);
    // The words of <other> beside these commands' words.
    QStringList otherWords(const QStringList& commandWords);
    ps_decoder_s* decoder_;
    RecognizerTuning tuning_;
    QString dictionaryPath_;
    QList<QPair<QString, QStringList>> fillers_;         // the common words and how each is said
    QHash<QString, QList<QStringList>> pronunciations_;  // of the commands' words, once looked up
    std::unique_ptr<speech::EspeakSynthesizer> espeak_;
    QString grammar_;
    QList<QPair<QString, VoicePhrase>> phrases_;  // each command's name and phrase
    QSet<QString> commandWords_;                  // the words the commands' phrases say
    SearchLimits ownLimits_;                      // the decoder's own
    QStringList others_;                          // the words of <other>
    bool large_ = false;                          // whether the commands make a large set
    double threshold_ = 0.5;
    bool ready_ = false;
};

}  // namespace agent::listen

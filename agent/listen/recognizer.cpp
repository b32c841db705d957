#include "agent/listen/recognizer.h"

#include <pocketsphinx.h>
#if !HORALIA_POCKETSPHINX_5
#include <sphinxbase/cmd_ln.h>
#include <sphinxbase/err.h>
#include <sphinxbase/fsg_model.h>
#include <sphinxbase/jsgf.h>
#include <sphinxbase/ngram_model.h>
#endif

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QMultiHash>
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <optional>
#include <vector>

#include "agent/listen/pronunciation.h"
#include "agent/listen/speech_trimmer.h"
#include "agent/listen/voice_grammar.h"
#include "agent/speech/espeak_synthesizer.h"

namespace agent::listen {

namespace {

constexpr const char* kSearch = "spoken";
// A large set's command found, searched for again alone.
constexpr const char* kCheckSearch = "check";
constexpr int kAlternativesLooked = 3;
// The most entries of that list gone through to find them, whole readings or not.
constexpr int kListedLooked = 20;
constexpr QLatin1StringView kLoopSuffix("_");
// Joins the words of an alternative said as one word.
constexpr QChar kJoiner(u'~');
// The most pronunciations such a word gets: its words' own, the likeliest combinations first.
constexpr int kJoinedPronunciations = 4;
// A command with no reading that is no command among the next best: as sure as can be.
constexpr double kNoRivalLead = 50.0;
// PocketSphinx's language weight, applied to grammar probabilities as the decoder does to its own.
constexpr float kLanguageWeight = 6.5f;

void silencePocketSphinx() {
    static const bool silenced = [] {
        err_set_logfp(nullptr);
        return true;
    }();
    (void)silenced;
}

// What differs between the two PocketSphinx interfaces Debian ships (chosen when building): the one with
// sphinxbase (Debian 12 and 13, which calls itself 5prealpha) and version 5, which has none. The rest of the
// recognizer uses calls both have.

// Our options for the version built with, measured on our own voice (RecognitionAccuracy) and people's
// recordings (PeopleSpeech). Version 5 finds the best path of a grammar search again in the lattice of words
// (-bestpath), which the older one never did for grammars: that lattice lets a silence stretch over the whole
// recording or a command end before its last word, so short and fast commands came out as nothing or half
// (84 % of our own voice's commands understood, 91 % without). A frame every 8 ms, as for the older one: with
// 10 ms, 90 % and only 82 % of the sentences that are no command refused. Its noise removal, which the
// model's feat.params asks for, loses more of people's short words and of those sentences than it saves
// (28 of KLettres' 39 words rather than 31, 91 % of the sentences refused rather than 94 %).
void tuneForVersion([[maybe_unused]] QMap<QByteArray, QByteArray>& options) {
#if HORALIA_POCKETSPHINX_5
    options.insert("-bestpath", "no");
    options.insert("-remove_noise", "no");
#endif
}

// A decoder with the given options, named as on PocketSphinx's command line ("-frate"); fails naming what
// PocketSphinx refused.
Result<ps_decoder_t*> startDecoder(QMap<QByteArray, QByteArray> options) {
#if HORALIA_POCKETSPHINX_5
    // Version 5 lets the model's feat.params overrule the options it is given, so it reads a copy without the
    // lines that ours replace.
    QTemporaryFile params(QDir::tempPath() + QStringLiteral("/horalia-feat-XXXXXX.params"));
    QFile modelParams(QFile::decodeName(options.value("-hmm")) + QStringLiteral("/feat.params"));
    if (modelParams.open(QIODevice::ReadOnly) && params.open()) {
        for (const QByteArray& line : modelParams.readAll().split('\n')) {
            if (!options.contains(line.simplified().split(' ').front())) {
                params.write(line + '\n');
            }
        }
        params.flush();
        options.insert("-featparams", QFile::encodeName(params.fileName()));
    }
    // Version 5 names its options without the dash and converts text to each option's type.
    ps_config_t* config = ps_config_init(nullptr);
    for (auto it = options.cbegin(); it != options.cend(); ++it) {
        const QByteArray name = it.key().startsWith('-') ? it.key().mid(1) : it.key();
        if (ps_config_set_str(config, name.constData(), it.value().constData()) == nullptr) {
            ps_config_free(config);
            return fail(QStringLiteral("PocketSphinx has no option %1").arg(QString::fromUtf8(it.key())));
        }
    }
#else
    QByteArrayList args;
    for (auto it = options.cbegin(); it != options.cend(); ++it) {
        args << it.key() << it.value();
    }
    std::vector<char*> argv;
    for (QByteArray& arg : args) {
        argv.push_back(arg.data());
    }
    cmd_ln_t* config = cmd_ln_parse_r(nullptr, ps_args(), int32(argv.size()), argv.data(), TRUE);
    if (config == nullptr) {
        return fail(
            QStringLiteral("PocketSphinx refused the options %1").arg(QString::fromUtf8(args.join(' '))));
    }
#endif
    ps_decoder_t* decoder = ps_init(config);
#if HORALIA_POCKETSPHINX_5
    ps_config_free(config);
#else
    cmd_ln_free_r(config);
#endif
    if (decoder == nullptr) {
        return fail(QStringLiteral("PocketSphinx could not load the acoustic model in %1")
                        .arg(QString::fromUtf8(options.value("-hmm"))));
    }
    return decoder;
}

SearchLimits searchLimits(ps_decoder_t* decoder) {
#if HORALIA_POCKETSPHINX_5
    ps_config_t* config = ps_get_config(decoder);
    return {ps_config_int(config, "maxhmmpf"), ps_config_float(config, "wbeam")};
#else
    cmd_ln_t* config = ps_get_config(decoder);
    return {cmd_ln_int_r(config, "-maxhmmpf"), cmd_ln_float_r(config, "-wbeam")};
#endif
}

// The limits the next search made keeps to.
void limitSearch(ps_decoder_t* decoder, const SearchLimits& limits) {
#if HORALIA_POCKETSPHINX_5
    ps_config_t* config = ps_get_config(decoder);
    ps_config_set_int(config, "maxhmmpf", limits.hmmsPerFrame);
    ps_config_set_float(config, "wbeam", limits.wordBeam);
#else
    cmd_ln_t* config = ps_get_config(decoder);
    cmd_ln_set_int_r(config, "-maxhmmpf", limits.hmmsPerFrame);
    cmd_ln_set_float_r(config, "-wbeam", limits.wordBeam);
#endif
}

// Makes the search of this name, made before, the decoder's.
bool activate(ps_decoder_t* decoder, const char* name) {
#if HORALIA_POCKETSPHINX_5
    return ps_activate_search(decoder, name) == 0;
#else
    return ps_set_search(decoder, name) == 0;
#endif
}

// Makes `fsg` the decoder's search, under `name`, replacing any search of that name.
bool searchWith(ps_decoder_t* decoder, const char* name, fsg_model_t* fsg) {
#if HORALIA_POCKETSPHINX_5
    return ps_add_fsg(decoder, name, fsg) == 0 && activate(decoder, name);
#else
    return ps_set_fsg(decoder, name, fsg) == 0 && activate(decoder, name);
#endif
}

// Whether a reading from the list of next best readings is a whole path through the search: a command's
// phrase, or words of <other>. Version 5 makes that list from a lattice of words whose last words it guesses,
// so it also lists a command cut short ("what is", "tell shut") and readings without a word, which no path
// says and which would pass for the best reading that is no command; the older one lists whole paths only.
bool wholeReading([[maybe_unused]] const QStringList& words, [[maybe_unused]] bool isCommand,
                  [[maybe_unused]] const QSet<QString>& commandWords) {
#if HORALIA_POCKETSPHINX_5
    return isCommand || (!words.isEmpty() && std::none_of(words.begin(), words.end(), [&](const QString& w) {
               return commandWords.contains(w);
           }));
#else
    return true;
#endif
}

// Decodes `samples` as one whole utterance. The older PocketSphinx leaves out what its front end takes for
// silence (its -remove_silence, on unless told otherwise), and the recognizer was tuned so: silence read as
// words costs a short command most. Version 5 decodes all it is given, so here the speech is picked as the
// older one picks it.
void decodeUtterance(ps_decoder_t* decoder, std::span<const std::int16_t> samples) {
#if HORALIA_POCKETSPHINX_5
    const std::vector<std::int16_t> speech = trimToSpeech(samples, Recognizer::kSampleRate);
    if (!speech.empty()) {
        ps_process_raw(decoder, speech.data(), speech.size(), FALSE, TRUE);
    }
#else
    ps_process_raw(decoder, samples.data(), samples.size(), FALSE, TRUE);
#endif
}

// Whether the decoder's dictionary has the word (under this exact name, "word(2)" for an alternative).
bool knows(ps_decoder_t* decoder, const QString& word) {
    char* phones = ps_lookup_word(decoder, word.toUtf8().constData());
    std::free(phones);  // the caller owns the pronunciation returned
    return phones != nullptr;
}

// The dictionary's pronunciations of the given words: "word" and its alternatives "word(2)", ...
QHash<QString, QList<QStringList>> lookUp(const QString& path, const QSet<QString>& words) {
    QHash<QString, QList<QStringList>> found;
    QFile file(path);
    if (words.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return found;
    }
    const QByteArray all = file.readAll();
    for (qsizetype start = 0; start < all.size();) {
        qsizetype end = all.indexOf('\n', start);
        if (end < 0) {
            end = all.size();
        }
        const QByteArrayView line(all.constData() + start, end - start);
        start = end + 1;
        const qsizetype space = line.indexOf(' ');
        if (space <= 0) {
            continue;
        }
        QByteArrayView head = line.first(space);
        if (const qsizetype paren = head.indexOf('('); paren > 0) {
            head = head.first(paren);
        }
        const QString word = QString::fromUtf8(head);
        if (words.contains(word)) {
            const QString phones = QString::fromUtf8(line.sliced(space + 1)).trimmed();
            // a comment may follow the phones after '#'
            found[word].append(phones.section(u'#', 0, 0).simplified().split(u' ', Qt::SkipEmptyParts));
        }
    }
    return found;
}

// The language model's most likely words that a dictionary can say: plain words, no tags or contractions.
QStringList commonWords(const QString& languageModel, int count) {
    logmath_t* math = logmath_init(1.0001, 0, 0);
    ngram_model_t* model =
        ngram_model_read(nullptr, QFile::encodeName(languageModel).constData(), NGRAM_AUTO, math);
    QStringList result;
    if (model != nullptr) {
        const uint32* counts = ngram_model_get_counts(model);
        QList<QPair<int, QString>> ranked;
        for (uint32 id = 0; id < counts[0]; ++id) {
            const char* word = ngram_word(model, int32(id));
            if (word == nullptr ||
                !std::all_of(word, word + std::strlen(word), [](char c) { return c >= 'a' && c <= 'z'; })) {
                continue;
            }
            int32 used = 0;
            ranked.append({ngram_ng_prob(model, int32(id), nullptr, 0, &used), QString::fromLatin1(word)});
        }
        std::stable_sort(ranked.begin(), ranked.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        for (qsizetype i = 0; i < ranked.size() && result.size() < count; ++i) {
            result << ranked[i].second;
        }
        ngram_model_free(model);
    }
    logmath_free(math);
    return result;
}

int editDistance(const QStringList& a, const QStringList& b) {
    std::vector<int> row(static_cast<std::size_t>(b.size() + 1));
    for (qsizetype j = 0; j <= b.size(); ++j) {
        row[static_cast<std::size_t>(j)] = int(j);
    }
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[static_cast<std::size_t>(j)];
            row[static_cast<std::size_t>(j)] = std::min({above + 1, row[static_cast<std::size_t>(j - 1)] + 1,
                                                         diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

// Whether a common word could pass for a command word: nearly the same sounds, or the start or end of them.
bool soundsAlike(const QStringList& common, const QStringList& command) {
    const auto startsOrEnds = [](const QStringList& whole, const QStringList& part) {
        return part.size() <= whole.size() &&
               (std::equal(part.begin(), part.end(), whole.begin()) ||
                std::equal(part.begin(), part.end(), whole.end() - part.size()));
    };
    // a short command word is told from common words by one or two sounds only
    const int near = command.size() <= 4 ? 2 : 1;
    return editDistance(common, command) <= near || startsOrEnds(command, common) ||
           startsOrEnds(common, command);
}

QString ruleName(jsgf_rule_t* rule) {
    // sphinxbase names rules "<grammar.rule>"
    QString name = QString::fromUtf8(jsgf_rule_name(rule));
    name.remove(u'<').remove(u'>');
    return name.section(u'.', -1);
}

fsg_model_t* buildSearch(jsgf_t* grammar, const QString& rule, logmath_t* math) {
    for (jsgf_rule_iter_t* it = jsgf_rule_iter(grammar); it != nullptr; it = jsgf_rule_iter_next(it)) {
        jsgf_rule_t* candidate = jsgf_rule_iter_rule(it);
        if (ruleName(candidate) == rule) {
            jsgf_rule_iter_free(it);
            return jsgf_build_fsg(grammar, candidate, math, kLanguageWeight);
        }
    }
    return nullptr;
}

// The search with each of `words` costing `entry` more (a probability) where it is the utterance's first word
// and `further` more elsewhere. The costs go on the words' own transitions, where the list of next best
// readings counts them too: it leaves out what moving from rule to rule costs. Neither PocketSphinx lets a
// program change a search's transitions, so they are changed in the search's text form, which both write and
// read.
fsg_model_t* penalized(fsg_model_t* fsg, const QSet<QString>& words, double entry, double further,
                       logmath_t* math) {
    char* buffer = nullptr;
    std::size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    if (out == nullptr) {
        return nullptr;
    }
    fsg_model_write(fsg, out);
    std::fclose(out);
    const QList<QByteArray> lines = QByteArray(buffer, qsizetype(size)).split('\n');
    std::free(buffer);

    // "TRANSITION from to probability [word]"; the states reached from the start without saying a word
    QString start;
    QMultiHash<QString, QString> silent;
    QList<QStringList> fields;
    for (const QByteArray& line : lines) {
        fields.append(QString::fromUtf8(line).split(u' ', Qt::SkipEmptyParts));
        const QStringList& f = fields.back();
        if (f.size() == 2 && f[0] == u"START_STATE") {
            start = f[1];
        } else if (f.size() == 4 && f[0] == u"TRANSITION") {
            silent.insert(f[1], f[2]);
        }
    }
    QSet<QString> first{start};
    for (QStringList todo{start}; !todo.isEmpty();) {
        for (const QString& next : silent.values(todo.takeLast())) {
            if (!first.contains(next)) {
                first.insert(next);
                todo.append(next);
            }
        }
    }
    QByteArray text;
    for (QStringList& f : fields) {
        if (f.size() >= 4 && f[0] == u"TRANSITION") {
            // written with the C library's decimal separator, which follows the desktop's language
            double probability = QString(f[3]).replace(u',', u'.').toDouble();
            if (f.size() == 5 && words.contains(f[4])) {
                probability *= first.contains(f[1]) ? entry : further;
            }
            f[3] = QString::number(probability, 'g', 9);
        }
        text += f.join(u' ').toUtf8() + '\n';
    }
    FILE* in = fmemopen(text.data(), std::size_t(text.size()), "r");
    if (in == nullptr) {
        return nullptr;
    }
    fsg_model_t* result = fsg_model_read(in, math, kLanguageWeight);
    std::fclose(in);
    return result;
}

}  // namespace

RecognizerModel RecognizerModel::installed() {
    QString root = qEnvironmentVariable("HORALIA_SPEECH_MODEL");
    if (root.isEmpty()) {
        root = QStringLiteral(HORALIA_SPEECH_MODEL_DIR);
    }
    const QDir dir(root);
    return {dir.filePath(QStringLiteral("en-us")), dir.filePath(QStringLiteral("cmudict-en-us.dict")),
            dir.filePath(QStringLiteral("en-us.lm.bin"))};
}

Status RecognizerModel::complete() const {
    QStringList absent;
    if (!QFileInfo::exists(acousticModel + QStringLiteral("/mdef"))) {
        absent << acousticModel;
    }
    for (const QString& file : {dictionary, languageModel}) {
        if (!QFileInfo(file).isFile()) {
            absent << file;
        }
    }
    if (absent.isEmpty()) {
        return {};
    }
    return fail(QStringLiteral("no acoustic model for speech input (missing %1; install pocketsphinx-en-us)")
                    .arg(absent.join(QStringLiteral(", "))));
}

Result<std::unique_ptr<Recognizer>> Recognizer::create(const RecognizerModel& model,
                                                       RecognizerTuning tuning) {
    if (Status complete = model.complete(); !complete) {
        return complete.failure();
    }
    silencePocketSphinx();
    const QStringList common = commonWords(model.languageModel, tuning.fillerWords);
    const QHash<QString, QList<QStringList>> known =
        lookUp(model.dictionary, QSet<QString>(common.begin(), common.end()));

    // The decoder starts with the common words only; the commands' words are added as commands come.
    QTemporaryFile dictionary(QDir::tempPath() + QStringLiteral("/horalia-words-XXXXXX.dict"));
    if (!dictionary.open()) {
        return fail(
            QStringLiteral("cannot write a dictionary for speech input: %1").arg(dictionary.errorString()));
    }
    QList<QPair<QString, QStringList>> fillers;
    for (const QString& word : common) {
        const QList<QStringList> prons = known.value(word);
        for (qsizetype i = 0; i < prons.size(); ++i) {
            const QString name = i == 0 ? word : QStringLiteral("%1(%2)").arg(word).arg(i + 1);
            dictionary.write((name + u' ' + prons[i].join(u' ') + u'\n').toUtf8());
        }
        if (!prons.isEmpty() && prons.front().size() >= tuning.minFillerPhones) {
            fillers.append({word, prons.front()});
        }
    }
    dictionary.flush();

    const QByteArray hmm = QFile::encodeName(model.acousticModel);
    const QByteArray dict = QFile::encodeName(dictionary.fileName());
    // Measured on our own voice in many conditions, against the decoder's defaults: a frame every 8 ms rather
    // than 10 keeps up with fast speech without losing slow speech; more Gaussians per frame (topn) and a
    // likelier breath or noise between words both read whispered and noisy speech better.
    // Our settings, then PocketSphinx's own as the tuning gives them, each name once: the parser refuses
    // a name given twice.
    QMap<QByteArray, QByteArray> options{{"-hmm", hmm},     {"-dict", dict}, {"-samprate", "16000"},
                                         {"-frate", "125"}, {"-topn", "16"}, {"-fillprob", "1e-2"}};
    tuneForVersion(options);
    for (qsizetype i = 0; i + 1 < tuning.decoderOptions.size(); i += 2) {
        options.insert(tuning.decoderOptions[i].toUtf8(), tuning.decoderOptions[i + 1].toUtf8());
    }
    Result<ps_decoder_t*> decoder = startDecoder(options);
    if (!decoder) {
        return decoder.failure();
    }
    std::unique_ptr<Recognizer> recognizer(new Recognizer(*decoder, tuning));
    recognizer->dictionaryPath_ = model.dictionary;
    recognizer->fillers_ = fillers;
    recognizer->ownLimits_ = searchLimits(*decoder);
    return recognizer;
}

Recognizer::Recognizer(ps_decoder_s* decoder, RecognizerTuning tuning)
    : decoder_(decoder), tuning_(tuning), espeak_(std::make_unique<speech::EspeakSynthesizer>()) {}

Recognizer::~Recognizer() {
    ps_free(decoder_);
}

bool Recognizer::addPronunciations(const QStringList& words) {
    QSet<QString> wanted;
    for (const QString& word : words) {
        if (!pronunciations_.contains(word)) {
            wanted.insert(word);
        }
    }
    if (wanted.isEmpty()) {
        return true;
    }
    const QHash<QString, QList<QStringList>> known = lookUp(dictionaryPath_, wanted);
    bool allSaid = true;
    for (const QString& word : words) {
        if (!wanted.contains(word)) {
            continue;
        }
        QList<QStringList> prons = known.value(word);
        // American and British English as espeak-ng says them: people from Britain drop the r the dictionary
        // gives "or" and "car"
        for (const QString& voice : {QStringLiteral("en-us"), QStringLiteral("en")}) {
            const Result<QString> ipa = espeak_->phonemes(word, voice);
            const QStringList spoken = ipa ? phonesFromIpa(*ipa) : QStringList();
            if (!spoken.isEmpty() && !prons.contains(spoken)) {
                prons.append(spoken);
            }
        }
        if (prons.isEmpty()) {
            allSaid = false;
            continue;
        }
        // Words the decoder knows already (common words) keep their entries; only the new ones are added.
        int alternative = 1;
        for (const QStringList& phones : std::as_const(prons)) {
            const QString name =
                alternative == 1 ? word : QStringLiteral("%1(%2)").arg(word).arg(alternative);
            ++alternative;
            if (knows(decoder_, name)) {
                continue;
            }
            ps_add_word(decoder_, name.toUtf8().constData(), phones.join(u' ').toUtf8().constData(), FALSE);
        }
        pronunciations_.insert(word, prons);
    }
    return allSaid;
}

void Recognizer::addJoinedWord(const QString& joined) {
    QList<QList<QStringList>> parts;
    for (const QString& word : joined.split(kJoiner)) {
        parts.append(pronunciations_.value(word));
        if (parts.back().isEmpty()) {
            return;  // a word without a pronunciation is warned of already
        }
    }
    // Every combination, by how far down each word's list it goes: the dictionary's own first.
    QList<QPair<int, QStringList>> combinations{{0, {}}};
    for (const QList<QStringList>& prons : std::as_const(parts)) {
        QList<QPair<int, QStringList>> longer;
        for (const auto& [rank, phones] : std::as_const(combinations)) {
            for (qsizetype i = 0; i < prons.size(); ++i) {
                longer.append({rank + int(i), phones + prons[i]});
            }
        }
        std::stable_sort(longer.begin(), longer.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        combinations = longer.mid(0, kJoinedPronunciations);
    }
    for (qsizetype i = 0; i < combinations.size(); ++i) {
        const QString name = i == 0 ? joined : QStringLiteral("%1(%2)").arg(joined).arg(i + 1);
        if (!knows(decoder_, name)) {
            ps_add_word(decoder_, name.toUtf8().constData(),
                        combinations[i].second.join(u' ').toUtf8().constData(), FALSE);
        }
    }
}

QStringList Recognizer::otherWords(const QStringList& commandWords) {
    // A common word that sounds like part of a command would take that command's place.
    QList<QStringList> commandSounds;
    for (const QString& word : commandWords) {
        commandSounds.append(pronunciations_.value(word));
    }
    QStringList others;
    for (const auto& [word, phones] : std::as_const(fillers_)) {
        const bool alike =
            std::any_of(commandSounds.begin(), commandSounds.end(),
                        [&phones = phones](const QStringList& c) { return soundsAlike(phones, c); });
        if (!commandWords.contains(word) && !alike) {
            others << word;
        }
    }
    // The commands' words are said in <other> too ("what is the" is half of many sentences), under names of
    // their own so that only there they pay the penalty.
    for (const QString& word : commandWords) {
        const QString loopName = word + kLoopSuffix;
        const QList<QStringList> prons = pronunciations_.value(word);
        for (qsizetype i = 0; i < prons.size(); ++i) {
            const QString name = i == 0 ? loopName : QStringLiteral("%1(%2)").arg(loopName).arg(i + 1);
            if (!knows(decoder_, name)) {
                ps_add_word(decoder_, name.toUtf8().constData(), prons[i].join(u' ').toUtf8().constData(),
                            FALSE);
            }
        }
        if (!prons.isEmpty()) {
            others << loopName;
        }
    }
    return others;
}

Status Recognizer::setCommands(const QList<VoiceCommand>& commands, QStringList* warnings) {
    // Why nothing is listened for, whatever the cause: a command or grammar left out has its own warning.
    const auto nothingLeft = [] { return fail(QStringLiteral("no command left to listen for")); };
    ready_ = false;
    phrases_.clear();
    qint64 size = 0;
    for (const VoiceCommand& command : commands) {
        Result<VoicePhrase> phrase = VoicePhrase::parse(command.voice);
        if (phrase && phrase->grammarSize() > tuning_.maxPhraseSize) {
            phrase = fail(QStringLiteral("its grammar has %1 words, more than the %2 the recognizer takes")
                              .arg(phrase->grammarSize())
                              .arg(tuning_.maxPhraseSize));
        }
        if (!phrase) {
            warnings->append(QStringLiteral("command \"%1\": its phrase \"%2\" is left out: %3")
                                 .arg(command.name, command.voice, phrase.error()));
            continue;
        }
        size += phrase->grammarSize();
        phrases_.append({command.name, *std::move(phrase)});
    }
    if (phrases_.isEmpty()) {
        grammar_.clear();
        return nothingLeft();
    }
    // The search keeps a record of every state of the grammar for every frame, so a large set costs in its
    // states what a small one never notices: there each alternative of a few words becomes one word.
    large_ = size > tuning_.largeSetAbove;
    if (large_) {
        for (auto& [name, phrase] : phrases_) {
            phrase = phrase.withJoinedAlternatives(kJoiner);
        }
    }
    QStringList words;   // the words said, those inside joined alternatives too
    QSet<QString> seen;  // and every word of the grammar
    for (const auto& [name, phrase] : std::as_const(phrases_)) {
        for (const QString& word : phrase.words()) {
            seen.insert(word);
            for (const QString& part : word.split(kJoiner)) {
                if (!words.contains(part)) {
                    words << part;
                }
            }
        }
    }
    if (!addPronunciations(words)) {
        for (const QString& word : words) {
            if (!knows(decoder_, word)) {
                warnings->append(QStringLiteral("no pronunciation for \"%1\"").arg(word));
            }
        }
    }
    for (const QString& word : std::as_const(seen)) {
        if (word.contains(kJoiner)) {
            addJoinedWord(word);
        }
    }
    commandWords_ = seen + QSet<QString>(words.begin(), words.end());
    others_ = otherWords(words);
    QList<qsizetype> all(phrases_.size());
    std::iota(all.begin(), all.end(), 0);
    const Status made = useSearch(kSearch, all, large_ ? tuning_.largeSetLimits : ownLimits_);
    if (!made) {
        warnings->append(made.error());
        return nothingLeft();
    }
    ready_ = true;
    return {};
}

Status Recognizer::useSearch(const char* name, const QList<qsizetype>& phrases, const SearchLimits& limits) {
    QStringList rules;
    QStringList alternatives;
    for (const qsizetype i : phrases) {
        const QString rule = QStringLiteral("command%1").arg(i);
        rules << QStringLiteral("<%1> = %2;").arg(rule, phrases_[i].second.jsgf());
        alternatives << u'<' + rule + u'>';
    }
    const QString grammar = QStringLiteral(
                                "#JSGF V1.0;\ngrammar spoken;\npublic <utterance> = <command> | <other>;\n"
                                // <word> twice, so that the first word of <other> has transitions of its own
                                // to penalize
                                "<command> = %1;\n<other> = <word> <word>*;\n<word> = %2;\n%3\n")
                                .arg(alternatives.join(QStringLiteral(" | ")),
                                     others_.join(QStringLiteral(" | ")), rules.join(u'\n'));
    if (std::strcmp(name, kSearch) == 0) {
        grammar_ = grammar;
    }
    jsgf_t* jsgf = jsgf_parse_string(grammar.toUtf8().constData(), nullptr);
    if (jsgf == nullptr) {
        return fail(QStringLiteral("the commands' grammar could not be read"));
    }
    logmath_t* math = ps_get_logmath(decoder_);
    fsg_model_t* built = buildSearch(jsgf, QStringLiteral("utterance"), math);
    jsgf_grammar_free(jsgf);
    fsg_model_t* fsg = built ? penalized(built, QSet<QString>(others_.begin(), others_.end()),
                                         tuning_.entryPenalty, tuning_.fillerPenalty, math)
                             : nullptr;
    if (built) {
        fsg_model_free(built);
    }
    if (fsg == nullptr) {
        return fail(QStringLiteral("the commands' grammar could not be built"));
    }
    limitSearch(decoder_, limits);
    const bool made = searchWith(decoder_, name, fsg);
    fsg_model_free(fsg);
    if (!made) {
        return fail(QStringLiteral("PocketSphinx took no search of the commands' grammar"));
    }
    return {};
}

std::optional<std::pair<QString, int>> Recognizer::decode(std::span<const std::int16_t> samples) {
    if (ps_start_utt(decoder_) != 0) {
        return std::nullopt;
    }
    decodeUtterance(decoder_, samples);
    ps_end_utt(decoder_);
    int32 score = 0;
    const char* hyp = ps_get_hyp(decoder_, &score);
    return std::pair{hyp ? QString::fromUtf8(hyp).simplified() : QString(), int(score)};
}

Recognition Recognizer::recognize(std::span<const std::int16_t> samples) {
    Recognition result;
    if (!ready_ || samples.empty() || samples.size() > std::size_t(tuning_.maxSeconds) * kSampleRate) {
        return result;
    }
    std::optional<std::pair<QString, int>> found = decode(samples);
    if (!found || found->first.isEmpty()) {
        return result;
    }
    result.words = found->first;
    int score = found->second;
    // The words say which part of the grammar the search went through: <other> says the commands' words with
    // a mark of its own, and no common word is a command word. So words without the mark are a reading of a
    // command's phrase, however many readings it has.
    const auto commandOf = [this](const QString& words) {
        const QStringList heard = words.split(u' ', Qt::SkipEmptyParts);
        if (std::any_of(heard.begin(), heard.end(),
                        [](const QString& w) { return w.endsWith(kLoopSuffix); })) {
            return QString();
        }
        for (const auto& [name, phrase] : std::as_const(phrases_)) {
            if (phrase.matches(heard)) {
                return name;
            }
        }
        return QString();
    };
    const QString best = commandOf(result.words);
    // What was heard reads as words, whichever part of the grammar said them.
    QStringList heard = result.words.split(u' ');
    for (QString& word : heard) {
        if (word.endsWith(kLoopSuffix)) {
            word.chop(kLoopSuffix.size());
        }
        word.replace(kJoiner, u' ');
    }
    result.words = heard.join(u' ');
    // A large set's list of next best readings costs far more than its search, most of all in noise (a
    // lattice of every word that ended). There the command found is searched for again beside <other>
    // alone, as in a set of one command, and that search's list judges it; sound that is no command is
    // left at that.
    if (large_ && best.isEmpty()) {
        return result;
    }
    bool checked = true;
    if (large_) {
        const auto command = std::find_if(phrases_.cbegin(), phrases_.cend(),
                                          [&best](const auto& phrase) { return phrase.first == best; });
        std::optional<std::pair<QString, int>> again;
        if (useSearch(kCheckSearch, {command - phrases_.cbegin()}, ownLimits_)) {
            again = decode(samples);
        }
        checked = again && commandOf(again->first) == best;
        score = again ? again->second : score;
    }
    // The readings of the sound next best to the one found, scored alike (the list scores them otherwise than
    // the search scored its path, so only scores from the list are compared): the confidence is how far the
    // best command leads the best reading that is no command, per frame, so that a long command is judged as
    // a short one is.
    std::optional<qint64> commandScore;
    std::optional<qint64> otherScore;
    int looked = 0;
    int listed = 0;
    for (ps_nbest_t* nb = ps_nbest(decoder_); nb != nullptr; nb = ps_nbest_next(nb)) {
        if (++looked > kAlternativesLooked || ++listed > kListedLooked) {
            ps_nbest_free(nb);
            break;
        }
        int32 nbScore = 0;
        const char* text = ps_nbest_hyp(nb, &nbScore);
        if (text == nullptr) {
            continue;
        }
        const QString reading = QString::fromUtf8(text).simplified();
        const QString name = commandOf(reading);
        if (!wholeReading(reading.split(u' ', Qt::SkipEmptyParts), !name.isEmpty(), commandWords_)) {
            --looked;  // not a reading at all
            continue;
        }
        if (name.isEmpty()) {
            otherScore = std::max(otherScore.value_or(nbScore), qint64(nbScore));
        } else if (name != best && !result.alternatives.contains(name)) {
            result.alternatives << name;
        }
        if (!name.isEmpty() && !best.isEmpty()) {
            commandScore = std::max(commandScore.value_or(nbScore), qint64(nbScore));
        }
    }
    if (large_ && !activate(decoder_, kSearch)) {
        ready_ = false;  // the decoder lost its search
    }
    if (!commandScore && !best.isEmpty()) {
        commandScore = score;
    }
    // The path found decides whether a command was heard; how far it leads the best rival reading says how
    // sure that is: 0.5 when the rival leads by the allowance, towards 1 as the command leads, towards 0 as
    // the rival does.
    const int frames = std::max(1, ps_get_n_frames(decoder_));
    double lead = 0;
    if (!best.isEmpty()) {
        lead =
            otherScore ? double(*commandScore - *otherScore) / frames + tuning_.rivalAllowance : kNoRivalLead;
        result.confidence = checked ? 0.5 + 0.5 * std::tanh(lead / tuning_.confidenceScale) : 0.0;
    }
    if (!best.isEmpty() && result.confidence >= threshold_) {
        result.command = best;
    } else if (!best.isEmpty()) {
        result.alternatives.prepend(best);
    }
    return result;
}

}  // namespace agent::listen

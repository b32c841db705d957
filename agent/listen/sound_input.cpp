#include "agent/listen/sound_input.h"

#include <sndfile.h>

#include <QFile>
#include <QScopeGuard>
#include <algorithm>
#include <span>

#include "agent/listen/recognizer.h"
#include "agent/listen/sample_rate.h"
#include "agent/speech/espeak_synthesizer.h"
#include "agent/speech/speech_tag_parser.h"

namespace agent::listen {

namespace {

// libsndfile reads through these, so a path is opened with Qt's file names and errors.
sf_count_t fileLength(void* file) {
    return static_cast<QFile*>(file)->size();
}
sf_count_t fileSeek(sf_count_t offset, int whence, void* data) {
    auto* file = static_cast<QFile*>(data);
    const qint64 base = whence == SEEK_CUR ? file->pos() : whence == SEEK_END ? file->size() : 0;
    return file->seek(base + offset) ? file->pos() : -1;
}
sf_count_t fileRead(void* into, sf_count_t count, void* file) {
    return static_cast<QFile*>(file)->read(static_cast<char*>(into), count);
}
sf_count_t fileWrite(const void*, sf_count_t, void*) {
    return 0;
}
sf_count_t fileTell(void* file) {
    return static_cast<QFile*>(file)->pos();
}

bool isRaw(const QString& path) {
    return path.endsWith(QStringLiteral(".raw"), Qt::CaseInsensitive);
}

}  // namespace

Result<std::vector<std::int16_t>> readSoundForRecognizer(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    }
    SF_INFO info{};
    if (isRaw(path)) {
        // headerless, as PocketSphinx's tools write it: the recognizer's own rate, 16-bit, one channel
        info.samplerate = Recognizer::kSampleRate;
        info.channels = 1;
        info.format = SF_FORMAT_RAW | SF_FORMAT_PCM_16 | SF_ENDIAN_LITTLE;
    }
    SF_VIRTUAL_IO io{fileLength, fileSeek, fileRead, fileWrite, fileTell};
    SNDFILE* sound = sf_open_virtual(&io, SFM_READ, &info, &file);
    if (sound == nullptr) {
        return fail(QStringLiteral("%1: not a sound file that can be read (%2)")
                        .arg(path, QString::fromUtf8(sf_strerror(nullptr))));
    }
    const auto close = qScopeGuard([sound] { sf_close(sound); });
    if (info.channels < 1 || info.samplerate < 4000 || info.samplerate > 192000) {
        return fail(
            QStringLiteral("%1: %2 channels at %3 Hz").arg(path).arg(info.channels).arg(info.samplerate));
    }
    // Whole frames of every channel, read in pieces: a header may claim more than the file holds.
    std::vector<std::int16_t> mono;
    std::vector<std::int16_t> frames(4096 * static_cast<std::size_t>(info.channels));
    for (;;) {
        const sf_count_t got = sf_readf_short(sound, frames.data(), 4096);
        if (got <= 0) {
            break;
        }
        for (sf_count_t f = 0; f < got; ++f) {
            int sum = 0;
            for (int c = 0; c < info.channels; ++c) {
                sum += frames[static_cast<std::size_t>(f * info.channels + c)];
            }
            mono.push_back(static_cast<std::int16_t>(sum / info.channels));
        }
    }
    if (mono.empty()) {
        return fail(QStringLiteral("%1: no sound in the file").arg(path));
    }
    return resample(mono, info.samplerate, Recognizer::kSampleRate);
}

Result<std::vector<std::int16_t>> speakForRecognizer(speech::EspeakSynthesizer& synthesizer,
                                                     const QString& text, const QString& voiceName) {
    speech::VoiceChoice voice;
    voice.name = voiceName.isEmpty() ? QStringLiteral("en-us") : voiceName;
    Result<speech::Utterance> utterance =
        synthesizer.synthesize(speech::SpeechTagParser().parse(text), voice);
    if (!utterance) {
        return utterance.failure();
    }
    std::vector<std::int16_t> speech =
        resample(utterance->samples, utterance->sampleRate, Recognizer::kSampleRate);
    // A microphone hears a little quiet before and after a phrase; the recognizer expects it. The quiet is a
    // faint hiss, as a real room's is, not digital silence.
    constexpr std::size_t kQuiet = Recognizer::kSampleRate / 4;
    std::vector<std::int16_t> padded(kQuiet, 0);
    padded.insert(padded.end(), speech.begin(), speech.end());
    padded.resize(padded.size() + kQuiet, 0);
    std::uint32_t state = 12345;
    for (std::int16_t& s : padded) {
        state = state * 1664525u + 1013904223u;
        s = static_cast<std::int16_t>(std::clamp(int(s) + int(state >> 29) - 4, -32768, 32767));
    }
    return padded;
}

}  // namespace agent::listen

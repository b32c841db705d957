#include "agent/listen/sound_input.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <span>

#include "agent/listen/recognizer.h"
#include "agent/listen/sample_rate.h"
#include "agent/speech/espeak_synthesizer.h"
#include "agent/speech/speech_tag_parser.h"

namespace agent::listen {

namespace {

constexpr qsizetype kChunkHeader = 8;
constexpr int kExtensible = 0xFFFE;

quint16 u16(const QByteArray& data, qsizetype at) {
    return qFromLittleEndian<quint16>(data.constData() + at);
}

quint32 u32(const QByteArray& data, qsizetype at) {
    return qFromLittleEndian<quint32>(data.constData() + at);
}

}  // namespace

Result<std::vector<std::int16_t>> readWavForRecognizer(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    }
    const QByteArray data = file.readAll();
    if (data.size() < 12 || !data.startsWith("RIFF") || data.mid(8, 4) != "WAVE") {
        return fail(QStringLiteral("%1: not a WAV file").arg(path));
    }
    int channels = 0;
    int rate = 0;
    int bits = 0;
    int format = 0;
    QByteArrayView pcm;
    for (qsizetype at = 12; at + kChunkHeader <= data.size();) {
        const QByteArray id = data.mid(at, 4);
        const qint64 size = u32(data, at + 4);
        const qsizetype body = at + kChunkHeader;
        const qsizetype available = std::min<qint64>(size, data.size() - body);
        if (id == "fmt " && available >= 16) {
            format = u16(data, body);
            channels = u16(data, body + 2);
            rate = static_cast<int>(u32(data, body + 4));
            bits = u16(data, body + 14);
            // WAVE_FORMAT_EXTENSIBLE says the format again in its sub-format's first two bytes
            if (format == kExtensible && available >= 26) {
                format = u16(data, body + 24);
            }
        } else if (id == "data") {
            pcm = QByteArrayView(data.constData() + body, available);
        }
        at = body + size + (size & 1);
    }
    if (format != 1 || bits != 16 || channels < 1 || rate < 4000 || rate > 192000 || pcm.isNull()) {
        return fail(QStringLiteral("%1: not 16-bit PCM sound (format %2, %3 bits, %4 channels, %5 Hz)")
                        .arg(path)
                        .arg(format)
                        .arg(bits)
                        .arg(channels)
                        .arg(rate));
    }
    const qsizetype frames = pcm.size() / (2 * channels);
    std::vector<std::int16_t> mono(static_cast<std::size_t>(frames));
    for (qsizetype f = 0; f < frames; ++f) {
        int sum = 0;
        for (int c = 0; c < channels; ++c) {
            sum += qFromLittleEndian<qint16>(pcm.constData() + 2 * (f * channels + c));
        }
        mono[static_cast<std::size_t>(f)] = static_cast<std::int16_t>(sum / channels);
    }
    return resample(mono, rate, Recognizer::kSampleRate);
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

// Chunks are walked by their stated sizes, each checked against what is left, and padded to even sizes as
// RIFF requires. Chunks other than the format and the data (lists, facts, cues) are skipped. Besides PCM,
// Microsoft ADPCM is decoded: the genuine characters store most of their sounds that way.
#include "agent/render/wave_sound.h"

#include "agent/format/byte_reader.h"

#include <algorithm>
#include <array>

namespace agent::render {

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatMsAdpcm = 2;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
constexpr std::uint16_t kMaxChannels = 8;
constexpr std::uint32_t kMaxRate = 384000;

// The predictor coefficient pairs every Microsoft ADPCM file uses, and the step size adaptation, as the
// format's public description gives them.
constexpr std::array<std::array<std::int16_t, 2>, 7> kStandardCoefficients = {
    {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}}};
constexpr int kAdaptation[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                                 768, 614, 512, 409, 307, 230, 230, 230};
constexpr int kMinStep = 16;
constexpr int kMaxStep = 1 << 24;  // far above what real data reaches; keeps damaged data from overflowing

struct Format {
    std::uint16_t tag = 0;
    std::uint16_t channels = 0;
    std::uint32_t rate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bits = 0;
    std::uint16_t samplesPerBlock = 0;                      // ADPCM only
    std::vector<std::array<std::int16_t, 2>> coefficients;  // ADPCM only
};

Result<Format> readFormat(const QByteArray& bytes, std::uint64_t at, std::uint32_t size) {
    if (size < 16) {
        return fail(QStringLiteral("WAVE format chunk too short (%1 bytes)").arg(size));
    }
    format::ByteReader r(bytes, at, at + size);
    Format format;
    format.tag = r.u16();
    format.channels = r.u16();
    format.rate = r.u32();
    r.u32();  // bytes per second: derived, and often wrong in files from old tools
    format.blockAlign = r.u16();
    format.bits = r.u16();
    if (format.tag == kFormatExtensible) {
        // The real format is the first two bytes of the sub-format GUID, after the extension's own fields.
        if (size < 40) {
            return fail(QStringLiteral("WAVE extensible format chunk too short (%1 bytes)").arg(size));
        }
        r.skip(8);  // extension size, valid bits, channel mask
        format.tag = r.u16();
    } else if (format.tag == kFormatMsAdpcm && size >= 22) {
        r.u16();  // extension size
        format.samplesPerBlock = r.u16();
        const std::uint16_t count = r.u16();
        if (count > (size - 22) / 4) {
            return fail(
                QStringLiteral("ADPCM format chunk lists %1 coefficients it does not hold").arg(count));
        }
        for (std::uint16_t i = 0; i < count; ++i) {
            const std::int16_t first = r.s16();
            format.coefficients.push_back({first, r.s16()});
        }
    }
    if (!r.ok()) {
        return fail(r.error());
    }
    return format;
}

// A chunk name for a message; names in damaged files can be any bytes.
QString printable(const QByteArray& id) {
    QString out;
    for (char c : id) {
        out += (c >= 0x20 && c < 0x7F) ? QChar::fromLatin1(c) : QChar(u'?');
    }
    return out;
}

std::int16_t clamp16(std::int64_t v) {
    return std::int16_t(std::clamp<std::int64_t>(v, -32768, 32767));
}

// Blocks of a header per channel (predictor, step, last two samples) and then 4-bit steps, channels
// interleaved by nibble, high nibble first. A short last block gives what it holds.
Status decodeMsAdpcm(const Format& f, const std::uint8_t* data, std::uint32_t size, WaveSound* out) {
    const std::uint32_t channels = f.channels;
    const std::uint32_t header = 7 * channels;
    if (channels > 2 || f.blockAlign <= header) {
        return fail(
            QStringLiteral("ADPCM blocks of %1 bytes for %2 channels").arg(f.blockAlign).arg(channels));
    }
    std::vector<std::array<std::int16_t, 2>> coefficients = f.coefficients;
    if (coefficients.empty()) {
        coefficients.assign(kStandardCoefficients.begin(), kStandardCoefficients.end());
    }
    const std::uint32_t blockFrames = (f.blockAlign - header) * 2 / channels + 2;
    const std::uint32_t framesPerBlock =
        f.samplesPerBlock >= 2 && f.samplesPerBlock <= blockFrames ? f.samplesPerBlock : blockFrames;
    out->samples.reserve(std::size_t(size / f.blockAlign + 1) * framesPerBlock);
    for (std::uint32_t at = 0; at + header <= size; at += f.blockAlign) {
        const std::uint8_t* p = data + at;
        const std::uint32_t length = std::min<std::uint32_t>(f.blockAlign, size - at);
        int predictor[2] = {};
        std::int64_t step[2] = {};
        std::int64_t s1[2] = {};
        std::int64_t s2[2] = {};
        auto s16 = [p](std::uint32_t offset) {
            return std::int16_t(std::uint16_t(p[offset] | (p[offset + 1] << 8)));
        };
        for (std::uint32_t c = 0; c < channels; ++c) {
            predictor[c] = p[c];
            if (std::size_t(predictor[c]) >= coefficients.size()) {
                return fail(QStringLiteral("ADPCM block at %1 uses predictor %2 of %3")
                                .arg(at)
                                .arg(predictor[c])
                                .arg(coefficients.size()));
            }
            step[c] = s16(channels + 2 * c);
            s1[c] = s16(3 * channels + 2 * c);
            s2[c] = s16(5 * channels + 2 * c);
        }
        auto mixed = [channels](const std::int64_t* v) {
            return std::int16_t((v[0] + (channels > 1 ? v[1] : 0)) / channels);
        };
        out->samples.push_back(mixed(s2));
        out->samples.push_back(mixed(s1));
        const std::uint32_t frames = std::min(framesPerBlock, (length - header) * 2 / channels + 2);
        std::uint32_t nibble = 0;
        for (std::uint32_t frame = 2; frame < frames; ++frame) {
            std::int64_t value[2] = {};
            for (std::uint32_t c = 0; c < channels; ++c, ++nibble) {
                const std::uint8_t byte = p[header + nibble / 2];
                const int code = (nibble % 2 == 0) ? byte >> 4 : byte & 0x0F;
                const int signedCode = code >= 8 ? code - 16 : code;
                const auto& k = coefficients[std::size_t(predictor[c])];
                const std::int64_t predicted = (s1[c] * k[0] + s2[c] * k[1]) >> 8;
                value[c] = clamp16(predicted + signedCode * step[c]);
                s2[c] = s1[c];
                s1[c] = value[c];
                step[c] = std::clamp<std::int64_t>((kAdaptation[code] * step[c]) >> 8, kMinStep, kMaxStep);
            }
            out->samples.push_back(mixed(value));
        }
    }
    return {};
}

// Where the format and the samples are in a RIFF WAVE file.
struct Chunks {
    Format format;
    const std::uint8_t* data = nullptr;
    std::uint32_t dataSize = 0;
};

Result<Chunks> findChunks(const QByteArray& bytes) {
    const std::uint64_t total = std::uint64_t(bytes.size());
    if (total < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") {
        return fail(QStringLiteral("not a RIFF WAVE file"));
    }
    std::optional<Format> format;
    std::optional<Chunks> found;
    std::uint64_t pos = 12;
    while (pos + 8 <= total && !found) {
        format::ByteReader header(bytes, pos, pos + 8);
        const QByteArray id = bytes.mid(qsizetype(pos), 4);
        header.skip(4);
        const std::uint32_t size = header.u32();
        const std::uint64_t body = pos + 8;
        if (size > total - body) {
            return fail(QStringLiteral("WAVE chunk \"%1\" at offset %2 claims %3 bytes, only %4 remain")
                            .arg(printable(id))
                            .arg(pos)
                            .arg(size)
                            .arg(total - body));
        }
        if (id == "fmt ") {
            Result<Format> read = readFormat(bytes, body, size);
            if (!read) {
                return read.failure();
            }
            format = *std::move(read);
        } else if (id == "data") {
            // the samples are read once the format is known, which must come before them
            found = Chunks{{}, reinterpret_cast<const std::uint8_t*>(bytes.constData()) + body, size};
        }
        pos = body + size + (size & 1u);
    }
    if (!format) {
        return fail(QStringLiteral("WAVE file has no format chunk before its data"));
    }
    if (!found) {
        return fail(QStringLiteral("WAVE file has no data chunk"));
    }
    found->format = *format;
    return *found;
}

Status checkFormat(const Format& format) {
    if (format.tag != kFormatPcm && format.tag != kFormatMsAdpcm) {
        return fail(QStringLiteral("WAVE format %1 is neither PCM nor ADPCM").arg(format.tag));
    }
    if (format.channels == 0 || format.channels > kMaxChannels) {
        return fail(QStringLiteral("WAVE file with %1 channels").arg(format.channels));
    }
    if (format.rate == 0 || format.rate > kMaxRate) {
        return fail(QStringLiteral("WAVE sample rate %1 Hz").arg(format.rate));
    }
    if (format.tag == kFormatPcm && format.bits != 8 && format.bits != 16) {
        return fail(QStringLiteral("WAVE samples of %1 bits (8 or 16 are played)").arg(format.bits));
    }
    return {};
}

// 8-bit (unsigned) or 16-bit (signed) samples, the channels mixed to one.
void decodePcm(const Format& format, const std::uint8_t* data, std::uint32_t size, WaveSound* out) {
    const std::uint32_t bytesPerSample = format.bits / 8u;
    const std::uint32_t frameSize = bytesPerSample * format.channels;
    // A last partial frame, as some writers leave, is dropped.
    const std::uint32_t frames = size / frameSize;
    out->samples.resize(frames);
    const std::uint8_t* p = data;
    for (std::uint32_t i = 0; i < frames; ++i) {
        std::int32_t sum = 0;
        for (std::uint16_t c = 0; c < format.channels; ++c) {
            if (bytesPerSample == 1) {
                sum += (std::int32_t(p[0]) - 128) * 256;
            } else {
                sum += std::int16_t(std::uint16_t(p[0] | (p[1] << 8)));
            }
            p += bytesPerSample;
        }
        out->samples[i] = std::int16_t(sum / format.channels);
    }
}

}  // namespace

Result<WaveSound> decodeWave(const QByteArray& bytes) {
    const Result<Chunks> chunks = findChunks(bytes);
    if (!chunks) {
        return chunks.failure();
    }
    if (const Status usable = checkFormat(chunks->format); !usable) {
        return usable.failure();
    }
    WaveSound sound;
    sound.sampleRate = int(chunks->format.rate);
    if (chunks->format.tag == kFormatMsAdpcm) {
        if (const Status decoded = decodeMsAdpcm(chunks->format, chunks->data, chunks->dataSize, &sound);
            !decoded) {
            return decoded.failure();
        }
    } else {
        decodePcm(chunks->format, chunks->data, chunks->dataSize, &sound);
    }
    if (sound.samples.empty()) {
        return fail(QStringLiteral("WAVE file holds no samples"));
    }
    return sound;
}

}  // namespace agent::render

// Version 1.5 characters. The layout was worked out from genuine files and follows version 2 where the two
// agree; what differs is that strings carry no terminating zero, the animation list names the stream that
// holds each animation, and a frame shows exactly one image of the character's full size, with its mouth
// overlays stored inline. Bytes whose meaning no known file shows (a storage flag that is always 0, four
// bytes of every frame that are always 0) are refused when they would change how the rest is read, and
// skipped when they would not.
#include "agent/format/acs15_reader.h"

#include "agent/format/byte_reader.h"
#include "agent/format/compound_file.h"
#include "agent/format/compression.h"

#include <QStringList>
#include <QtEndian>

#include <cstring>
#include <limits>

namespace agent::format {

namespace {

constexpr std::uint32_t kCharacterSignature = 0xABCDABC1;
constexpr std::uint16_t kMajorVersion = 1;
constexpr std::uint32_t kCharacterHeaderSize = 12;  // signature, decompressed size, stored size
constexpr std::uint32_t kAnimationHeaderSize = 17;  // version, checksum, compressed flag, the two sizes
const QString kCharacterStream = QStringLiteral("char.acf");

struct AnimationEntry {
    QString name;
    QString stream;
    QString returnAnimation;
    std::uint32_t checksum = 0;
};

// A count of UTF-16 units and the units, with no terminating zero.
QString plainString(ByteReader& r, std::uint32_t maxChars) {
    const std::uint32_t count = r.u32();
    if (!r.ok() || count == 0) {
        return {};
    }
    if (count > maxChars) {
        r.fail(QStringLiteral("string of %1 characters is longer than the limit of %2")
                   .arg(count)
                   .arg(maxChars));
        return {};
    }
    const QByteArray units = r.bytes(std::uint64_t(count) * 2);
    if (!r.ok()) {
        return {};
    }
    QString s(qsizetype(count), Qt::Uninitialized);
    for (qsizetype i = 0; i < qsizetype(count); ++i) {
        s[i] = QChar(qFromLittleEndian<char16_t>(units.constData() + 2 * i));
    }
    return s;
}

QString shortPixels(std::uint32_t size, std::uint64_t pixels, int width, int height) {
    return QStringLiteral("%1 bytes of pixels are short of the %2 of a %3x%4 image")
        .arg(size)
        .arg(pixels)
        .arg(width)
        .arg(height);
}

class Reader {
public:
    Reader(const Limits& limits, ParsedCharacter* out) : limits_(limits), out_(*out) {}

    Status read(const QByteArray& file) {
        if (Status opened = doc_.open(file); !opened) {
            return opened;
        }
        const Result<QByteArray> block = readCharacterStream();
        if (!block) {
            return block.failure();
        }
        if (Status s = readCharacter(*block); !s) {
            return s;
        }
        // A damaged animation costs only itself; a character with none left has nothing to show.
        QString firstFailure;
        for (const AnimationEntry& entry : entries_) {
            if (Status s = readAnimation(entry); !s) {
                out_.warnings.append(
                    QStringLiteral("animation '%1' left out: %2").arg(entry.name, s.error()));
                if (firstFailure.isEmpty()) {
                    firstFailure = out_.warnings.last();
                }
            }
        }
        if (out_.animations.isEmpty() && !firstFailure.isEmpty()) {
            return fail(QStringLiteral("no animation could be read: %1").arg(firstFailure));
        }
        return {};
    }

private:
    // Decompresses `stored` bytes of `stream` at `at` into `size` bytes, within what the limits leave.
    Result<QByteArray> inflate(const QByteArray& stream, std::uint32_t at, std::uint32_t stored,
                               std::uint32_t size, const QString& what) {
        if (stored > std::uint64_t(stream.size()) - at) {
            return fail(
                QStringLiteral("%1: %2 bytes of compressed data are claimed but only %3 follow the header")
                    .arg(what)
                    .arg(stored)
                    .arg(std::uint64_t(stream.size()) - at));
        }
        // Runs can fill many bytes from a few, so only the decoder can tell whether `stored` bytes give
        // `size`; what the streams may take together is bounded below.
        if (decompressed_ + size > limits_.maxFileSize ||
            decompressed_ + size > std::numeric_limits<std::uint32_t>::max()) {
            return fail(
                QStringLiteral("%1: the decompressed streams would take more than the limit of %2 bytes")
                    .arg(what)
                    .arg(limits_.maxFileSize));
        }
        decompressed_ += size;
        QByteArray out(qsizetype(size), Qt::Uninitialized);
        const Result<std::size_t> done =
            decompress(reinterpret_cast<const std::uint8_t*>(stream.constData()) + at, stored,
                       reinterpret_cast<std::uint8_t*>(out.data()), size);
        if (!done) {
            return fail(QStringLiteral("%1: %2").arg(what, done.error()));
        }
        return out;
    }

    Result<QByteArray> readCharacterStream() {
        const Result<QByteArray> read = doc_.readStream(kCharacterStream);
        if (!read) {
            return read.failure();
        }
        const QByteArray& stream = *read;
        ByteReader h(stream, 0, std::uint64_t(stream.size()));
        h.setContext({.what = "stream", .name = &kCharacterStream, .part = "header"});
        const std::uint32_t signature = h.u32();
        const std::uint32_t size = h.u32();
        const std::uint32_t stored = h.u32();
        if (!h.ok()) {
            return fail(h.error());
        }
        if (signature != kCharacterSignature) {
            return fail(QStringLiteral("stream '%1' header at offset 0: signature 0x%2 is not 0xABCDABC1")
                            .arg(kCharacterStream)
                            .arg(signature, 8, 16, QLatin1Char('0')));
        }
        return inflate(
            stream, kCharacterHeaderSize, stored, size,
            QStringLiteral("stream '%1' at offset %2").arg(kCharacterStream).arg(kCharacterHeaderSize));
    }

    Status readCharacter(const QByteArray& block) {
        ByteReader r(block, 0, std::uint64_t(block.size()));
        const QString where = QStringLiteral(" (stream '%1', decompressed)").arg(kCharacterStream);
        r.setContext({.what = "character info", .where = &where});
        CharacterInfo& ci = out_.info;
        ci.minorVersion = r.u16();
        ci.majorVersion = r.u16();
        if (r.ok() && ci.majorVersion != kMajorVersion) {
            r.fail(
                QStringLiteral("format version %1.%2 is not 1.x").arg(ci.majorVersion).arg(ci.minorVersion));
        }
        r.setContext({.what = "animation list", .where = &where});
        const std::uint32_t count = r.count(r.u16(), 16, limits_.maxAnimations, "animation");
        for (std::uint32_t i = 0; i < count && r.ok(); ++i) {
            r.setContext({.what = "animation list entry", .index = i, .where = &where});
            AnimationEntry e;
            e.name = plainString(r, limits_.maxStringChars);
            e.stream = plainString(r, limits_.maxStringChars);
            e.returnAnimation = plainString(r, limits_.maxStringChars);
            e.checksum = r.u32();
            if (r.ok() && e.stream.isEmpty()) {
                r.fail(QStringLiteral("animation '%1' names no stream").arg(e.name));
            }
            entries_.append(std::move(e));
        }
        r.setContext({.what = "character info", .where = &where});
        ci.guid = r.guid();
        LocalizedInfo l;
        l.name = plainString(r, limits_.maxStringChars);
        l.description = plainString(r, limits_.maxStringChars);
        l.extra = plainString(r, limits_.maxStringChars);
        ci.localized.append(l);
        ci.width = r.u16();
        ci.height = r.u16();
        ci.transparentIndex = r.u8();
        ci.flags = r.u32();
        checkCharacterSize(r, ci, limits_);
        if (ci.flags & flags::kVoiceOutput) {
            r.setContext({.what = "voice info", .where = &where});
            VoiceInfo v;
            v.engine = r.guid();
            v.mode = r.guid();
            v.speed = r.u32();
            v.pitch = r.u16();
            ci.voice = v;
        }
        if (ci.flags & flags::kBalloonEnabled) {
            r.setContext({.what = "balloon info", .where = &where});
            ci.balloon = readBalloonBlock(r, plainString, limits_.maxStringChars);
        }
        r.setContext({.what = "palette", .where = &where});
        const std::uint32_t paletteCount = r.count(r.u32(), 4, 256, "palette colour");
        for (std::uint32_t i = 0; i < paletteCount && r.ok(); ++i) {
            ci.palette.append(r.rgbQuad());
        }
        r.setContext({.what = "state list", .where = &where});
        const std::uint32_t stateCount = r.count(r.u16(), 6, limits_.maxStates, "state");
        for (std::uint32_t i = 0; i < stateCount && r.ok(); ++i) {
            r.setContext({.what = "state", .index = i, .where = &where});
            State s;
            s.name = plainString(r, limits_.maxStringChars);
            const std::uint32_t n = r.count(r.u16(), 4, limits_.maxAnimations, "state animation");
            for (std::uint32_t k = 0; k < n && r.ok(); ++k) {
                s.animations.append(plainString(r, limits_.maxStringChars));
            }
            ci.states.append(std::move(s));
        }
        if (!r.ok()) {
            return fail(r.error());
        }
        return {};
    }

    Status readAnimation(const AnimationEntry& entry) {
        const Result<QByteArray> read = doc_.readStream(entry.stream);
        if (!read) {
            return read.failure();
        }
        const QByteArray& stream = *read;
        const QString streamName = QStringLiteral("stream '%1'").arg(entry.stream);
        ByteReader h(stream, 0, std::uint64_t(stream.size()));
        h.setContext({.what = "stream", .name = &entry.stream, .part = "header"});
        h.u16();  // minor version: the same as the character's in every file
        const std::uint16_t major = h.u16();
        const std::uint32_t checksum = h.u32();
        const std::uint8_t compressed = h.u8();
        const std::uint32_t size = h.u32();
        const std::uint32_t stored = h.u32();
        if (!h.ok()) {
            return fail(h.error());
        }
        if (major != kMajorVersion) {
            return fail(QStringLiteral("%1 header at offset 2: format version %2 is not 1")
                            .arg(streamName)
                            .arg(major));
        }
        // The list and the stream carry the same value; a stream that differs is not the one the list means.
        if (checksum != entry.checksum) {
            return fail(
                QStringLiteral("%1 header at offset 4: checksum 0x%2 differs from the animation list's 0x%3")
                    .arg(streamName)
                    .arg(checksum, 8, 16, QLatin1Char('0'))
                    .arg(entry.checksum, 8, 16, QLatin1Char('0')));
        }
        if (compressed != 1) {
            return fail(
                QStringLiteral("%1 header at offset 8: storage flag %2 is not 1 (compressed), the only "
                               "kind known")
                    .arg(streamName)
                    .arg(compressed));
        }
        const Result<QByteArray> block =
            inflate(stream, kAnimationHeaderSize, stored, size,
                    QStringLiteral("%1 at offset %2").arg(streamName).arg(kAnimationHeaderSize));
        if (!block) {
            return block.failure();
        }
        const std::uint32_t base = std::uint32_t(out_.data.size());
        if (Status s = parseAnimation(entry, streamName, *block, base); !s) {
            return s;
        }
        out_.data.append(*block);
        return {};
    }

    // What reading one animation's block keeps track of. Its sounds and images are numbered on from those of
    // the animations before it.
    struct AnimationParts {
        const AnimationEntry& entry;
        const QByteArray& block;
        const QString where;
        const std::uint32_t base;  // where the block will lie in the decompressed data
        const std::uint32_t firstSound;
        const std::uint32_t firstImage;
        std::vector<bool> soundDamaged;  // by the animation's own numbers
        std::vector<bool> imageDamaged;
        QStringList damage;

        std::uint32_t at(const ByteReader& r) const { return base + std::uint32_t(r.pos()); }
        void context(ByteReader& r, const char* part, qint64 index = -1, const char* subPart = nullptr,
                     qint64 subIndex = -1) const {
            r.setContext({.what = "animation",
                          .name = &entry.name,
                          .part = part,
                          .partIndex = index,
                          .subPart = subPart,
                          .subPartIndex = subIndex,
                          .where = &where});
        }
        void note(const ByteReader& r, const QString& what) {
            if (r.ok()) {
                damage.append(r.describe(what));
            }
        }
    };

    // Damage the block can be read past costs the part it is in: a damaged sound or image is not played or
    // drawn, a frame's bad number is dropped, a bad mouth shape is left out, each noted. Damage that stops
    // the reading fails, and the caller leaves the animation out.
    Status parseAnimation(const AnimationEntry& entry, const QString& streamName, const QByteArray& block,
                          std::uint32_t base) {
        AnimationParts p{entry,
                         block,
                         QStringLiteral(" (%1, decompressed)").arg(streamName),
                         base,
                         std::uint32_t(out_.sounds.size()),
                         std::uint32_t(out_.images.size()),
                         {},
                         {},
                         {}};
        ByteReader r(block, 0, std::uint64_t(block.size()));
        readSounds(r, p);
        readImages(r, p);
        Animation anim = readFrames(r, p);
        if (!r.ok()) {
            out_.sounds.resize(p.firstSound);
            out_.images.resize(p.firstImage);
            return fail(r.error());
        }
        out_.animations.append(std::move(anim));
        out_.warnings.append(p.damage);
        return {};
    }

    void readSounds(ByteReader& r, AnimationParts& p) {
        p.context(r, "sound list");
        const std::uint32_t count =
            r.count(r.u16(), 4, limits_.maxSounds - std::uint32_t(out_.sounds.size()), "sound");
        for (std::uint32_t i = 0; i < count && r.ok(); ++i) {
            SoundInfo s;
            s.size = r.u32();
            s.offset = p.at(r);
            if (!r.need(s.size, "sound")) {
                return;
            }
            const char* wave = p.block.constData() + r.pos();
            QString damage;
            if (s.size < 12) {
                damage =
                    QStringLiteral("sound %1 of %2 bytes is too short for RIFF WAVE data").arg(i).arg(s.size);
            } else if (std::memcmp(wave, "RIFF", 4) != 0 || std::memcmp(wave + 8, "WAVE", 4) != 0) {
                damage = QStringLiteral("sound %1 is not RIFF WAVE data").arg(i);
            }
            if (!damage.isEmpty()) {
                p.note(r, damage + QStringLiteral("; it is not played"));
            }
            p.soundDamaged.push_back(!damage.isEmpty());
            r.skip(s.size);
            out_.sounds.append(s);
        }
    }

    void readImages(ByteReader& r, AnimationParts& p) {
        const CharacterInfo& ci = out_.info;
        p.context(r, "image list");
        const std::uint32_t count =
            r.count(r.u16(), 9, limits_.maxImages - std::uint32_t(out_.images.size()), "image");
        const std::uint64_t framePixels = std::uint64_t(rowStride(ci.width)) * ci.height;
        for (std::uint32_t i = 0; i < count && r.ok(); ++i) {
            p.context(r, "image", i);
            ImageInfo img;
            img.width = ci.width;
            img.height = ci.height;
            img.dataSize = r.u32();
            const std::uint8_t storage = r.u8();
            img.dataOffset = p.at(r);
            QString damage;
            if (storage != 0) {
                damage = QStringLiteral("storage flag %1 is not 0 (plain), the only kind known").arg(storage);
            } else if (img.dataSize < framePixels) {
                damage = shortPixels(img.dataSize, framePixels, ci.width, ci.height);
            }
            r.skip(img.dataSize);
            img.regionSize = r.u32();
            img.regionOffset = p.at(r);
            if (damage.isEmpty() && img.regionSize > limits_.maxRegionSize) {
                damage = QStringLiteral("region of %1 bytes is over the limit").arg(img.regionSize);
            }
            if (!damage.isEmpty()) {
                p.note(r, damage + QStringLiteral("; frames that show it draw no image"));
            }
            r.skip(img.regionSize);
            p.imageDamaged.push_back(!damage.isEmpty());
            out_.images.append(img);
        }
    }

    Animation readFrames(ByteReader& r, AnimationParts& p) {
        p.context(r, "frame list");
        Animation anim;
        anim.name = p.entry.name;
        anim.returnAnimation = p.entry.returnAnimation;
        anim.transition =
            std::uint8_t(anim.returnAnimation.isEmpty() ? Transition::None : Transition::ReturnAnimation);
        const std::uint32_t frameCount = r.count(r.u16(), 12, limits_.maxFrames, "frame");
        for (std::uint32_t f = 0; f < frameCount && r.ok(); ++f) {
            p.context(r, "frame", f);
            Frame frame;
            const std::uint16_t image = r.u16();
            const std::uint16_t sound = r.u16();
            frame.duration = r.u16();
            r.skip(4);  // zero in every known frame; their meaning is not known
            frame.images = frameImage(r, p, image);
            frame.sound = frameSound(r, p, sound);
            const std::uint32_t branchCount = r.count(r.u8(), 4, 255, "branch");
            for (std::uint32_t k = 0; k < branchCount && r.ok(); ++k) {
                Branch b;
                b.frame = r.u16();
                b.probability = r.u16();
                if (b.frame < frameCount) {
                    frame.branches.append(b);
                } else {
                    p.note(r, QStringLiteral("branch to frame %1 is past the %2 frames; it is not taken")
                                  .arg(b.frame)
                                  .arg(frameCount));
                }
            }
            readOverlays(r, p, f, &frame);
            anim.frames.append(std::move(frame));
        }
        return anim;
    }

    // A frame shows one image of the animation's, or none: 0xFFFF is the file's way of saying so, and a
    // number past the images or a damaged image come to the same.
    QList<FrameImage> frameImage(const ByteReader& r, AnimationParts& p, std::uint16_t image) {
        constexpr std::uint16_t kNoImage = 0xFFFF;
        const auto count = std::uint32_t(p.imageDamaged.size());
        if (image == kNoImage || !r.ok() || (image < count && p.imageDamaged[image])) {
            return {};
        }
        if (image >= count) {
            p.note(r, QStringLiteral("image %1 is past the animation's %2 images; the frame draws none")
                          .arg(image)
                          .arg(count));
            return {};
        }
        return {{p.firstImage + image, 0, 0}};
    }

    std::uint16_t frameSound(const ByteReader& r, AnimationParts& p, std::uint16_t sound) {
        const auto count = std::uint32_t(p.soundDamaged.size());
        if (sound == kNoSound || !r.ok() || (sound < count && p.soundDamaged[sound])) {
            return kNoSound;
        }
        if (sound >= count) {
            p.note(r, QStringLiteral("sound %1 is past the animation's %2 sounds; the frame plays none")
                          .arg(sound)
                          .arg(count));
            return kNoSound;
        }
        if (p.firstSound + sound >= kNoSound) {
            p.note(r,
                   QStringLiteral("sound %1 is past the %2 sounds a character can have; the frame plays none")
                       .arg(p.firstSound + sound)
                       .arg(kNoSound));
            return kNoSound;
        }
        return std::uint16_t(p.firstSound + sound);
    }

    // Mouth shapes are stored in the frame, each with its own image.
    void readOverlays(ByteReader& r, AnimationParts& p, std::uint32_t frameIndex, Frame* frame) {
        const std::uint32_t count = r.count(r.u8(), 14, 255, "mouth overlay");
        for (std::uint32_t k = 0; k < count && r.ok(); ++k) {
            p.context(r, "frame", frameIndex, "mouth overlay", k);
            MouthOverlay o;
            ImageInfo img;
            o.shape = r.u8();
            img.dataSize = r.u32();
            o.unknown = r.u8();  // zero in every known overlay
            o.x = r.s16();
            o.y = r.s16();
            img.width = r.u16();
            img.height = r.u16();
            img.dataOffset = p.at(r);
            o.width = img.width / 2;  // kept as version 2 stores it
            o.height = img.height / 2;
            const std::uint64_t pixels = std::uint64_t(rowStride(img.width)) * img.height;
            QString damage;
            if (img.width > limits_.maxImageSide || img.height > limits_.maxImageSide) {
                damage = QStringLiteral("image size %1x%2 is over the limit of %3")
                             .arg(img.width)
                             .arg(img.height)
                             .arg(limits_.maxImageSide);
            } else if (img.dataSize < pixels) {
                damage = shortPixels(img.dataSize, pixels, img.width, img.height);
            } else if (out_.images.size() >= 0xFFFF || out_.images.size() >= limits_.maxImages) {
                damage = QStringLiteral("more images than a mouth overlay can name");
            }
            if (!damage.isEmpty()) {
                p.note(r, damage + QStringLiteral("; the mouth shape is left out"));
            }
            r.skip(img.dataSize);
            if (damage.isEmpty() && r.ok()) {
                o.image = std::uint16_t(out_.images.size());
                out_.images.append(img);
                frame->overlays.append(std::move(o));
            }
        }
    }

    const Limits& limits_;
    ParsedCharacter& out_;
    CompoundFile doc_;
    QList<AnimationEntry> entries_;
    std::uint64_t decompressed_ = 0;
};

}  // namespace

Result<ParsedCharacter> readAcs15(const QByteArray& file, const Limits& limits) {
    ParsedCharacter result;
    Reader reader(limits, &result);
    if (Status s = reader.read(file); !s) {
        return fail(QStringLiteral("version 1.5 character: ") + s.error());
    }
    return result;
}

}  // namespace agent::format

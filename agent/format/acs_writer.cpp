// The writer lays the file out as: header, images, sounds, animations, the three lists, localized info and
// character info, each block's place noted as it is written and patched into the header at the end.
#include "agent/format/acs_writer.h"

#include "agent/format/acs_file.h"
#include "agent/format/byte_writer.h"
#include "agent/format/compression.h"

#include <QSaveFile>

#include <limits>

namespace agent::format {

namespace {

struct Block {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

class Writer {
public:
    Writer(const CharacterData& c, const WriteOptions& o) : c_(c), o_(o) {}

    Result<QByteArray> run() {
        if (Status checked = check(); !checked) {
            return checked.failure();
        }
        w_.u32(0xABCDABC3);
        for (int i = 0; i < 8; ++i) {
            w_.u32(0);
        }
        QList<Block> imageBlocks;
        for (const ImageData& img : c_.images) {
            imageBlocks.append(writeImage(img));
        }
        QList<Block> soundBlocks;
        for (const SoundData& s : c_.sounds) {
            Block b = begin();
            w_.bytes(s.wave);
            soundBlocks.append(end(b));
        }
        QList<Block> animationBlocks;
        for (const Animation& a : c_.animations) {
            animationBlocks.append(writeAnimation(a));
        }

        Block animationList = begin();
        w_.u32(std::uint32_t(c_.animations.size()));
        for (int i = 0; i < c_.animations.size(); ++i) {
            w_.string(c_.animations[i].name);
            locator(animationBlocks[i]);
        }
        animationList = end(animationList);

        Block imageList = begin();
        w_.u32(std::uint32_t(c_.images.size()));
        for (int i = 0; i < c_.images.size(); ++i) {
            locator(imageBlocks[i]);
            w_.u32(c_.images[i].checksum);
        }
        imageList = end(imageList);

        Block soundList = begin();
        w_.u32(std::uint32_t(c_.sounds.size()));
        for (int i = 0; i < c_.sounds.size(); ++i) {
            locator(soundBlocks[i]);
            w_.u32(c_.sounds[i].checksum);
        }
        soundList = end(soundList);

        Block localized = begin();
        const CharacterInfo& ci = c_.info;
        w_.u16(std::uint32_t(ci.localized.size()));
        for (const LocalizedInfo& l : ci.localized) {
            w_.u16(l.language);
            w_.string(l.name);
            w_.string(l.description);
            w_.string(l.extra);
        }
        localized = end(localized);

        Block character = writeCharacterInfo(localized);

        if (w_.size() > std::numeric_limits<std::uint32_t>::max()) {
            return fail(QStringLiteral("the character is too large for the file format (over 4 GB)"));
        }
        const Block blocks[] = {character, animationList, imageList, soundList};
        for (int i = 0; i < 4; ++i) {
            w_.patch32(4 + 8 * i, blocks[i].offset);
            w_.patch32(8 + 8 * i, blocks[i].size);
        }
        return w_.take();
    }

private:
    Status check() {
        const CharacterInfo& ci = c_.info;
        if (ci.palette.size() > 256) {
            return fail(QStringLiteral("palette of %1 colours; at most 256").arg(ci.palette.size()));
        }
        if (ci.states.size() > 0xFFFF || ci.localized.size() > 0xFFFF) {
            return fail(QStringLiteral("too many states or languages"));
        }
        for (const State& s : ci.states) {
            if (s.animations.size() > 0xFFFF) {
                return fail(QStringLiteral("state %1 lists too many animations").arg(s.name));
            }
        }
        for (int i = 0; i < c_.images.size(); ++i) {
            const ImageData& img = c_.images[i];
            if (img.pixels.size() != qsizetype(rowStride(img.width)) * img.height) {
                return fail(QStringLiteral("image %1: %2 bytes of pixels for a %3x%4 image, which needs %5")
                                .arg(i)
                                .arg(img.pixels.size())
                                .arg(img.width)
                                .arg(img.height)
                                .arg(qsizetype(rowStride(img.width)) * img.height));
            }
        }
        for (const Animation& a : c_.animations) {
            if (a.frames.size() > 0xFFFF) {
                return fail(QStringLiteral("animation %1 has too many frames").arg(a.name));
            }
            for (const Frame& f : a.frames) {
                if (f.images.size() > 0xFFFF || f.branches.size() > 0xFF || f.overlays.size() > 0xFF) {
                    return fail(QStringLiteral("animation %1: a frame has too many images, branches or "
                                               "overlays")
                                    .arg(a.name));
                }
                for (const FrameImage& fi : f.images) {
                    if (fi.image >= std::uint32_t(c_.images.size())) {
                        return fail(QStringLiteral("animation %1: image index %2 is out of range")
                                        .arg(a.name)
                                        .arg(fi.image));
                    }
                }
                for (const MouthOverlay& o : f.overlays) {
                    if (o.image >= c_.images.size()) {
                        return fail(QStringLiteral("animation %1: overlay image index %2 is out of range")
                                        .arg(a.name)
                                        .arg(o.image));
                    }
                }
            }
        }
        return {};
    }

    Block begin() const { return {std::uint32_t(w_.size()), 0}; }
    Block end(Block b) const { return {b.offset, std::uint32_t(w_.size() - b.offset)}; }
    void locator(const Block& b) {
        w_.u32(b.offset);
        w_.u32(b.size);
    }

    Block writeImage(const ImageData& img) {
        Block b = begin();
        w_.u8(img.unknown);
        w_.u16(img.width);
        w_.u16(img.height);
        w_.u8(o_.compressImages ? 1 : 0);
        const QByteArray data = o_.compressImages ? compress(img.pixels) : img.pixels;
        w_.u32(std::uint32_t(data.size()));
        w_.bytes(data);
        if (o_.compressRegions && !img.region.isEmpty()) {
            const QByteArray packed = compress(img.region);
            w_.u32(std::uint32_t(packed.size()));
            w_.u32(std::uint32_t(img.region.size()));
            w_.bytes(packed);
        } else {
            w_.u32(0);
            w_.u32(std::uint32_t(img.region.size()));
            w_.bytes(img.region);
        }
        return end(b);
    }

    Block writeAnimation(const Animation& a) {
        Block b = begin();
        w_.string(a.name.toUpper());
        w_.u8(a.transition);
        w_.string(a.returnAnimation);
        w_.u16(std::uint32_t(a.frames.size()));
        for (const Frame& f : a.frames) {
            w_.u16(std::uint32_t(f.images.size()));
            for (const FrameImage& fi : f.images) {
                w_.u32(fi.image);
                w_.u16(std::uint16_t(fi.x));
                w_.u16(std::uint16_t(fi.y));
            }
            w_.u16(f.sound);
            w_.u16(f.duration);
            w_.u16(std::uint16_t(f.exitFrame));
            w_.u8(std::uint32_t(f.branches.size()));
            for (const Branch& br : f.branches) {
                w_.u16(br.frame);
                w_.u16(br.probability);
            }
            w_.u8(std::uint32_t(f.overlays.size()));
            for (const MouthOverlay& o : f.overlays) {
                w_.u8(o.shape);
                w_.u8(o.replacesTopImage ? 1 : 0);
                w_.u16(o.image);
                w_.u8(o.unknown);
                w_.u8(o.region.has_value() ? 1 : 0);
                w_.u16(std::uint16_t(o.x));
                w_.u16(std::uint16_t(o.y));
                w_.u16(o.width);
                w_.u16(o.height);
                if (o.region) {
                    w_.u32(std::uint32_t(o.region->size()));
                    w_.bytes(*o.region);
                }
            }
        }
        return end(b);
    }

    Block writeCharacterInfo(const Block& localized) {
        const CharacterInfo& ci = c_.info;
        // The optional blocks follow the flags, so the flags must say which blocks are there.
        std::uint32_t flagsValue = ci.flags & ~(flags::kVoiceOutput | flags::kBalloonEnabled);
        if (ci.voice) {
            flagsValue |= flags::kVoiceOutput;
        }
        if (ci.balloon) {
            flagsValue |= flags::kBalloonEnabled;
        }
        Block b = begin();
        w_.u16(ci.minorVersion);
        w_.u16(ci.majorVersion);
        locator(localized);
        w_.guid(ci.guid);
        w_.u16(ci.width);
        w_.u16(ci.height);
        w_.u8(ci.transparentIndex);
        w_.u32(flagsValue);
        w_.u16(ci.animationSetMajor);
        w_.u16(ci.animationSetMinor);
        if (const auto& v = ci.voice) {
            w_.guid(v->engine);
            w_.guid(v->mode);
            w_.u32(v->speed);
            w_.u16(v->pitch);
            w_.u8(v->hasExtra ? 1 : 0);
            if (v->hasExtra) {
                w_.u16(v->language);
                w_.string(v->dialect);
                w_.u16(v->gender);
                w_.u16(v->age);
                w_.string(v->style);
            }
        }
        if (const auto& bl = ci.balloon) {
            w_.u8(bl->lines);
            w_.u8(bl->charsPerLine);
            w_.colorRef(bl->foreground);
            w_.colorRef(bl->background);
            w_.colorRef(bl->border);
            w_.string(bl->fontName);
            w_.u32(std::uint32_t(bl->fontHeight));
            w_.u32(std::uint32_t(bl->fontWeight));
            w_.u8(bl->italic ? 1 : 0);
            w_.u8(bl->extraFlag);
        }
        w_.u32(std::uint32_t(ci.palette.size()));
        for (QRgb c : ci.palette) {
            w_.rgbQuad(c);
        }
        w_.u8(ci.trayIcon ? 1 : 0);
        if (ci.trayIcon) {
            w_.u32(std::uint32_t(ci.trayIcon->monochrome.size()));
            w_.bytes(ci.trayIcon->monochrome);
            w_.u32(std::uint32_t(ci.trayIcon->color.size()));
            w_.bytes(ci.trayIcon->color);
        }
        w_.u16(std::uint32_t(ci.states.size()));
        for (const State& s : ci.states) {
            w_.string(s.name);
            w_.u16(std::uint32_t(s.animations.size()));
            for (const QString& a : s.animations) {
                w_.string(a);
            }
        }
        return end(b);
    }

    const CharacterData& c_;
    const WriteOptions& o_;
    ByteWriter w_;
};

}  // namespace

Result<QByteArray> writeCharacter(const CharacterData& character, const WriteOptions& options) {
    return Writer(character, options).run();
}

Status saveCharacter(const QString& path, const CharacterData& character, const WriteOptions& options) {
    const Result<QByteArray> bytes = writeCharacter(character, options);
    if (!bytes) {
        return bytes.failure();
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.commit()) {
        return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    }
    return {};
}

Result<CharacterData> extractCharacter(const AcsFile& file) {
    CharacterData c;
    c.info = file.info();
    c.animations = file.animations();
    c.images.reserve(file.imageCount());
    for (int i = 0; i < file.imageCount(); ++i) {
        const Result<ImageInfo> read = file.imageInfo(i);
        if (!read) {
            return read.failure();
        }
        const ImageInfo& info = *read;
        ImageData img;
        img.width = info.width;
        img.height = info.height;
        img.unknown = info.unknown;
        img.checksum = info.checksum;
        img.pixels.resize(qsizetype(rowStride(info.width)) * info.height);
        if (Status decoded = file.decodeIndices(i, reinterpret_cast<std::uint8_t*>(img.pixels.data()),
                                                std::size_t(img.pixels.size()));
            !decoded) {
            return decoded.failure();
        }
        if (info.regionSize > 0) {
            Result<QByteArray> region = file.region(i);
            if (!region) {
                return region.failure();
            }
            img.region = std::move(*region);
        }
        c.images.append(img);
    }
    for (int i = 0; i < file.sounds().size(); ++i) {
        c.sounds.append({file.sound(i), file.sounds()[i].checksum});
    }
    return c;
}

}  // namespace agent::format

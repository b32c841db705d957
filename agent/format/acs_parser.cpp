// The header's locators lead to four blocks (character info, animation list, image list, sound list), and
// the lists' entries to the structures they describe. Each is read with its own bounded cursor, so no
// structure can read outside the block that holds it or outside the file. Sounds and images are listed before
// the animations are read, so that every frame's indices can be checked against their counts. Each block is
// fetched from the file as it is opened; the images' blocks and the sounds are not opened here at all.
#include "agent/format/acs_parser.h"

#include "agent/format/byte_reader.h"

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace agent::format {

namespace {

// What a block that should hold a structure holds instead, for the error that refuses it: a file whose
// header points at the wrong bytes is damaged, and the bytes tell how.
QString describeBlock(const QByteArray& file, std::uint32_t offset, std::uint32_t size) {
    const QByteArrayView block = QByteArrayView(file).sliced(offset, size);
    if (block.count('\0') == block.size()) {
        return QStringLiteral("its %1 bytes are all zero").arg(size);
    }
    std::array<int, 256> counts{};
    for (char c : block) {
        ++counts[std::uint8_t(c)];
    }
    double bits = 0;
    for (int n : counts) {
        if (n > 0) {
            const double share = double(n) / double(block.size());
            bits -= share * std::log2(share);
        }
    }
    const QString start =
        QString::fromLatin1(block.first(std::min<qsizetype>(8, block.size())).toByteArray().toHex(' '));
    // Structures are mostly small numbers and UTF-16 text, at 3 to 5 bits a byte; compressed pixels and
    // scrambled bytes are near 8.
    if (block.size() >= 256 && bits > 7.0) {
        return QStringLiteral(
                   "its %1 bytes, which begin %2, vary as compressed or scrambled data does "
                   "(%3 bits a byte), not as the structure does: the file is damaged")
            .arg(size)
            .arg(start)
            .arg(bits, 0, 'f', 1);
    }
    return QStringLiteral("its %1 bytes begin %2").arg(size).arg(start);
}

constexpr std::uint32_t kSignature = 0xABCDABC3;

struct Locator {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

struct BlockLocators {
    Locator character;
    Locator animations;
    Locator images;
    Locator sounds;
};

Locator readLocator(ByteReader& r) {
    Locator l;
    l.offset = r.u32();
    l.size = r.u32();
    return l;
}

bool locatorFits(const Locator& l, qsizetype fileSize) {
    return std::uint64_t(l.offset) + l.size <= std::uint64_t(fileSize);
}

class Parser {
public:
    Parser(FileBytes& bytes, const Limits& limits, ParsedCharacter& out)
        : bytes_(bytes), fileSize_(qsizetype(bytes.size())), limits_(limits), out_(out) {}

    Status run() {
        BlockLocators blocks;
        if (Status s = readHeader(&blocks); !s) {
            return s;
        }
        if (Status s = readCharacterInfo(blocks.character); !s) {
            return s;
        }
        if (Status s = readSounds(blocks.sounds); !s) {
            return s;
        }
        if (Status s = readImages(blocks.images); !s) {
            return s;
        }
        return readAnimations(blocks.animations);
    }

private:
    static Status check(const ByteReader& r) {
        if (r.ok()) [[likely]] {
            return {};
        }
        return fail(r.error());
    }
    // A cursor over a block whose locator has been checked to lie inside the file; a failed one when the
    // file does not give the block.
    ByteReader reader(const Locator& l, const ReadContext& context) const {
        ByteReader r(bytes_.bytes(), l.offset, std::uint64_t(l.offset) + l.size);
        r.setContext(context);
        if (Status fetched = bytes_.fetch(l.offset, l.size); !fetched) [[unlikely]] {
            r.fail(fetched.error());
        }
        return r;
    }
    QString string(ByteReader& r) { return r.string(limits_.maxStringChars); }

    Status readHeader(BlockLocators* blocks);
    Status readCharacterInfo(const Locator& loc);
    void readVoice(ByteReader& r);
    void readBalloon(ByteReader& r);
    void readPaletteAndTrayIcon(ByteReader& r);
    void readStates(ByteReader& r);
    Status readLocalized(const Locator& loc);
    Status readSounds(const Locator& loc);
    Status readImages(const Locator& loc);
    void readImage(ByteReader& list, std::uint32_t index);
    Status readAnimations(const Locator& loc);
    Status readAnimation(ByteReader& list, std::uint32_t index);
    void readFrame(ByteReader& a, Frame* frame);
    void readSingleImage(ByteReader& a, Frame* frame);
    void readOverlay(ByteReader& a, MouthOverlay* o);

    FileBytes& bytes_;
    const qsizetype fileSize_;
    const Limits& limits_;
    ParsedCharacter& out_;
    std::uint64_t animationBytes_ = 0;
    std::vector<QList<FrameImage>> singleImages_;  // by image index, for readSingleImage()
};

Status Parser::readHeader(BlockLocators* blocks) {
    ByteReader header =
        reader({0, std::uint32_t(std::min<qsizetype>(fileSize_, 36))}, {.what = "file header"});
    const std::uint32_t signature = header.u32();
    if (Status s = check(header); !s) {
        return s;
    }
    if (signature != kSignature) {
        return fail(QStringLiteral("not a character file: it starts with 0x%1, not 0xABCDABC3")
                        .arg(signature, 8, 16, QLatin1Char('0')));
    }
    blocks->character = readLocator(header);
    blocks->animations = readLocator(header);
    blocks->images = readLocator(header);
    blocks->sounds = readLocator(header);
    if (Status s = check(header); !s) {
        return s;
    }
    const std::pair<const char*, Locator> named[] = {{"character info", blocks->character},
                                                     {"animation list", blocks->animations},
                                                     {"image list", blocks->images},
                                                     {"sound list", blocks->sounds}};
    for (const auto& [name, loc] : named) {
        if (!locatorFits(loc, fileSize_)) {
            return fail(
                QStringLiteral("file header: the %1 at offset %2 with size %3 lies past the end of the "
                               "%4-byte file")
                    .arg(QLatin1String(name))
                    .arg(loc.offset)
                    .arg(loc.size)
                    .arg(fileSize_));
        }
    }
    return {};
}

Status Parser::readCharacterInfo(const Locator& loc) {
    ByteReader r = reader(loc, {.what = "character info"});
    CharacterInfo& ci = out_.info;
    ci.minorVersion = r.u16();
    ci.majorVersion = r.u16();
    if (r.ok() && ci.majorVersion != 2) {
        return fail(QStringLiteral("character info at offset %1: format version %2.%3 is not 2.x: %4")
                        .arg(loc.offset)
                        .arg(ci.majorVersion)
                        .arg(ci.minorVersion)
                        .arg(describeBlock(bytes_.bytes(), loc.offset, loc.size)));
    }
    const Locator localizedLoc = readLocator(r);
    ci.guid = r.guid();
    ci.width = r.u16();
    ci.height = r.u16();
    ci.transparentIndex = r.u8();
    ci.flags = r.u32();
    ci.animationSetMajor = r.u16();
    ci.animationSetMinor = r.u16();
    checkCharacterSize(r, ci, limits_);
    if (ci.flags & flags::kVoiceOutput) {
        readVoice(r);
    }
    if (ci.flags & flags::kBalloonEnabled) {
        readBalloon(r);
    }
    readPaletteAndTrayIcon(r);
    readStates(r);
    if (Status s = check(r); !s) {
        return s;
    }
    return readLocalized(localizedLoc);
}

void Parser::readVoice(ByteReader& r) {
    r.setContext("voice info");
    VoiceInfo v;
    v.engine = r.guid();
    v.mode = r.guid();
    v.speed = r.u32();
    v.pitch = r.u16();
    v.hasExtra = r.u8() != 0;
    if (v.hasExtra) {
        v.language = r.u16();
        v.dialect = string(r);
        v.gender = r.u16();
        v.age = r.u16();
        v.style = string(r);
    }
    out_.info.voice = v;
}

void Parser::readBalloon(ByteReader& r) {
    r.setContext("balloon info");
    out_.info.balloon = readBalloonBlock(
        r, [](ByteReader& in, std::uint32_t maxChars) { return in.string(maxChars); },
        limits_.maxStringChars);
}

void Parser::readPaletteAndTrayIcon(ByteReader& r) {
    r.setContext("palette");
    QList<QRgb>& palette = out_.info.palette;
    const std::uint32_t paletteCount = r.count(r.u32(), 4, 256, "palette colour");
    palette.reserve(paletteCount);
    for (std::uint32_t i = 0; i < paletteCount && r.ok(); ++i) {
        palette.append(r.rgbQuad());
    }
    r.setContext("tray icon");
    if (r.u8() != 0) {
        TrayIcon icon;
        std::uint32_t size = r.u32();
        icon.monochrome = r.bytes(size);
        size = r.u32();
        icon.color = r.bytes(size);
        out_.info.trayIcon = icon;
    }
}

void Parser::readStates(ByteReader& r) {
    r.setContext("state list");
    QList<State>& states = out_.info.states;
    const std::uint32_t stateCount = r.count(r.u16(), 6, limits_.maxStates, "state");
    states.reserve(stateCount);
    for (std::uint32_t i = 0; i < stateCount && r.ok(); ++i) {
        r.setContext("state", i);
        State s;
        s.name = string(r);
        const std::uint32_t n = r.count(r.u16(), 4, limits_.maxAnimations, "state animation");
        s.animations.reserve(n);
        for (std::uint32_t k = 0; k < n && r.ok(); ++k) {
            s.animations.append(string(r));
        }
        states.append(std::move(s));
    }
}

Status Parser::readLocalized(const Locator& loc) {
    if (!locatorFits(loc, fileSize_)) {
        return fail(
            QStringLiteral("character info: the localized info at offset %1 with size %2 lies past the end "
                           "of the file")
                .arg(loc.offset)
                .arg(loc.size));
    }
    ByteReader r = reader(loc, {.what = "localized info"});
    QList<LocalizedInfo>& localized = out_.info.localized;
    const std::uint32_t count = r.count(r.u16(), 14, 65535, "localized info");
    localized.reserve(count);
    for (std::uint32_t i = 0; i < count && r.ok(); ++i) {
        r.setContext("localized info", i);
        LocalizedInfo l;
        l.language = r.u16();
        l.name = string(r);
        l.description = string(r);
        l.extra = string(r);
        localized.append(std::move(l));
    }
    return check(r);
}

Status Parser::readSounds(const Locator& loc) {
    ByteReader r = reader(loc, {.what = "sound list"});
    const std::uint32_t count = r.count(r.u32(), 12, limits_.maxSounds, "sound");
    out_.sounds.reserve(count);
    for (std::uint32_t i = 0; i < count && r.ok(); ++i) {
        SoundInfo s;
        s.offset = r.u32();
        s.size = r.u32();
        s.checksum = r.u32();
        if (r.ok() && !locatorFits({s.offset, s.size}, fileSize_)) {
            r.fail(QStringLiteral("sound %1 at offset %2 with size %3 lies past the end of the file")
                       .arg(i)
                       .arg(s.offset)
                       .arg(s.size));
        }
        out_.sounds.append(s);
    }
    return check(r);
}

// Only where each image lies is taken here; its header is read and its pixels decoded on first use.
Status Parser::readImages(const Locator& loc) {
    ByteReader r = reader(loc, {.what = "image list"});
    const std::uint32_t count = r.count(r.u32(), 12, limits_.maxImages, "image");
    out_.images.resize(count);
    out_.imageBlocks.resize(count);
    for (std::uint32_t i = 0; i < count && r.ok(); ++i) {
        readImage(r, i);
    }
    return check(r);
}

void Parser::readImage(ByteReader& list, std::uint32_t index) {
    const Locator loc = readLocator(list);
    out_.images[index].checksum = list.u32();
    if (list.ok() && !locatorFits(loc, fileSize_)) {
        list.fail(QStringLiteral("image %1 at offset %2 with size %3 lies past the end of the file")
                      .arg(index)
                      .arg(loc.offset)
                      .arg(loc.size));
    }
    out_.imageBlocks[index] = {loc.offset, loc.size};
}

Status Parser::readAnimations(const Locator& loc) {
    ByteReader r = reader(loc, {.what = "animation list"});
    const std::uint32_t count = r.count(r.u32(), 12, limits_.maxAnimations, "animation");
    out_.animations.reserve(count);
    for (std::uint32_t i = 0; i < count && r.ok(); ++i) {
        if (Status s = readAnimation(r, i); !s) {
            return s;
        }
    }
    return check(r);
}

// False only for an error in the animation's own block; one in the list entry is left in `list`.
Status Parser::readAnimation(ByteReader& list, std::uint32_t index) {
    list.setContext("animation list entry", index);
    Animation anim;
    anim.name = string(list);
    const Locator loc = readLocator(list);
    if (!list.ok()) {
        return {};
    }
    if (!locatorFits(loc, fileSize_)) {
        list.fail(QStringLiteral("animation '%1' at offset %2 with size %3 lies past the end of the file")
                      .arg(anim.name)
                      .arg(loc.offset)
                      .arg(loc.size));
        return {};
    }
    ByteReader a = reader(loc, {.what = "animation", .name = &anim.name});
    a.skipString(limits_.maxStringChars);  // the same name in capitals
    anim.transition = a.u8();
    anim.returnAnimation = string(a);
    const std::uint32_t frameCount = a.count(a.u16(), 10, limits_.maxFrames, "frame");
    anim.frames = QList<Frame>(qsizetype(frameCount));
    Frame* frames = anim.frames.data();
    for (std::uint32_t f = 0; f < frameCount && a.ok(); ++f) {
        a.setContext({.what = "animation", .name = &anim.name, .part = "frame", .partIndex = f});
        readFrame(a, &frames[f]);
    }
    // Entries may point at one block many times; count what is read, so that the parsed structures stay
    // within a small multiple of the file's size.
    animationBytes_ += a.pos() - loc.offset;
    if (a.ok() && animationBytes_ > std::uint64_t(fileSize_)) {
        a.fail(QStringLiteral("the animations read so far take %1 bytes, more than the whole file; entries "
                              "share their data")
                   .arg(animationBytes_));
    }
    if (Status s = check(a); !s) {
        return s;
    }
    out_.animations.append(std::move(anim));
    return {};
}

// The lists are made at their checked sizes and filled in place: a genuine file has thousands of frames,
// and growing each list entry by entry was a good part of the time a file took to open.
void Parser::readFrame(ByteReader& a, Frame* frame) {
    const auto imageCount = std::uint32_t(out_.images.size());
    const std::uint32_t n = a.count(a.u16(), 8, 65535, "frame image");
    if (n == 1) {
        readSingleImage(a, frame);
    } else {
        frame->images = QList<FrameImage>(qsizetype(n));
        FrameImage* images = frame->images.data();
        for (std::uint32_t k = 0; k < n && a.ok(); ++k) {
            FrameImage& fi = images[k];
            fi.image = a.u32();
            fi.x = a.s16();
            fi.y = a.s16();
            if (a.ok() && fi.image >= imageCount) {
                a.fail(QStringLiteral("image index %1 is past the %2 images").arg(fi.image).arg(imageCount));
            }
        }
    }
    frame->sound = a.u16();
    frame->duration = a.u16();
    frame->exitFrame = a.s16();
    const std::uint32_t branchCount = a.count(a.u8(), 4, 255, "branch");
    if (branchCount != 0) {
        frame->branches = QList<Branch>(qsizetype(branchCount));
        Branch* branches = frame->branches.data();
        for (std::uint32_t k = 0; k < branchCount && a.ok(); ++k) {
            branches[k].frame = a.u16();
            branches[k].probability = a.u16();
        }
    }
    const std::uint32_t overlayCount = a.count(a.u8(), 14, 255, "mouth overlay");
    if (overlayCount != 0) {
        frame->overlays = QList<MouthOverlay>(qsizetype(overlayCount));
        MouthOverlay* overlays = frame->overlays.data();
        for (std::uint32_t k = 0; k < overlayCount && a.ok(); ++k) {
            readOverlay(a, &overlays[k]);
        }
    }
}

// Most frames show one image, and about half of those show it where an earlier frame showed it: such frames
// share that frame's list (Qt's lists are shared until written) rather than each allocating its own. The
// last list made for each image is kept.
void Parser::readSingleImage(ByteReader& a, Frame* frame) {
    FrameImage fi;
    fi.image = a.u32();
    fi.x = a.s16();
    fi.y = a.s16();
    if (!a.ok()) {
        return;
    }
    const auto imageCount = std::uint32_t(out_.images.size());
    if (fi.image >= imageCount) {
        a.fail(QStringLiteral("image index %1 is past the %2 images").arg(fi.image).arg(imageCount));
        return;
    }
    if (singleImages_.empty()) {
        singleImages_.resize(imageCount);
    }
    QList<FrameImage>& last = singleImages_[fi.image];
    if (last.isEmpty() || last.constFirst() != fi) {
        last = QList<FrameImage>(1, fi);
    }
    frame->images = last;
}

void Parser::readOverlay(ByteReader& a, MouthOverlay* o) {
    o->shape = a.u8();
    o->replacesTopImage = a.u8() != 0;
    o->image = a.u16();
    o->unknown = a.u8();
    const bool hasRegion = a.u8() != 0;
    o->x = a.s16();
    o->y = a.s16();
    o->width = a.u16();
    o->height = a.u16();
    if (hasRegion) {
        const std::uint32_t size = a.u32();
        if (size > limits_.maxRegionSize) {
            a.fail(QStringLiteral("overlay region of %1 bytes is over the limit").arg(size));
        }
        o->region = a.bytes(size);
    }
    if (a.ok() && o->image >= out_.images.size()) {
        a.fail(QStringLiteral("overlay image index %1 is past the %2 images")
                   .arg(o->image)
                   .arg(out_.images.size()));
    }
}

}  // namespace

BalloonInfo readBalloonBlock(ByteReader& r, StringReader string, std::uint32_t maxChars) {
    BalloonInfo b;
    b.lines = r.u8();
    b.charsPerLine = r.u8();
    b.foreground = r.colorRef();
    b.background = r.colorRef();
    b.border = r.colorRef();
    b.fontName = string(r, maxChars);
    b.fontHeight = r.s32();
    b.fontWeight = r.s32();
    b.italic = r.u8() != 0;
    b.extraFlag = r.u8();
    return b;
}

void checkCharacterSize(ByteReader& r, const CharacterInfo& ci, const Limits& limits) {
    if (r.ok() && (ci.width == 0 || ci.height == 0 || ci.width > limits.maxImageSide ||
                   ci.height > limits.maxImageSide)) {
        r.fail(QStringLiteral("character size %1x%2 is outside 1..%3")
                   .arg(ci.width)
                   .arg(ci.height)
                   .arg(limits.maxImageSide));
    }
}

Result<ImageInfo> readImageHeader(const QByteArray& data, const ImageBlock& block, std::uint32_t index,
                                  std::uint32_t checksum, const Limits& limits) {
    ByteReader h(data, block.offset, std::uint64_t(block.offset) + block.size);
    h.setContext({.what = "image", .index = index});
    ImageInfo img;
    img.checksum = checksum;
    img.unknown = h.u8();
    img.width = h.u16();
    img.height = h.u16();
    img.compressed = h.u8() != 0;
    img.dataSize = h.u32();
    img.dataOffset = std::uint32_t(h.pos());
    h.skip(img.dataSize);
    img.regionStoredSize = h.u32();
    img.regionSize = h.u32();
    img.regionOffset = std::uint32_t(h.pos());
    h.skip(img.regionStoredSize != 0 ? img.regionStoredSize : img.regionSize);
    // Only limits are checked here. Whether the stored data can fill the image is the decoder's to tell:
    // runs let a few bytes fill a large image.
    if (h.ok() && (img.width > limits.maxImageSide || img.height > limits.maxImageSide)) {
        h.fail(QStringLiteral("image size %1x%2 is over the limit of %3")
                   .arg(img.width)
                   .arg(img.height)
                   .arg(limits.maxImageSide));
    } else if (h.ok() && img.regionSize > limits.maxRegionSize) {
        h.fail(QStringLiteral("region of %1 bytes is over the limit").arg(img.regionSize));
    }
    if (!h.ok()) {
        return fail(h.error());
    }
    return img;
}

Result<ParsedCharacter> parseCharacterFile(FileBytes& bytes, const Limits& limits) {
    ParsedCharacter out;
    Parser parser(bytes, limits, out);
    if (Status s = parser.run(); !s) {
        return s.failure();
    }
    return out;
}

}  // namespace agent::format

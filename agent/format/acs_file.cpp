// Parsing of a character file. The header's locators lead to four blocks (character info, animation list,
// image list, sound list); each is read with its own bounded cursor, so no structure can read outside the
// block that holds it or outside the file.
#include "agent/format/acs_file.h"

#include "agent/format/byte_reader.h"
#include "agent/format/compound_file.h"
#include "agent/format/compression.h"

#include <QFile>

#include <cstring>
#include <memory>

namespace agent::format {

namespace {

constexpr std::uint32_t kSignature = 0xABCDABC3;
constexpr std::uint8_t kOleSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

struct Locator {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
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

// Windows RGBQUAD: blue, green, red, reserved.
QRgb readRgbQuad(ByteReader& r) {
    std::uint8_t b = r.u8();
    std::uint8_t g = r.u8();
    std::uint8_t red = r.u8();
    r.u8();
    return qRgb(red, g, b);
}

// Windows COLORREF: red, green, blue, reserved.
QRgb readColorRef(ByteReader& r) {
    std::uint8_t red = r.u8();
    std::uint8_t g = r.u8();
    std::uint8_t b = r.u8();
    r.u8();
    return qRgb(red, g, b);
}

QString key(QStringView name) {
    return name.toString().toCaseFolded();
}

}  // namespace

qint64 Animation::durationMs() const {
    qint64 total = 0;
    for (const Frame& f : frames) {
        total += qint64(f.duration) * 10;
    }
    return total;
}

QString Guid::toString() const {
    const auto& b = bytes;
    auto hex = [&](std::initializer_list<int> order) {
        QString out;
        for (int i : order) {
            out += QStringLiteral("%1").arg(b[std::size_t(i)], 2, 16, QLatin1Char('0'));
        }
        return out.toUpper();
    };
    return QStringLiteral("{%1-%2-%3-%4-%5}")
        .arg(hex({3, 2, 1, 0}), hex({5, 4}), hex({7, 6}), hex({8, 9}), hex({10, 11, 12, 13, 14, 15}));
}

bool AcsFile::fail(const QString& message) {
    error_ = message;
    loaded_ = false;
    return false;
}

bool AcsFile::load(const QString& path, const Limits& limits) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(QStringLiteral("cannot open %1: %2").arg(path, file.errorString()));
    }
    if (std::uint64_t(file.size()) > limits.maxFileSize) {
        return fail(QStringLiteral("%1 is %2 bytes, over the limit of %3")
                        .arg(path)
                        .arg(file.size())
                        .arg(limits.maxFileSize));
    }
    QByteArray bytes = file.readAll();
    if (bytes.size() != file.size()) {
        return fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    }
    return loadData(bytes, limits);
}

bool AcsFile::loadData(const QByteArray& data, const Limits& limits) {
    loaded_ = false;
    error_.clear();
    info_ = CharacterInfo();
    animations_.clear();
    images_.clear();
    sounds_.clear();
    animationByName_.clear();
    stateByName_.clear();
    imageCache_.clear();
    data_ = data;
    if (std::uint64_t(data_.size()) > limits.maxFileSize) {
        return fail(QStringLiteral("file of %1 bytes is over the limit of %2")
                        .arg(data_.size())
                        .arg(limits.maxFileSize));
    }
    if (CompoundFile::hasSignature(data_)) {
        return loadVersion15(limits);
    }
    if (!parse(limits)) {
        data_.clear();
        return false;
    }
    loaded_ = true;
    return true;
}

bool AcsFile::parse(const Limits& limits) {
    const qsizetype fileSize = data_.size();
    if (fileSize >= 8 && std::memcmp(data_.constData(), kOleSignature, 8) == 0) {
        return fail(QStringLiteral(
            "this is an older (version 1) character file held in an OLE compound document; only version 2 "
            "character files can be read"));
    }
    ByteReader header(data_, 0, std::uint64_t(fileSize));
    header.setContext(QStringLiteral("file header"));
    const std::uint32_t signature = header.u32();
    if (!header.ok()) {
        return fail(header.error());
    }
    if (signature != kSignature) {
        return fail(QStringLiteral("not a character file: it starts with 0x%1, not 0xABCDABC3")
                        .arg(signature, 8, 16, QLatin1Char('0')));
    }
    const Locator characterLoc = readLocator(header);
    const Locator animationLoc = readLocator(header);
    const Locator imageLoc = readLocator(header);
    const Locator soundLoc = readLocator(header);
    if (!header.ok()) {
        return fail(header.error());
    }
    const std::pair<const char*, Locator> blocks[] = {{"character info", characterLoc},
                                                      {"animation list", animationLoc},
                                                      {"image list", imageLoc},
                                                      {"sound list", soundLoc}};
    for (const auto& [name, loc] : blocks) {
        if (!locatorFits(loc, fileSize)) {
            return fail(
                QStringLiteral("file header: the %1 at offset %2 with size %3 lies past the end of the "
                               "%4-byte file")
                    .arg(QLatin1String(name))
                    .arg(loc.offset)
                    .arg(loc.size)
                    .arg(fileSize));
        }
    }

    // Character info.
    ByteReader r(data_, characterLoc.offset, std::uint64_t(characterLoc.offset) + characterLoc.size);
    r.setContext(QStringLiteral("character info"));
    CharacterInfo& ci = info_;
    ci.minorVersion = r.u16();
    ci.majorVersion = r.u16();
    const Locator localizedLoc = readLocator(r);
    ci.guid = r.guid();
    ci.width = r.u16();
    ci.height = r.u16();
    ci.transparentIndex = r.u8();
    ci.flags = r.u32();
    ci.animationSetMajor = r.u16();
    ci.animationSetMinor = r.u16();
    if (r.ok() && ci.majorVersion != 2) {
        r.fail(QStringLiteral("format version %1.%2 is not 2.x").arg(ci.majorVersion).arg(ci.minorVersion));
    }
    if (r.ok() && (ci.width == 0 || ci.height == 0 || ci.width > limits.maxImageSide ||
                   ci.height > limits.maxImageSide)) {
        r.fail(QStringLiteral("character size %1x%2 is outside 1..%3")
                   .arg(ci.width)
                   .arg(ci.height)
                   .arg(limits.maxImageSide));
    }
    if (ci.flags & flags::kVoiceOutput) {
        r.setContext(QStringLiteral("voice info"));
        VoiceInfo v;
        v.engine = r.guid();
        v.mode = r.guid();
        v.speed = r.u32();
        v.pitch = r.u16();
        v.hasExtra = r.u8() != 0;
        if (v.hasExtra) {
            v.language = r.u16();
            v.dialect = r.string(limits.maxStringChars);
            v.gender = r.u16();
            v.age = r.u16();
            v.style = r.string(limits.maxStringChars);
        }
        ci.voice = v;
    }
    if (ci.flags & flags::kBalloonEnabled) {
        r.setContext(QStringLiteral("balloon info"));
        BalloonInfo b;
        b.lines = r.u8();
        b.charsPerLine = r.u8();
        b.foreground = readColorRef(r);
        b.background = readColorRef(r);
        b.border = readColorRef(r);
        b.fontName = r.string(limits.maxStringChars);
        b.fontHeight = r.s32();
        b.fontWeight = r.s32();
        b.italic = r.u8() != 0;
        b.extraFlag = r.u8();
        ci.balloon = b;
    }
    r.setContext(QStringLiteral("palette"));
    const std::uint32_t paletteCount = r.count(r.u32(), 4, 256, "palette colour");
    ci.palette.reserve(paletteCount);
    for (std::uint32_t i = 0; i < paletteCount && r.ok(); ++i) {
        ci.palette.append(readRgbQuad(r));
    }
    r.setContext(QStringLiteral("tray icon"));
    if (r.u8() != 0) {
        TrayIcon icon;
        std::uint32_t size = r.u32();
        icon.monochrome = r.bytes(size);
        size = r.u32();
        icon.color = r.bytes(size);
        ci.trayIcon = icon;
    }
    r.setContext(QStringLiteral("state list"));
    const std::uint32_t stateCount = r.count(r.u16(), 6, limits.maxStates, "state");
    ci.states.reserve(stateCount);
    for (std::uint32_t i = 0; i < stateCount && r.ok(); ++i) {
        r.setContext(QStringLiteral("state %1").arg(i));
        State s;
        s.name = r.string(limits.maxStringChars);
        const std::uint32_t n = r.count(r.u16(), 4, limits.maxAnimations, "state animation");
        for (std::uint32_t k = 0; k < n && r.ok(); ++k) {
            s.animations.append(r.string(limits.maxStringChars));
        }
        ci.states.append(s);
    }
    if (!r.ok()) {
        return fail(r.error());
    }

    // Localized names and descriptions.
    if (!locatorFits(localizedLoc, fileSize)) {
        return fail(
            QStringLiteral("character info: the localized info at offset %1 with size %2 lies past the end "
                           "of the file")
                .arg(localizedLoc.offset)
                .arg(localizedLoc.size));
    }
    ByteReader lr(data_, localizedLoc.offset, std::uint64_t(localizedLoc.offset) + localizedLoc.size);
    lr.setContext(QStringLiteral("localized info"));
    const std::uint32_t localizedCount = lr.count(lr.u16(), 14, 65535, "localized info");
    ci.localized.reserve(localizedCount);
    for (std::uint32_t i = 0; i < localizedCount && lr.ok(); ++i) {
        lr.setContext(QStringLiteral("localized info %1").arg(i));
        LocalizedInfo l;
        l.language = lr.u16();
        l.name = lr.string(limits.maxStringChars);
        l.description = lr.string(limits.maxStringChars);
        l.extra = lr.string(limits.maxStringChars);
        ci.localized.append(l);
    }
    if (!lr.ok()) {
        return fail(lr.error());
    }

    // Sounds first, so that frames can be checked against their count.
    ByteReader sr(data_, soundLoc.offset, std::uint64_t(soundLoc.offset) + soundLoc.size);
    sr.setContext(QStringLiteral("sound list"));
    const std::uint32_t soundCount = sr.count(sr.u32(), 12, limits.maxSounds, "sound");
    sounds_.reserve(soundCount);
    for (std::uint32_t i = 0; i < soundCount && sr.ok(); ++i) {
        SoundInfo s;
        s.offset = sr.u32();
        s.size = sr.u32();
        s.checksum = sr.u32();
        if (sr.ok() && !locatorFits({s.offset, s.size}, fileSize)) {
            sr.fail(QStringLiteral("sound %1 at offset %2 with size %3 lies past the end of the file")
                        .arg(i)
                        .arg(s.offset)
                        .arg(s.size));
        }
        sounds_.append(s);
    }
    if (!sr.ok()) {
        return fail(sr.error());
    }

    // Images: their headers now, their pixels on first use.
    ByteReader ir(data_, imageLoc.offset, std::uint64_t(imageLoc.offset) + imageLoc.size);
    ir.setContext(QStringLiteral("image list"));
    const std::uint32_t imageCount = ir.count(ir.u32(), 12, limits.maxImages, "image");
    images_.reserve(imageCount);
    for (std::uint32_t i = 0; i < imageCount && ir.ok(); ++i) {
        const Locator loc = readLocator(ir);
        ImageInfo img;
        img.checksum = ir.u32();
        if (!ir.ok()) {
            break;
        }
        if (!locatorFits(loc, fileSize)) {
            ir.fail(QStringLiteral("image %1 at offset %2 with size %3 lies past the end of the file")
                        .arg(i)
                        .arg(loc.offset)
                        .arg(loc.size));
            break;
        }
        ByteReader h(data_, loc.offset, std::uint64_t(loc.offset) + loc.size);
        h.setContext(QStringLiteral("image %1").arg(i));
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
        if (h.ok()) {
            const std::uint64_t pixels = std::uint64_t(rowStride(img.width)) * img.height;
            if (img.width > limits.maxImageSide || img.height > limits.maxImageSide) {
                h.fail(QStringLiteral("image size %1x%2 is over the limit of %3")
                           .arg(img.width)
                           .arg(img.height)
                           .arg(limits.maxImageSide));
            } else if (!img.compressed && img.dataSize < pixels) {
                h.fail(
                    QStringLiteral("plain image data of %1 bytes is short of the %2 bytes of a %3x%4 image")
                        .arg(img.dataSize)
                        .arg(pixels)
                        .arg(img.width)
                        .arg(img.height));
            } else if (img.compressed && pixels > std::uint64_t(img.dataSize) * kMaxExpansion) {
                h.fail(QStringLiteral("%1 bytes of compressed data cannot hold a %2x%3 image")
                           .arg(img.dataSize)
                           .arg(img.width)
                           .arg(img.height));
            } else if (img.regionSize > limits.maxRegionSize ||
                       (img.regionStoredSize != 0 &&
                        std::uint64_t(img.regionSize) >
                            std::uint64_t(img.regionStoredSize) * kMaxExpansion)) {
                h.fail(QStringLiteral("region of %1 bytes is over the limit").arg(img.regionSize));
            }
        }
        if (!h.ok()) {
            return fail(h.error());
        }
        images_.append(img);
    }
    if (!ir.ok()) {
        return fail(ir.error());
    }

    // Animations.
    ByteReader ar(data_, animationLoc.offset, std::uint64_t(animationLoc.offset) + animationLoc.size);
    ar.setContext(QStringLiteral("animation list"));
    const std::uint32_t animationCount = ar.count(ar.u32(), 12, limits.maxAnimations, "animation");
    animations_.reserve(animationCount);
    std::uint64_t animationBytes = 0;
    for (std::uint32_t i = 0; i < animationCount && ar.ok(); ++i) {
        ar.setContext(QStringLiteral("animation list entry %1").arg(i));
        Animation anim;
        anim.name = ar.string(limits.maxStringChars);
        const Locator loc = readLocator(ar);
        if (!ar.ok()) {
            break;
        }
        if (!locatorFits(loc, fileSize)) {
            ar.fail(QStringLiteral("animation '%1' at offset %2 with size %3 lies past the end of the file")
                        .arg(anim.name)
                        .arg(loc.offset)
                        .arg(loc.size));
            break;
        }
        ByteReader a(data_, loc.offset, std::uint64_t(loc.offset) + loc.size);
        a.setContext(QStringLiteral("animation '%1'").arg(anim.name));
        a.string(limits.maxStringChars);  // the same name in capitals
        anim.transition = a.u8();
        anim.returnAnimation = a.string(limits.maxStringChars);
        const std::uint32_t frameCount = a.count(a.u16(), 10, limits.maxFrames, "frame");
        anim.frames.reserve(frameCount);
        for (std::uint32_t f = 0; f < frameCount && a.ok(); ++f) {
            a.setContext(QStringLiteral("animation '%1' frame %2").arg(anim.name).arg(f));
            Frame frame;
            const std::uint32_t n = a.count(a.u16(), 8, 65535, "frame image");
            frame.images.reserve(n);
            for (std::uint32_t k = 0; k < n && a.ok(); ++k) {
                FrameImage fi;
                fi.image = a.u32();
                fi.x = a.s16();
                fi.y = a.s16();
                if (a.ok() && fi.image >= std::uint32_t(images_.size())) {
                    a.fail(QStringLiteral("image index %1 is past the %2 images")
                               .arg(fi.image)
                               .arg(images_.size()));
                }
                frame.images.append(fi);
            }
            frame.sound = a.u16();
            frame.duration = a.u16();
            frame.exitFrame = a.s16();
            const std::uint32_t branchCount = a.count(a.u8(), 4, 255, "branch");
            for (std::uint32_t k = 0; k < branchCount && a.ok(); ++k) {
                Branch b;
                b.frame = a.u16();
                b.probability = a.u16();
                frame.branches.append(b);
            }
            const std::uint32_t overlayCount = a.count(a.u8(), 14, 255, "mouth overlay");
            for (std::uint32_t k = 0; k < overlayCount && a.ok(); ++k) {
                MouthOverlay o;
                o.shape = a.u8();
                o.replacesTopImage = a.u8() != 0;
                o.image = a.u16();
                o.unknown = a.u8();
                const bool hasRegion = a.u8() != 0;
                o.x = a.s16();
                o.y = a.s16();
                o.width = a.u16();
                o.height = a.u16();
                if (hasRegion) {
                    const std::uint32_t size = a.u32();
                    if (size > limits.maxRegionSize) {
                        a.fail(QStringLiteral("overlay region of %1 bytes is over the limit").arg(size));
                    }
                    o.region = a.bytes(size);
                }
                if (a.ok() && o.image >= images_.size()) {
                    a.fail(QStringLiteral("overlay image index %1 is past the %2 images")
                               .arg(o.image)
                               .arg(images_.size()));
                }
                frame.overlays.append(o);
            }
            anim.frames.append(frame);
        }
        // Entries may point at one block many times; count what is read, so that the parsed structures
        // stay within a small multiple of the file's size.
        animationBytes += a.pos() - loc.offset;
        if (a.ok() && animationBytes > std::uint64_t(fileSize)) {
            a.fail(
                QStringLiteral("the animations read so far take %1 bytes, more than the whole file; entries "
                               "share their data")
                    .arg(animationBytes));
        }
        if (!a.ok()) {
            return fail(a.error());
        }
        animationByName_.insert(key(anim.name), int(animations_.size()));
        animations_.append(anim);
    }
    if (!ar.ok()) {
        return fail(ar.error());
    }
    for (int i = 0; i < ci.states.size(); ++i) {
        stateByName_.insert(key(ci.states[i].name), i);
    }
    colorTable_ = ci.palette;
    colorTable_.resize(256, qRgb(0, 0, 0));
    return true;
}

int AcsFile::animationIndex(QStringView name) const {
    return animationByName_.value(key(name), -1);
}

const Animation* AcsFile::animation(QStringView name) const {
    int i = animationIndex(name);
    return i < 0 ? nullptr : &animations_[i];
}

const State* AcsFile::state(QStringView name) const {
    int i = stateByName_.value(key(name), -1);
    return i < 0 ? nullptr : &info_.states[i];
}

const LocalizedInfo* AcsFile::localized(std::uint16_t language) const {
    const LocalizedInfo* english = nullptr;
    for (const LocalizedInfo& l : info_.localized) {
        if (l.language == language) {
            return &l;
        }
        if (l.language == 0x0409 && english == nullptr) {
            english = &l;
        }
    }
    if (english != nullptr) {
        return english;
    }
    return info_.localized.isEmpty() ? nullptr : &info_.localized.first();
}

bool AcsFile::decodeIndices(int index, std::uint8_t* out, std::size_t outSize, QString* error) const {
    auto report = [&](const QString& message) {
        if (error != nullptr) {
            *error = QStringLiteral("image %1: %2").arg(index).arg(message);
        }
        return false;
    };
    if (index < 0 || index >= images_.size()) {
        return report(QStringLiteral("no such image"));
    }
    const ImageInfo& img = images_[index];
    const std::size_t size = std::size_t(rowStride(img.width)) * img.height;
    if (outSize < size) {
        return report(QStringLiteral("buffer too small"));
    }
    const auto* src = reinterpret_cast<const std::uint8_t*>(data_.constData()) + img.dataOffset;
    if (!img.compressed) {
        std::memcpy(out, src, size);
        return true;
    }
    DecompressResult result = decompress(src, img.dataSize, out, size);
    if (!result.ok) {
        return report(QStringLiteral("%1 (data at offset %2)").arg(result.error).arg(img.dataOffset));
    }
    return true;
}

QImage AcsFile::image(int index, QString* error) const {
    if (const QImage* cached = imageCache_.object(index)) {
        return *cached;
    }
    if (index < 0 || index >= images_.size()) {
        if (error != nullptr) {
            *error = QStringLiteral("image %1: no such image").arg(index);
        }
        return {};
    }
    const ImageInfo& img = images_[index];
    if (img.width == 0 || img.height == 0) {
        QImage empty(img.width, img.height, QImage::Format_Indexed8);
        return empty;
    }
    QImage out(img.width, img.height, QImage::Format_Indexed8);
    if (out.isNull()) {
        if (error != nullptr) {
            *error = QStringLiteral("image %1: out of memory").arg(index);
        }
        return {};
    }
    // QImage rows are 4-byte aligned like the stored rows, so the pixels decode straight into it and only
    // the row order needs turning over.
    const qsizetype stride = out.bytesPerLine();
    if (!decodeIndices(index, out.bits(), std::size_t(out.sizeInBytes()), error)) {
        return {};
    }
    std::unique_ptr<std::uint8_t[]> row(new std::uint8_t[std::size_t(stride)]);
    for (int top = 0, bottom = img.height - 1; top < bottom; ++top, --bottom) {
        std::memcpy(row.get(), out.scanLine(top), std::size_t(stride));
        std::memcpy(out.scanLine(top), out.scanLine(bottom), std::size_t(stride));
        std::memcpy(out.scanLine(bottom), row.get(), std::size_t(stride));
    }
    out.setColorTable(colorTable_);
    imageCache_.insert(index, new QImage(out), int(std::max<qsizetype>(1, out.sizeInBytes() / 1024)));
    return out;
}

QByteArray AcsFile::region(int index, QString* error) const {
    if (index < 0 || index >= images_.size()) {
        if (error != nullptr) {
            *error = QStringLiteral("image %1: no such image").arg(index);
        }
        return {};
    }
    const ImageInfo& img = images_[index];
    const char* src = data_.constData() + img.regionOffset;
    if (img.regionStoredSize == 0) {
        return QByteArray(src, img.regionSize);
    }
    QByteArray out(img.regionSize, Qt::Uninitialized);
    DecompressResult result =
        decompress(reinterpret_cast<const std::uint8_t*>(src), img.regionStoredSize,
                   reinterpret_cast<std::uint8_t*>(out.data()), std::size_t(out.size()));
    if (!result.ok) {
        if (error != nullptr) {
            *error = QStringLiteral("image %1 region: %2 (data at offset %3)")
                         .arg(index)
                         .arg(result.error)
                         .arg(img.regionOffset);
        }
        return {};
    }
    return out;
}

QByteArray AcsFile::sound(int index) const {
    if (index < 0 || index >= sounds_.size()) {
        return {};
    }
    return data_.mid(sounds_[index].offset, sounds_[index].size);
}

}  // namespace agent::format

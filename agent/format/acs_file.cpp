// A loaded character file: what its reader found, kept only when all its structures read, with lookups by
// name and the images read and decoded on demand.
#include "agent/format/acs_file.h"

#include "agent/format/acs15_reader.h"
#include "agent/format/acs_parser.h"
#include "agent/format/compound_file.h"
#include "agent/format/compression.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace agent::format {

namespace {

// Names are nearly always ASCII, whose case folding is lowering A-Z; that is done here in one pass, as
// Qt's full folding cost more than the rest of the work of indexing a file's names.
QString key(QStringView name) {
    QString out(name.size(), Qt::Uninitialized);
    char16_t* to = reinterpret_cast<char16_t*>(out.data());
    for (QChar c : name) {
        const char16_t u = c.unicode();
        if (u >= 0x80) {
            return name.toString().toCaseFolded();
        }
        *to++ = (u >= u'A' && u <= u'Z') ? char16_t(u + (u'a' - u'A')) : u;
    }
    return out;
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

void AcsFile::clear() {
    bytes_ = FileBytes();
    loaded_ = false;
    fileSize_ = 0;
    leftOut_.clear();
    generation_ = 0;
    info_ = CharacterInfo();
    animations_.clear();
    images_.clear();
    imageBlocks_.clear();
    headerRead_.clear();
    sounds_.clear();
    animationByName_.clear();
    stateByName_.clear();
    colorTable_.clear();
    imageCache_.clear();
}

// Whatever was read before the error goes too: an image's offsets into data that is gone must not stay
// reachable through the accessors.
Failure AcsFile::fail(const QString& message) {
    clear();
    return agent::fail(message);
}

Status AcsFile::load(const QString& path, const Limits& limits) {
    clear();
    Result<FileBytes> opened = FileBytes::open(path, limits.maxFileSize);
    if (!opened) {
        return fail(opened.error());
    }
    return adopt(std::move(*opened), limits);
}

Status AcsFile::loadData(const QByteArray& bytes, const Limits& limits) {
    clear();
    if (std::uint64_t(bytes.size()) > limits.maxFileSize) {
        return fail(QStringLiteral("file of %1 bytes is over the limit of %2")
                        .arg(bytes.size())
                        .arg(limits.maxFileSize));
    }
    return adopt(FileBytes(bytes), limits);
}

Status AcsFile::adopt(FileBytes bytes, const Limits& limits) {
    // Version 1.5 characters are OLE compound documents, read whole; version 2 ones start with their own
    // signature.
    if (Status head = bytes.fetch(0, std::min<std::uint64_t>(bytes.size(), 8)); !head) {
        return fail(head.error());
    }
    // A version 1.5 reader gives the images and sounds in bytes of its own, taken from the file's streams.
    const bool ownBytes = CompoundFile::hasSignature(bytes.bytes());
    if (Status all = ownBytes ? bytes.fetchAll() : Status(); !all) {
        return fail(all.error());
    }
    Result<ParsedCharacter> result =
        ownBytes ? readAcs15(bytes.bytes(), limits) : parseCharacterFile(bytes, limits);
    if (!result) {
        return fail(result.error());
    }
    ParsedCharacter& parsed = *result;
    fileSize_ = bytes.size();
    leftOut_ = std::move(parsed.warnings);
    bytes_ = ownBytes ? FileBytes(std::move(parsed.data)) : std::move(bytes);
    limits_ = limits;
    info_ = std::move(parsed.info);
    animations_ = std::move(parsed.animations);
    images_ = std::move(parsed.images);
    imageBlocks_ = std::move(parsed.imageBlocks);
    headerRead_.assign(imageBlocks_.size(), false);
    sounds_ = std::move(parsed.sounds);
    // Of two entries with one name, the later is the one found.
    animationByName_.reserve(animations_.size());
    stateByName_.reserve(info_.states.size());
    for (int i = 0; i < animations_.size(); ++i) {
        animationByName_.insert(key(animations_[i].name), i);
    }
    for (int i = 0; i < info_.states.size(); ++i) {
        stateByName_.insert(key(info_.states[i].name), i);
    }
    colorTable_ = info_.palette;
    colorTable_.resize(256, qRgb(0, 0, 0));
    static std::atomic<std::uint64_t> loads{0};
    generation_ = ++loads;
    loaded_ = true;
    return {};
}

Result<ImageInfo> AcsFile::imageInfo(int index) const {
    if (index < 0 || index >= images_.size()) {
        return agent::fail(QStringLiteral("image %1: no such image").arg(index));
    }
    if (headerRead_.empty() || headerRead_[std::size_t(index)]) [[likely]] {
        return images_[index];
    }
    // A bad header is read again each time it is asked for, to give its reason; that costs less than
    // keeping the reasons of images that are seldom bad.
    const ImageBlock& block = imageBlocks_[std::size_t(index)];
    if (Status fetched = bytes_.fetch(block.offset, block.size); !fetched) {
        return agent::fail(QStringLiteral("image %1: %2").arg(index).arg(fetched.error()));
    }
    Result<ImageInfo> read =
        readImageHeader(bytes_.bytes(), block, std::uint32_t(index), images_[index].checksum, limits_);
    if (read) {
        images_[index] = *read;
        headerRead_[std::size_t(index)] = true;
    }
    return read;
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

Status AcsFile::decodeIndices(int index, std::uint8_t* out, std::size_t outSize) const {
    // Built only on failure: this runs for every image drawn.
    auto report = [index](const QString& message) {
        return agent::fail(QStringLiteral("image %1: %2").arg(index).arg(message));
    };
    const Result<ImageInfo> info = imageInfo(index);
    if (!info) {
        return info.failure();
    }
    const ImageInfo& img = *info;
    const std::size_t size = std::size_t(rowStride(img.width)) * img.height;
    if (outSize < size) {
        return report(QStringLiteral("buffer too small"));
    }
    if (size == 0) {
        return {};  // an image of no pixels; `out` may then be null, which the copies below must not see
    }
    const auto* src = reinterpret_cast<const std::uint8_t*>(bytes_.bytes().constData()) + img.dataOffset;
    if (!img.compressed) {
        if (img.dataSize < size) {
            return report(
                QStringLiteral("plain image data of %1 bytes is short of the %2 bytes of a %3x%4 image "
                               "(data at offset %5)")
                    .arg(img.dataSize)
                    .arg(size)
                    .arg(img.width)
                    .arg(img.height)
                    .arg(img.dataOffset));
        }
        std::memcpy(out, src, size);
        return {};
    }
    const Result<std::size_t> done = decompress(src, img.dataSize, out, size);
    if (!done) {
        return report(QStringLiteral("%1 (data at offset %2)").arg(done.error()).arg(img.dataOffset));
    }
    return {};
}

Result<QImage> AcsFile::image(int index) const {
    if (const QImage* cached = imageCache_.object(index)) {
        return *cached;
    }
    const Result<ImageInfo> info = imageInfo(index);
    if (!info) {
        return info.failure();
    }
    const ImageInfo& img = *info;
    if (img.width == 0 || img.height == 0) {
        return QImage(img.width, img.height, QImage::Format_Indexed8);
    }
    QImage out(img.width, img.height, QImage::Format_Indexed8);
    if (out.isNull()) {
        return agent::fail(QStringLiteral("image %1: out of memory").arg(index));
    }
    // QImage rows are 4-byte aligned like the stored rows, so the pixels decode straight into it and only
    // the row order needs turning over.
    const qsizetype stride = out.bytesPerLine();
    if (Status decoded = decodeIndices(index, out.bits(), std::size_t(out.sizeInBytes())); !decoded) {
        return decoded.failure();
    }
    // Rows are swapped through a small buffer on the stack, in pieces, as memcpy moves them many bytes at a
    // time where a swap loop goes byte by byte.
    uchar* bits = out.bits();
    uchar piece[512];
    for (int top = 0, bottom = img.height - 1; top < bottom; ++top, --bottom) {
        uchar* upper = bits + top * stride;
        uchar* lower = bits + bottom * stride;
        for (qsizetype done = 0; done < stride; done += qsizetype(sizeof piece)) {
            const auto n = std::size_t(std::min<qsizetype>(qsizetype(sizeof piece), stride - done));
            std::memcpy(piece, upper + done, n);
            std::memcpy(upper + done, lower + done, n);
            std::memcpy(lower + done, piece, n);
        }
    }
    out.setColorTable(colorTable_);
    imageCache_.insert(index, new QImage(out), int(std::max<qsizetype>(1, out.sizeInBytes() / 1024)));
    return out;
}

Result<QByteArray> AcsFile::region(int index) const {
    const Result<ImageInfo> info = imageInfo(index);
    if (!info) {
        return info.failure();
    }
    const ImageInfo& img = *info;
    const char* src = bytes_.bytes().constData() + img.regionOffset;
    if (img.regionStoredSize == 0) {
        return QByteArray(src, img.regionSize);
    }
    QByteArray out(img.regionSize, Qt::Uninitialized);
    const Result<std::size_t> done =
        decompress(reinterpret_cast<const std::uint8_t*>(src), img.regionStoredSize,
                   reinterpret_cast<std::uint8_t*>(out.data()), std::size_t(out.size()));
    if (!done) {
        return agent::fail(QStringLiteral("image %1 region: %2 (data at offset %3)")
                               .arg(index)
                               .arg(done.error())
                               .arg(img.regionOffset));
    }
    return out;
}

QByteArray AcsFile::sound(int index) const {
    if (index < 0 || index >= sounds_.size()) {
        return {};
    }
    const SoundInfo& s = sounds_[index];
    if (!bytes_.fetch(s.offset, s.size)) {
        return {};
    }
    return bytes_.bytes().mid(s.offset, s.size);
}

}  // namespace agent::format

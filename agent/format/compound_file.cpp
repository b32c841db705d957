// Compound document reading. Every chain is walked in full, with a mark per sector, before any stream buffer
// is allocated: a chain cannot visit a sector twice, so a stream can never be larger than the document, and a
// cycle or a stray sector number is an error rather than a loop or a read outside the bytes.
#include "agent/format/compound_file.h"

#include "agent/format/byte_reader.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>

namespace agent::format {

namespace {

constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::uint64_t kWholeChain = std::numeric_limits<std::uint64_t>::max();
constexpr int kHeaderFatEntries = 109;
constexpr std::uint32_t kEntrySize = 128;

enum EntryType : std::uint8_t { kUnused = 0, kStorage = 1, kStream = 2, kRoot = 5 };

struct RawEntry {
    QString name;
    std::uint8_t type = kUnused;
    std::uint32_t left = kNoStream;
    std::uint32_t right = kNoStream;
    std::uint32_t child = kNoStream;
    std::uint32_t start = kEndOfChain;
    std::uint64_t size = 0;
};

std::uint32_t u32At(const char* bytes, qsizetype at) {
    return qFromLittleEndian<std::uint32_t>(bytes + at);
}

QString markerName(std::uint32_t s) {
    switch (s) {
        case 0xFFFFFFFF:
            return QStringLiteral("the free-sector marker");
        case 0xFFFFFFFD:
            return QStringLiteral("the FAT-sector marker");
        case 0xFFFFFFFC:
            return QStringLiteral("the DIFAT-sector marker");
        default:
            return QStringLiteral("the reserved value 0x%1").arg(s, 8, 16, QLatin1Char('0'));
    }
}

std::uint64_t sectorsFor(std::uint64_t bytes, std::uint32_t sectorSize) {
    return bytes / sectorSize + (bytes % sectorSize != 0 ? 1 : 0);
}

}  // namespace

bool CompoundFile::hasSignature(const QByteArray& data) {
    return data.size() >= 8 && std::memcmp(data.constData(), kSignature, 8) == 0;
}

Failure CompoundFile::fail(const QString& message) {
    open_ = false;
    fat_.clear();
    miniFat_.clear();
    miniStreamSectors_.clear();
    streams_.clear();
    return agent::fail(QStringLiteral("OLE compound document: ") + message);
}

Result<std::vector<std::uint32_t>> CompoundFile::readChain(const std::vector<std::uint32_t>& table,
                                                           std::uint32_t start, std::uint64_t limit,
                                                           std::uint64_t wanted, const QString& what) const {
    std::vector<std::uint32_t> out;
    std::vector<bool> seen;
    std::uint32_t s = start;
    while (out.size() < wanted) {
        if (s == kEndOfChain) {
            if (wanted == kWholeChain) {
                return out;
            }
            return agent::fail(
                QStringLiteral("%1: the sector chain ends after %2 of the %3 sectors its size needs")
                    .arg(what)
                    .arg(out.size())
                    .arg(wanted));
        }
        const QString where = out.empty() ? QStringLiteral("starts at")
                                          : QStringLiteral("leads from sector %1 to").arg(out.back());
        if (s > kMaxRegularSector) {
            return agent::fail(QStringLiteral("%1: the sector chain %2 %3 instead of a sector number")
                                   .arg(what, where, markerName(s)));
        }
        if (s >= limit) {
            return agent::fail(
                QStringLiteral("%1: the sector chain %2 sector %3, past the %4 sectors there are")
                    .arg(what, where)
                    .arg(s)
                    .arg(limit));
        }
        if (seen.empty()) {
            seen.assign(std::size_t(limit), false);
        }
        if (seen[s]) {
            return agent::fail(QStringLiteral("%1: the sector chain %2 sector %3 a second time (a cycle)")
                                   .arg(what, where)
                                   .arg(s));
        }
        seen[s] = true;
        out.push_back(s);
        s = table[s];
    }
    return out;
}

Result<QByteArray> CompoundFile::readFullSectors(const std::vector<std::uint32_t>& sectors,
                                                 const QString& what) const {
    QByteArray out;
    out.reserve(qsizetype(sectors.size() * sectorSize_));
    for (std::uint32_t s : sectors) {
        const Result<const char*> sector = sectorAt(s, what);
        if (!sector) {
            return sector.failure();
        }
        out.append(*sector, qsizetype(sectorSize_));
    }
    return out;
}

Result<const char*> CompoundFile::sectorAt(std::uint32_t sector, const QString& what) const {
    const std::uint64_t offset = (std::uint64_t(sector) + 1) * sectorSize_;
    if (offset + sectorSize_ > std::uint64_t(data_.size())) {
        return agent::fail(
            QStringLiteral("%1: sector %2 at offset %3 runs past the end of the %4-byte document")
                .arg(what)
                .arg(sector)
                .arg(offset)
                .arg(data_.size()));
    }
    return data_.constData() + offset;
}

// What the header says beyond the sizes kept in the members.
struct CompoundFile::Header {
    std::uint16_t major = 0;
    std::uint32_t fatCount = 0;
    std::uint32_t directoryStart = 0;
    std::uint32_t miniFatStart = 0;
    std::uint32_t difatStart = 0;
};

// The directory's entries, and the sectors they came from, to say where in the document an entry lies.
struct CompoundFile::Directory {
    std::vector<std::uint32_t> sectors;
    std::vector<RawEntry> entries;

    std::uint64_t offsetOf(std::uint32_t entry, std::uint32_t sectorSize) const {
        const std::uint64_t byte = std::uint64_t(entry) * kEntrySize;
        return (std::uint64_t(sectors[byte / sectorSize]) + 1) * sectorSize + byte % sectorSize;
    }
};

Status CompoundFile::open(const QByteArray& data) {
    *this = CompoundFile();
    data_ = data;
    const Result<Header> header = readHeader();
    if (!header) {
        return header.failure();
    }
    if (const Status fat = readFat(*header); !fat) {
        return fat;
    }
    const Result<Directory> directory = readDirectory(*header);
    if (!directory) {
        return directory.failure();
    }
    if (const Status miniStream = readMiniStream(*header, *directory); !miniStream) {
        return miniStream;
    }
    if (const Status members = readMembers(*directory); !members) {
        return members;
    }
    open_ = true;
    return {};
}

Result<CompoundFile::Header> CompoundFile::readHeader() {
    const std::uint64_t size = std::uint64_t(data_.size());
    auto headerFail = [&](int offset, const QString& message) {
        return fail(QStringLiteral("header at offset %1: %2").arg(offset).arg(message));
    };
    if (size < 512) {
        return fail(
            QStringLiteral("header: the document is %1 bytes, shorter than its 512-byte header").arg(size));
    }
    if (!hasSignature(data_)) {
        return headerFail(0, QStringLiteral("the signature D0 CF 11 E0 A1 B1 1A E1 is missing"));
    }
    Header header;
    ByteReader h(data_, 24, 512);
    h.u16();  // minor version: any
    header.major = h.u16();
    const std::uint16_t byteOrder = h.u16();
    const std::uint16_t sectorShift = h.u16();
    const std::uint16_t miniShift = h.u16();
    h.skip(6);
    h.u32();  // directory sector count: 0 in version 3, and the chain says the same
    header.fatCount = h.u32();
    header.directoryStart = h.u32();
    h.u32();  // transaction signature
    const std::uint32_t cutoff = h.u32();
    header.miniFatStart = h.u32();
    h.u32();  // mini FAT sector count: the chain says the same
    header.difatStart = h.u32();
    h.u32();  // DIFAT sector count: the chain says the same
    const std::uint16_t major = header.major;
    if (major != 3 && major != 4) {
        return headerFail(26, QStringLiteral("major version %1 is neither 3 nor 4").arg(major));
    }
    if (byteOrder != 0xFFFE) {
        return headerFail(28, QStringLiteral("byte order mark 0x%1 is not 0xFFFE").arg(byteOrder, 4, 16));
    }
    if (sectorShift != (major == 3 ? 9 : 12)) {
        return headerFail(
            30, QStringLiteral("sector shift %1 does not fit version %2").arg(sectorShift).arg(major));
    }
    if (miniShift != 6) {
        return headerFail(32, QStringLiteral("mini sector shift %1 is not 6").arg(miniShift));
    }
    if (cutoff != 4096) {
        return headerFail(56, QStringLiteral("mini stream cutoff %1 is not 4096").arg(cutoff));
    }
    sectorSize_ = 1u << sectorShift;
    miniSectorSize_ = 1u << miniShift;
    miniCutoff_ = cutoff;
    if (size < sectorSize_) {
        return fail(QStringLiteral("header: the document is %1 bytes, shorter than its %2-byte header sector")
                        .arg(size)
                        .arg(sectorSize_));
    }
    // A last sector cut short still counts: streams that end inside it can be read.
    sectorCount_ = sectorsFor(size - sectorSize_, sectorSize_);
    if (header.fatCount > sectorCount_) {
        return headerFail(44, QStringLiteral("%1 FAT sectors are more than the %2 sectors of the document")
                                  .arg(header.fatCount)
                                  .arg(sectorCount_));
    }
    return header;
}

Status CompoundFile::readFat(const Header& header) {
    const std::uint32_t fatCount = header.fatCount;
    // The FAT's own sector numbers: the first 109 in the header, the rest in a chain of DIFAT sectors.
    std::vector<std::uint32_t> fatSectors;
    fatSectors.reserve(fatCount);
    for (int i = 0; i < kHeaderFatEntries && fatSectors.size() < fatCount; ++i) {
        fatSectors.push_back(u32At(data_.constData(), 76 + 4 * i));
    }
    const std::uint32_t perDifat = sectorSize_ / 4 - 1;
    std::vector<bool> difatSeen;
    std::uint32_t d = header.difatStart;
    while (fatSectors.size() < fatCount) {
        if (d > kMaxRegularSector || d >= sectorCount_) {
            return fail(QStringLiteral("DIFAT: the chain gives %1 of the %2 FAT sector numbers, then %3")
                            .arg(fatSectors.size())
                            .arg(fatCount)
                            .arg(d > kMaxRegularSector ? markerName(d)
                                                       : QStringLiteral("sector %1, past the end").arg(d)));
        }
        if (difatSeen.empty()) {
            difatSeen.assign(std::size_t(sectorCount_), false);
        }
        if (difatSeen[d]) {
            return fail(QStringLiteral("DIFAT: the chain comes to sector %1 a second time (a cycle)").arg(d));
        }
        difatSeen[d] = true;
        const Result<const char*> sector = sectorAt(d, QStringLiteral("DIFAT"));
        if (!sector) {
            return fail(sector.error());
        }
        for (std::uint32_t k = 0; k < perDifat && fatSectors.size() < fatCount; ++k) {
            fatSectors.push_back(u32At(*sector, qsizetype(4 * k)));
        }
        d = u32At(*sector, qsizetype(4 * perDifat));
    }
    // The FAT itself, from those sectors.
    fat_.reserve(std::size_t(fatCount) * (sectorSize_ / 4));
    for (std::size_t i = 0; i < fatSectors.size(); ++i) {
        const std::uint32_t s = fatSectors[i];
        if (s >= sectorCount_) {
            return fail(QStringLiteral("DIFAT entry %1: FAT sector %2 is past the %3 sectors of the document")
                            .arg(i)
                            .arg(s)
                            .arg(sectorCount_));
        }
        const Result<const char*> sector = sectorAt(s, QStringLiteral("FAT sector %1").arg(i));
        if (!sector) {
            return fail(sector.error());
        }
        for (std::uint32_t k = 0; k < sectorSize_ / 4; ++k) {
            fat_.push_back(u32At(*sector, qsizetype(4 * k)));
        }
    }
    return {};
}

std::uint64_t CompoundFile::regularLimit() const {
    return std::min<std::uint64_t>(sectorCount_, fat_.size());
}

Result<CompoundFile::Directory> CompoundFile::readDirectory(const Header& header) {
    // The directory: 128-byte entries in a chain of its own.
    Directory out;
    Result<std::vector<std::uint32_t>> directoryChain =
        readChain(fat_, header.directoryStart, regularLimit(), kWholeChain, QStringLiteral("directory"));
    if (!directoryChain) {
        return fail(directoryChain.error());
    }
    out.sectors = std::move(*directoryChain);
    const Result<QByteArray> directoryBytes = readFullSectors(out.sectors, QStringLiteral("directory"));
    if (!directoryBytes) {
        return fail(directoryBytes.error());
    }
    const QByteArray& directory = *directoryBytes;
    const std::uint32_t entryCount = std::uint32_t(directory.size() / kEntrySize);
    if (entryCount == 0) {
        return fail(QStringLiteral("directory: the chain holds no entries"));
    }
    out.entries.resize(entryCount);
    for (std::uint32_t i = 0; i < entryCount; ++i) {
        ByteReader r(directory, std::uint64_t(i) * kEntrySize, std::uint64_t(i + 1) * kEntrySize);
        RawEntry& e = out.entries[i];
        const qsizetype base = qsizetype(i) * kEntrySize;
        r.skip(64);
        const std::uint16_t nameBytes = r.u16();
        e.type = r.u8();
        r.u8();  // red or black: the tree's balance does not matter to a reader
        e.left = r.u32();
        e.right = r.u32();
        e.child = r.u32();
        r.skip(16 + 4 + 8 + 8);  // class id, state bits, creation and modification times
        e.start = r.u32();
        const std::uint32_t low = r.u32();
        const std::uint32_t high = r.u32();
        // Version 3 writers left the high half undefined.
        e.size = header.major == 3 ? low : (std::uint64_t(high) << 32 | low);
        if (e.type == kUnused) {
            continue;
        }
        if (nameBytes > 64 || nameBytes % 2 != 0) {
            return fail(
                QStringLiteral("directory entry %1 at offset %2: name length %3 is not an even number of "
                               "bytes up to 64")
                    .arg(i)
                    .arg(out.offsetOf(i, sectorSize_))
                    .arg(nameBytes));
        }
        const int chars = nameBytes >= 2 ? nameBytes / 2 - 1 : 0;
        e.name.resize(chars);
        for (int c = 0; c < chars; ++c) {
            e.name[c] = QChar(qFromLittleEndian<char16_t>(directory.constData() + base + 2 * c));
        }
        if (e.type != kStorage && e.type != kStream && e.type != kRoot) {
            return fail(QStringLiteral("directory entry %1 at offset %2: object type %3 is not known")
                            .arg(i)
                            .arg(out.offsetOf(i, sectorSize_) + 66)
                            .arg(e.type));
        }
    }
    const RawEntry& root = out.entries[0];
    if (root.type != kRoot) {
        return fail(QStringLiteral("directory entry 0 at offset %1: type %2 is not the root storage")
                        .arg(out.offsetOf(0, sectorSize_) + 66)
                        .arg(root.type));
    }
    return out;
}

Status CompoundFile::readMiniStream(const Header& header, const Directory& directory) {
    // The mini stream lives in the root entry's chain; the mini FAT tells its 64-byte sectors apart.
    const RawEntry& root = directory.entries[0];
    if (root.size > 0) {
        Result<std::vector<std::uint32_t>> chain =
            readChain(fat_, root.start, regularLimit(), sectorsFor(root.size, sectorSize_),
                      QStringLiteral("mini stream"));
        if (!chain) {
            return fail(chain.error());
        }
        miniStreamSectors_ = std::move(*chain);
    }
    miniStreamSize_ = root.size;
    QByteArray miniFat;
    if (header.miniFatStart != kEndOfChain) {
        const Result<std::vector<std::uint32_t>> chain =
            readChain(fat_, header.miniFatStart, regularLimit(), kWholeChain, QStringLiteral("mini FAT"));
        if (!chain) {
            return fail(chain.error());
        }
        Result<QByteArray> bytes = readFullSectors(*chain, QStringLiteral("mini FAT"));
        if (!bytes) {
            return fail(bytes.error());
        }
        miniFat = std::move(*bytes);
    }
    miniFat_.reserve(std::size_t(miniFat.size() / 4));
    for (qsizetype k = 0; k + 4 <= miniFat.size(); k += 4) {
        miniFat_.push_back(u32At(miniFat.constData(), k));
    }
    return {};
}

Status CompoundFile::readMembers(const Directory& directory) {
    // The root storage's members: a tree of siblings under the root's child.
    const std::vector<RawEntry>& entries = directory.entries;
    const std::uint32_t entryCount = std::uint32_t(entries.size());
    std::vector<bool> seen(entryCount, false);
    std::vector<std::uint32_t> pending{entries[0].child};
    std::vector<std::uint32_t> members;
    seen[0] = true;
    while (!pending.empty()) {
        const std::uint32_t id = pending.back();
        pending.pop_back();
        if (id == kNoStream) {
            continue;
        }
        if (id >= entryCount) {
            return fail(QStringLiteral("directory: the tree names entry %1, past the %2 entries")
                            .arg(id)
                            .arg(entryCount));
        }
        if (seen[id]) {
            return fail(
                QStringLiteral("directory: the tree comes to entry %1 a second time (a cycle)").arg(id));
        }
        seen[id] = true;
        const RawEntry& e = entries[id];
        if (e.type == kUnused || e.type == kRoot) {
            return fail(
                QStringLiteral("directory entry %1 at offset %2: an unused or root entry inside the tree")
                    .arg(id)
                    .arg(directory.offsetOf(id, sectorSize_)));
        }
        pending.push_back(e.left);
        pending.push_back(e.right);
        if (e.type == kStream) {
            members.push_back(id);
        }
    }
    std::sort(members.begin(), members.end());
    for (std::uint32_t id : members) {
        streams_.append({entries[id].name, entries[id].start, entries[id].size});
    }
    return {};
}

QStringList CompoundFile::streamNames() const {
    QStringList names;
    for (const Entry& e : streams_) {
        names.append(e.name);
    }
    return names;
}

Result<QByteArray> CompoundFile::readStream(QStringView name) const {
    const Entry* entry = nullptr;
    for (const Entry& e : streams_) {
        if (QStringView(e.name).compare(name, Qt::CaseInsensitive) == 0) {
            entry = &e;
            break;
        }
    }
    if (entry == nullptr) {
        return agent::fail(QStringLiteral("OLE compound document: there is no stream '%1'").arg(name));
    }
    const QString what = QStringLiteral("OLE compound document: stream '%1'").arg(entry->name);
    if (entry->size == 0) {
        return QByteArray();
    }
    const bool mini = entry->size < miniCutoff_;
    const std::uint32_t unit = mini ? miniSectorSize_ : sectorSize_;
    const std::uint64_t limit =
        mini ? std::min<std::uint64_t>(miniStreamSize_ / miniSectorSize_, miniFat_.size())
             : std::min<std::uint64_t>(sectorCount_, fat_.size());
    const Result<std::vector<std::uint32_t>> chain =
        readChain(mini ? miniFat_ : fat_, entry->start, limit, sectorsFor(entry->size, unit),
                  mini ? what + QStringLiteral(" (in the mini stream)") : what);
    if (!chain) {
        return chain.failure();
    }
    // The chain has as many distinct sectors as the size needs, so the size is within the document's.
    QByteArray bytes(qsizetype(entry->size), Qt::Uninitialized);
    std::uint64_t done = 0;
    for (std::uint32_t s : *chain) {
        const std::uint64_t n = std::min<std::uint64_t>(unit, entry->size - done);
        std::uint64_t offset = (std::uint64_t(s) + 1) * sectorSize_;
        if (mini) {
            const std::uint64_t inMini = std::uint64_t(s) * miniSectorSize_;
            offset = (std::uint64_t(miniStreamSectors_[inMini / sectorSize_]) + 1) * sectorSize_ +
                     inMini % sectorSize_;
        }
        if (offset + n > std::uint64_t(data_.size())) {
            return agent::fail(
                QStringLiteral("%1: %2 sector %3 at offset %4 runs past the end of the %5-byte document")
                    .arg(what, mini ? QStringLiteral("mini") : QStringLiteral("data"))
                    .arg(s)
                    .arg(offset)
                    .arg(data_.size()));
        }
        std::memcpy(bytes.data() + done, data_.constData() + offset, n);
        done += n;
    }
    return bytes;
}

}  // namespace agent::format

// A reader for OLE compound documents (MS-CFB), the container of older character files: the header, the
// sector allocation tables, the directory and the streams of the root storage. Documents come from the
// internet, so every sector number, chain and size is checked before it is used; a damaged document gives an
// error naming the structure and the offset, never a crash, a hang or an allocation larger than the document.
#pragma once

#include "agent/result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace agent::format {

class CompoundFile {
public:
    // True when `data` starts with the eight signature bytes D0 CF 11 E0 A1 B1 1A E1.
    static bool hasSignature(const QByteArray& data);

    // Reads the header, the allocation tables and the directory. The bytes are shared, not copied.
    Status open(const QByteArray& data);
    bool isOpen() const { return open_; }

    // The streams directly inside the root storage, in directory order.
    QStringList streamNames() const;
    // A root stream's bytes, its name matched without regard to case as the format asks. Fails when there
    // is no such stream or its chain is damaged.
    Result<QByteArray> readStream(QStringView name) const;

private:
    struct Entry {
        QString name;
        std::uint32_t start = 0;
        std::uint64_t size = 0;
    };

    struct Header;
    struct Directory;

    // The steps of open(), in order; each leaves what it read in the members, or fails through fail().
    Result<Header> readHeader();
    // The DIFAT, which lists the FAT's sectors, and the FAT.
    Status readFat(const Header& header);
    Result<Directory> readDirectory(const Header& header);
    Status readMiniStream(const Header& header, const Directory& directory);
    // The streams directly inside the root storage.
    Status readMembers(const Directory& directory);

    // Empties what open() had read, and names the document in the message.
    Failure fail(const QString& message);
    // How many sectors a chain in the FAT can name: those the document has and the FAT covers.
    std::uint64_t regularLimit() const;
    Result<std::vector<std::uint32_t>> readChain(const std::vector<std::uint32_t>& table, std::uint32_t start,
                                                 std::uint64_t limit, std::uint64_t wanted,
                                                 const QString& what) const;
    // Where a whole sector starts in the document's bytes.
    Result<const char*> sectorAt(std::uint32_t sector, const QString& what) const;
    Result<QByteArray> readFullSectors(const std::vector<std::uint32_t>& sectors, const QString& what) const;

    QByteArray data_;
    bool open_ = false;
    std::uint32_t sectorSize_ = 512;
    std::uint32_t miniSectorSize_ = 64;
    std::uint32_t miniCutoff_ = 4096;
    std::uint64_t sectorCount_ = 0;
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> miniFat_;
    std::vector<std::uint32_t> miniStreamSectors_;  // the root entry's chain, which holds the mini sectors
    std::uint64_t miniStreamSize_ = 0;
    QList<Entry> streams_;
};

}  // namespace agent::format

// The bytes of a character file, read from the file a piece at a time as they are first asked for. A
// character's structures lie at its two ends and its images and sounds in between, so a load reads a few
// tens of kilobytes of a file of megabytes, and each image is read when it is first drawn.
//
// The bytes sit at their own offsets in one array the size of the file, so that a cursor over them needs no
// translation; a part of the array may be looked at only after fetch() has answered for it.
#pragma once

#include "agent/result.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QFile;

namespace agent::format {

class FileBytes {
public:
    FileBytes();
    // Bytes already in memory, all of them present.
    explicit FileBytes(QByteArray whole);
    FileBytes(FileBytes&&) noexcept;
    FileBytes& operator=(FileBytes&&) noexcept;
    ~FileBytes();

    // Opens the file and keeps it open; nothing of it is read yet. Fails when it cannot be opened or is
    // larger than `maxSize`.
    static Result<FileBytes> open(const QString& path, std::uint64_t maxSize);

    std::uint64_t size() const { return std::uint64_t(bytes_.size()); }
    // Makes [offset, offset + length) present. Fails when the range lies past the end or the file no
    // longer gives it (it was cut short after it was opened).
    Status fetch(std::uint64_t offset, std::uint64_t length);
    Status fetchAll() { return fetch(0, size()); }
    // The array: of the right size, with only the fetched parts meaningful.
    const QByteArray& bytes() const { return bytes_; }

private:
    Status readChunks(std::size_t first, std::size_t end);

    QByteArray bytes_;
    std::unique_ptr<QFile> file_;     // null when every byte is present
    std::vector<bool> chunkPresent_;  // by chunk of kChunk bytes
};

}  // namespace agent::format

// Reads go in chunks of 16 KiB, each read once: the blocks of a file's head and tail lie close together, so
// a load takes a handful of reads, and an image a read or two.
#include "agent/format/file_bytes.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>

namespace agent::format {

namespace {

constexpr std::uint64_t kChunk = 16 * 1024;

}  // namespace

FileBytes::FileBytes() = default;
FileBytes::FileBytes(QByteArray whole) : bytes_(std::move(whole)) {}
FileBytes::FileBytes(FileBytes&&) noexcept = default;
FileBytes& FileBytes::operator=(FileBytes&&) noexcept = default;
FileBytes::~FileBytes() = default;

Result<FileBytes> FileBytes::open(const QString& path, std::uint64_t maxSize) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        return fail(QStringLiteral("cannot open %1: %2").arg(path, file->errorString()));
    }
    const qint64 size = file->size();
    if (std::uint64_t(size) > maxSize) {
        return fail(QStringLiteral("%1 is %2 bytes, over the limit of %3").arg(path).arg(size).arg(maxSize));
    }
    FileBytes out;
    out.bytes_ = QByteArray(size, Qt::Uninitialized);
    if (size > 0) {
        // The images will be read a few at a time as they are first drawn. The kernel is told the whole file
        // will be wanted, so that from a cold disk it is read ahead at once rather than an image at a time
        // while an animation plays; this copies nothing into our memory, and it is only advice.
        ::posix_fadvise(file->handle(), 0, 0, POSIX_FADV_WILLNEED);
        out.file_ = std::move(file);
        out.chunkPresent_.assign(std::size_t((std::uint64_t(size) + kChunk - 1) / kChunk), false);
    }
    return out;
}

Status FileBytes::fetch(std::uint64_t offset, std::uint64_t length) {
    if (offset > size() || length > size() - offset) {
        return fail(QStringLiteral("bytes %1 to %2 lie past the end of the %3-byte file")
                        .arg(offset)
                        .arg(offset + length)
                        .arg(size()));
    }
    if (file_ == nullptr || length == 0) {
        return {};
    }
    const auto last = std::size_t((offset + length - 1) / kChunk);
    // Each run of missing chunks in one read.
    for (auto chunk = std::size_t(offset / kChunk); chunk <= last; ++chunk) {
        if (chunkPresent_[chunk]) {
            continue;
        }
        std::size_t end = chunk + 1;
        while (end <= last && !chunkPresent_[end]) {
            ++end;
        }
        if (Status s = readChunks(chunk, end); !s) {
            return s;
        }
        chunk = end - 1;
    }
    return {};
}

Status FileBytes::readChunks(std::size_t first, std::size_t end) {
    const std::uint64_t from = first * kChunk;
    const std::uint64_t to = std::min<std::uint64_t>(end * kChunk, size());
    // The array is written here only, and never shared, so this does not copy it.
    char* out = bytes_.data();
    for (std::uint64_t at = from; at < to;) {
        const ssize_t n = ::pread(file_->handle(), out + at, std::size_t(to - at), off_t(at));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return fail(QStringLiteral("cannot read %1: %2").arg(file_->fileName(), qt_error_string(errno)));
        }
        if (n == 0) {
            return fail(QStringLiteral("cannot read %1: it ends at byte %2, short of the %3 it had when it "
                                       "was opened")
                            .arg(file_->fileName())
                            .arg(at)
                            .arg(size()));
        }
        at += std::uint64_t(n);
    }
    for (std::size_t c = first; c < end; ++c) {
        chunkPresent_[c] = true;
    }
    return {};
}

}  // namespace agent::format

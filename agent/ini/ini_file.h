// An INI file on disk, for the clock's settings and the engine's options alike. Nothing is cached: each load
// reads the file, so a change another process made is seen at once. Each update reads the file afresh under a
// lock file, edits it and replaces it atomically and durably (written in full, flushed to disk, renamed over
// the old one, the folder flushed too), so another process's keys survive and a crash or a full disk leaves
// the old file or the new one, never part of one. A file that exists but cannot be read is never overwritten.
#pragma once

#include <QString>
#include <functional>

#include "agent/ini/ini_document.h"
#include "agent/result.h"

namespace agent::ini {

class IniFile {
public:
    // Files larger than this are not ours: they are treated as unreadable.
    static constexpr qint64 kMaxFileSize = 8 * 1024 * 1024;

    explicit IniFile(QString path) : path_(std::move(path)) {}
    const QString& path() const { return path_; }

    // The file as it is now; an empty document when there is no file.
    Result<IniDocument> load() const;
    // Reads the file afresh, lets `change` edit it and replaces the file with the result.
    Status update(const std::function<void(IniDocument&)>& change);

private:
    QString path_;
};

}  // namespace agent::ini

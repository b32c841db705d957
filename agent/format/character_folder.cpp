#include "agent/format/character_folder.h"

#include <QDir>
#include <QFileInfo>

namespace agent::format {

QString characterPath(const QString& folder, const QString& fileName) {
    if (fileName.contains(QLatin1Char('/')) || folder.isEmpty()) {
        return fileName;
    }
    const QDir dir(folder);
    if (dir.exists(fileName)) {
        return dir.filePath(fileName);
    }
    for (const QString& entry : dir.entryList(QDir::Files)) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0) {
            return dir.filePath(entry);
        }
    }
    return dir.filePath(fileName);
}

QString characterPath(const QStringList& folders, const QString& fileName) {
    for (const QString& folder : folders) {
        const QString path = characterPath(folder, fileName);
        if (QFileInfo(path).isFile()) {
            return path;
        }
    }
    return characterPath(folders.value(0), fileName);
}

Result<std::unique_ptr<AcsFile>> openCharacter(const QStringList& folders, const QString& fileName) {
    auto file = std::make_unique<AcsFile>();
    const QString path = characterPath(folders, fileName);
    if (const Status loaded = file->load(path); !loaded) {
        return fail(QStringLiteral("cannot load %1: %2").arg(path, loaded.error()));
    }
    return file;
}

}  // namespace agent::format

#include "src/setup/setup_locations.h"

#include "src/platform/paths.h"

namespace horalia::setup {

QStringList espeakDataFolders() {
    QStringList folders;
    const QString own = qEnvironmentVariable("ESPEAK_DATA_PATH");
    if (!own.isEmpty()) {
        folders << own + QStringLiteral("/espeak-ng-data");
    }
    // Debian and Ubuntu keep it beside the library, Fedora and Arch under share.
    folders << QStringLiteral("/usr/lib/x86_64-linux-gnu/espeak-ng-data")
            << QStringLiteral("/usr/lib/aarch64-linux-gnu/espeak-ng-data")
            << QStringLiteral("/usr/lib/i386-linux-gnu/espeak-ng-data")
            << QStringLiteral("/usr/lib64/espeak-ng-data") << QStringLiteral("/usr/share/espeak-ng-data")
            << QStringLiteral("/usr/local/share/espeak-ng-data");
    return folders;
}

SetupLocations SetupLocations::forThisSystem() {
    SetupLocations where;
    where.programFolder = platform::programFolder();
    where.characterFolder = platform::characterFolder();
    where.engineProbes = {where.characterFolder + QStringLiteral("/max.acs"),
                          where.characterFolder + QStringLiteral("/plany.acs")};
    for (const QString& folder : espeakDataFolders()) {
        where.voiceProbes << folder + QStringLiteral("/phontab");
    }
    return where;
}

}  // namespace horalia::setup

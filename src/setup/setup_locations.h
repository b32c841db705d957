// Where the first run finds what it ships with and what it probes for.
#pragma once

#include <QString>
#include <QStringList>

namespace horalia::setup {

struct SetupLocations {
    QString programFolder;    // holds max.acs, plany.acs, the packages and reboot
    QString characterFolder;  // where the engine finds a character by bare file name
    // The engine counts as installed when every one of these can be read: the characters it will be asked
    // to load, in its own folder.
    QStringList engineProbes;
    // The voices count as installed when any one of these can be read: espeak-ng's phoneme table, wherever
    // the distribution keeps its data.
    QStringList voiceProbes;

    static SetupLocations forThisSystem();
};

// The espeak-ng data folders looked at, in order: $ESPEAK_DATA_PATH first when set.
QStringList espeakDataFolders();

}  // namespace horalia::setup

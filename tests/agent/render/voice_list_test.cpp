// The voice list on the real espeak-ng data of this machine.
#include "agent/speech/voice_list.h"
#include "agent/speech/espeak_synthesizer.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using agent::speech::InstalledVoice;
using agent::speech::installedVoices;

namespace {

TEST(VoiceList, MissingVoiceDataGivesAnEmptyListAndAReason) {
    QTemporaryDir empty;
    const QString error = installedVoices(empty.path()).error();
    EXPECT_TRUE(error.contains(QStringLiteral("not found"))) << error.toStdString();
    // The installed data still works afterwards, and lists the same each time.
    const QList<InstalledVoice> listed = installedVoices().valueOr({});
    EXPECT_FALSE(listed.isEmpty());
    EXPECT_EQ(installedVoices().valueOr({}), listed);
}

}  // namespace

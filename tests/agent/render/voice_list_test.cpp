// The voice list on the real espeak-ng data of this machine.
#include "agent/speech/voice_list.h"
#include "agent/speech/espeak_synthesizer.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using agent::speech::EspeakSynthesizer;
using agent::speech::InstalledVoice;
using agent::speech::installedVoices;
using agent::speech::VoiceGender;

namespace {

TEST(VoiceList, ListsTheInstalledVoicesByTitleEachOneLoadable) {
    const auto listed = installedVoices();
    ASSERT_TRUE(listed) << listed.error().toStdString();
    const QList<InstalledVoice>& voices = *listed;
    ASSERT_FALSE(voices.isEmpty());

    const auto english = std::find_if(voices.begin(), voices.end(),
                                      [](const InstalledVoice& v) { return v.language == u"en-us"; });
    ASSERT_NE(english, voices.end());
    EXPECT_FALSE(english->title.contains(u'_')) << english->title.toStdString();
    EXPECT_NE(english->gender, VoiceGender::Female);

    for (qsizetype i = 1; i < voices.size(); ++i) {
        EXPECT_LE(voices[i - 1].title.compare(voices[i].title, Qt::CaseInsensitive), 0) << i;
    }
    // Every listed name selects its voice; a sample of them keeps the test quick.
    EspeakSynthesizer synthesizer;
    for (qsizetype i = 0; i < voices.size(); i += std::max<qsizetype>(1, voices.size() / 8)) {
        EXPECT_FALSE(voices[i].name.isEmpty()) << i;
        EXPECT_FALSE(voices[i].language.isEmpty()) << voices[i].name.toStdString();
        const agent::Status has = synthesizer.hasVoice(voices[i].name);
        EXPECT_TRUE(has) << voices[i].name.toStdString() << ": " << has.error().toStdString();
    }
    const agent::Status whisper = synthesizer.hasVoice(english->name + QStringLiteral("+whisper"));
    EXPECT_TRUE(whisper) << whisper.error().toStdString();
}

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

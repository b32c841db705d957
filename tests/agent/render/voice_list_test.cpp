// The voice list on the real espeak-ng data of this machine.
#include "agent/speech/voice_list.h"
#include "agent/speech/espeak_synthesizer.h"
#include "agent/speech/speech_tag_parser.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

using agent::speech::EspeakSynthesizer;
using agent::speech::InstalledVoice;
using agent::speech::installedVoices;
using agent::speech::VoiceGender;

namespace {

TEST(VoiceList, ListsTheInstalledVoicesByTitleEachOneLoadable) {
    QString error;
    const QList<InstalledVoice> voices = installedVoices({}, &error);
    ASSERT_FALSE(voices.isEmpty()) << error.toStdString();

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
        EXPECT_TRUE(synthesizer.hasVoice(voices[i].name, &error))
            << voices[i].name.toStdString() << ": " << error.toStdString();
    }
    EXPECT_TRUE(synthesizer.hasVoice(english->name + QStringLiteral("+whisper"), &error))
        << error.toStdString();
}

TEST(VoiceList, MissingVoiceDataGivesAnEmptyListAndAReason) {
    QTemporaryDir empty;
    QString error;
    EXPECT_TRUE(installedVoices(empty.path(), &error).isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("not found"))) << error.toStdString();
    EXPECT_TRUE(installedVoices(empty.path()).isEmpty());
    // The installed data still works afterwards.
    EXPECT_FALSE(installedVoices().isEmpty());
}

TEST(VoiceList, ListingWhileAnotherThreadSpeaksIsSafe) {
    const QList<InstalledVoice> expected = installedVoices();
    ASSERT_FALSE(expected.isEmpty());
    bool spoke = true;
    std::thread speaker([&spoke] {
        agent::speech::SpeechTagParser parser;
        EspeakSynthesizer synthesizer;
        for (int i = 0; i < 5 && spoke; ++i) {
            QString error;
            agent::speech::VoiceChoice voice;
            voice.name = i % 2 ? QStringLiteral("en-gb") : QStringLiteral("en-us");
            const auto u =
                synthesizer.synthesize(parser.parse(QStringLiteral("It is ten past two")), voice, &error);
            spoke = u.has_value() && !u->samples.empty();
        }
    });
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(installedVoices(), expected) << i;
    }
    speaker.join();
    EXPECT_TRUE(spoke);
}

}  // namespace

// Pronunciations from espeak-ng's IPA: every sound of American English maps onto one of the acoustic model's
// ARPAbet phones.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>
#include <vector>

#include "agent/listen/pronunciation.h"
#include "agent/speech/espeak_synthesizer.h"
#include "tests/support/qt_printers.h"

namespace agent::listen {
namespace {

// Everything espeak-ng says for the clock's words and a broad sample of English maps onto the model, sound by
// sound: no sound of an American English voice is dropped for want of a phone.
TEST(EspeakPronunciations, EverySoundOfAmericanEnglishHasAPhone) {
    speech::EspeakSynthesizer synthesizer;
    if (const Status has = synthesizer.hasVoice("en-us"); !has) {
        GTEST_SKIP() << "espeak-ng data missing: " << has.error().toStdString();
    }
    const QStringList words =
        QStringLiteral(
            "horalia properties o'clock thought pleasure judge sing cure poor tour fire "
            "hour near hair air north nurse button bottle little oil cow goat face "
            "square cloth bath trap kit foot goose happy rhythm which water nation")
            .split(u' ');
    const QSet<QString> model(modelPhones().begin(), modelPhones().end());
    for (const QString& word : words) {
        const Result<QString> ipa = synthesizer.phonemes(word, "en-us");
        ASSERT_TRUE(ipa) << ipa.error().toStdString();
        const QStringList phones = phonesFromIpa(*ipa);
        EXPECT_FALSE(phones.isEmpty()) << word.toStdString() << " " << ipa->toStdString();
        for (const QString& phone : phones) {
            EXPECT_TRUE(model.contains(phone)) << word.toStdString() << ": " << phone.toStdString();
        }
        for (const QString& sound : ipa->split(QRegularExpression("[_ ]"), Qt::SkipEmptyParts)) {
            QString bare = sound;
            bare.remove(QRegularExpression(QStringLiteral("[ˈˌːˑ.]")));
            if (!bare.isEmpty()) {
                EXPECT_FALSE(phonesFromIpa(sound).isEmpty())
                    << word.toStdString() << " (" << ipa->toStdString() << "): no phone for \""
                    << sound.toStdString() << '"';
            }
        }
    }
}

}  // namespace
}  // namespace agent::listen

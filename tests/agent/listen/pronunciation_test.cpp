// Pronunciations from espeak-ng's IPA: each sound onto the acoustic model's ARPAbet phones, with stress and
// length marks dropped and sounds it has no phone for left out.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>
#include <vector>

#include "agent/listen/pronunciation.h"
#include "agent/speech/espeak_synthesizer.h"
#include "tests/support/qt_printers.h"

namespace agent::listen {
namespace {

QStringList phonesOf(const char* text) {
    return QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts);
}

TEST(IpaToPhones, GivesTheModelsPhones) {
    const struct {
        const char* ipa;
        const char* phones;  // separated by spaces
    } cases[] = {
        // Words: sounds of one, two and three letters, syllabic consonants, one sound for two phones.
        {"h_oː_ɹ_ˈeɪ_l_iə", "HH AO R EY L IY AH"},  // horalia
        {"b_ˈʌ_ʔ_n̩", "B AH T AH N"},                // button
        {"k_w_ˈaɪə_t", "K W AY AH T"},              // quiet
        {"ʍ_ˈɑː_t", "W AA T"},                      // what
        {"t_ʃ_ˈɛɹ", "T SH EH R"},                   // t and sh written apart
        // Marks of stress, length, ties and syllables are dropped, wherever they stand.
        {"ˈˌːa_ɑː_ˈɹ", "AE AA R"},
        {"t͡ʃ_h_ə.l_ˈoʊ", "CH HH AH L OW"},
        // Sounds the model has no phone for are left out; separators and marks alone are nothing.
        {"ʘ_k_ˈæ_ʘ_tʰ", "K AE T"},
        {"ʘ_ǀ_ʕ", ""},
        {"__ˈ_ː_", ""},
        // A space between words is no sound and does not join the sounds on its two sides into one.
        {"n_ˈoʊ ɹ", "N OW R"},
    };
    const QSet<QString> model(modelPhones().begin(), modelPhones().end());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ipa);
        const QStringList phones = phonesFromIpa(QString::fromUtf8(c.ipa));
        EXPECT_EQ(phones, phonesOf(c.phones));
        for (const QString& phone : phones) {
            EXPECT_TRUE(model.contains(phone)) << phone.toStdString() << " is no phone of the model";
        }
    }
}

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

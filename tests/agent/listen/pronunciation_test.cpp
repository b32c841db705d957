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
        // Words.
        {"h_oː_ɹ_ˈeɪ_l_iə", "HH AO R EY L IY AH"},     // horalia
        {"p_ɹ_ˈɑː_p_ɚ_ɾ_i_z", "P R AA P ER T IY Z"},   // properties
        {"f_j_ˈuː_tʃ_ɚ", "F Y UW CH ER"},              // future
        {"dʒ_ˈiː_n_i", "JH IY N IY"},                  // genie
        {"b_ˈʌ_ʔ_n̩", "B AH T AH N"},                   // button
        {"j_ˈɪɹ", "Y IH R"},                           // year
        {"ˌɪ_n_t_ɹ_ə_d_ˈuː_s", "IH N T R AH D UW S"},  // introduce
        {"ð_ə", "DH AH"},                              // the
        {"θ_ˈɪ_ŋ_k", "TH IH NG K"},                    // think
        {"m_ˈɛ_ʒ_ɚ", "M EH ZH ER"},                    // measure
        {"ʃ_ˈʌ_t", "SH AH T"},                         // shut
        {"k_w_ˈaɪə_t", "K W AY AH T"},                 // quiet
        {"ɡ_ˈʊ_d", "G UH D"},                          // good
        {"v_ˈɔɪ_s", "V OY S"},                         // voice
        {"n_ˈaʊ", "N AW"},                             // now
        {"h_ˈoʊ_m", "HH OW M"},                        // home
        {"d_ˈeɪ_t", "D EY T"},                         // date
        {"ˈɛ_ɡ_z_ɪ_t", "EH G Z IH T"},                 // exit
        {"k_ˈæ_ɹ_ə_k_t_ɚ", "K AE R AH K T ER"},        // character
        {"w_ˈɜː_l_d", "W ER L D"},                     // world
        {"ʍ_ˈɑː_t", "W AA T"},                         // what
        {"ə_k_l_ˈɑː_k", "AH K L AA K"},                // o'clock
        {"f_ˈɔːɹ", "F AO R"},                          // four
        {"t_ʃ_ˈɛɹ", "T SH EH R"},                      // t and sh written apart
        {"b_ˈɑːɹ", "B AA R"},                          // bar
        {"l_ˈɪ_t_əl", "L IH T AH L"},                  // little
        {"b_ˈɑː_ʔ_l̩", "B AA T AH L"},                  // bottle
        {"f_ˈaɪɚ", "F AY ER"},                         // fire
        {"t_ˈuː_ɹ_ᵻ_s_t", "T UW R IH S T"},            // tourist
        {"ɐ_b_ˈaʊ_t", "AH B AW T"},                    // about
        {"ɹ_ɪ_ð_ˈɛ_m", "R IH DH EH M"},                // rhythm
        // Marks of stress, length, ties and syllables are dropped.
        {"ˈa_ˌa_aː_aˑ", "AE AE AE AE"},  // stress and length marks only
        {"ˈˌːa", "AE"},                  // several marks on one sound
        {"ɑː_ˈɹ", "AA R"},               // a mark between two sounds
        {"t͡ʃ_ˈiː_z", "CH IY Z"},         // a tie bar inside a sound
        {"h_ə.l_ˈoʊ", "HH AH L OW"},     // a syllable mark inside a sound
        // Sounds the model has no phone for are left out.
        {"ʘ_k_ˈæ_t", "K AE T"},  // a click before the word
        {"k_ˈæ_ʘ_t", "K AE T"},  // and inside it
        {"k_ˈæ_t_ʘ", "K AE T"},  // and after it
        {"tʰ_ˈɒ_p", "T AA P"},   // an aspiration mark the model has no phone for
        {"ʘ_ǀ_ʕ", ""},           // nothing known at all
        {"", ""},                // nothing
        {"_", ""},               // separators only
        {"ˈ_ː", ""},             // marks only
        {"__k__æ__t__", "K AE T"},
        // Spaces between words, as espeak-ng gives a whole text: a space is no sound, takes no sound with it
        // and does not join the sounds on its two sides into one.
        {"t_ə_b_i k_w_ˈaɪə_t", "T AH B IY K W AY AH T"},
        {"h_ˈoʊ_m ˈɛ_ɡ_z_ɪ_t", "HH OW M EH G Z IH T"},
        {"ð_ə ˈeɪ_t", "DH AH EY T"},
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
            "horalia properties character introduction introduce move me home what is the "
            "date tell shut up future exit to be quiet alarm clock o'clock morning evening "
            "bird thought about pleasure judge sing thing this yes wall cure poor tour fire "
            "hour our near hair air start north force nurse letter button bottle little "
            "oil boy cow go goat face price choice mouth square lot cloth palm bath trap "
            "kit dress strut foot goose fleece happy comma rhythm measure vision church "
            "whether which anywhere water butter garden nation")
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

#include "agent/listen/pronunciation.h"

#include <QHash>

namespace agent::listen {

namespace {

// IPA sounds as espeak-ng's English voices write them, longest first where one begins another.
const QHash<QString, QString>& ipaTable() {
    static const QHash<QString, QString> table = {
        // vowels and diphthongs, with the r-coloured forms of rhotic English
        {QStringLiteral("ɑ"), QStringLiteral("AA")},
        {QStringLiteral("ɒ"), QStringLiteral("AA")},
        {QStringLiteral("ɑɹ"), QStringLiteral("AA R")},
        {QStringLiteral("æ"), QStringLiteral("AE")},
        {QStringLiteral("a"), QStringLiteral("AE")},
        {QStringLiteral("ʌ"), QStringLiteral("AH")},
        {QStringLiteral("ə"), QStringLiteral("AH")},
        {QStringLiteral("ɐ"), QStringLiteral("AH")},
        {QStringLiteral("əl"), QStringLiteral("AH L")},
        {QStringLiteral("ɔ"), QStringLiteral("AO")},
        {QStringLiteral("o"), QStringLiteral("AO")},
        {QStringLiteral("ɔɹ"), QStringLiteral("AO R")},
        {QStringLiteral("oɹ"), QStringLiteral("AO R")},
        {QStringLiteral("aʊ"), QStringLiteral("AW")},
        {QStringLiteral("aɪ"), QStringLiteral("AY")},
        {QStringLiteral("aɪə"), QStringLiteral("AY AH")},
        {QStringLiteral("aɪɚ"), QStringLiteral("AY ER")},
        {QStringLiteral("ɛ"), QStringLiteral("EH")},
        {QStringLiteral("e"), QStringLiteral("EH")},
        {QStringLiteral("ɛɹ"), QStringLiteral("EH R")},
        {QStringLiteral("eə"), QStringLiteral("EH R")},
        {QStringLiteral("ɜ"), QStringLiteral("ER")},
        {QStringLiteral("ɚ"), QStringLiteral("ER")},
        {QStringLiteral("ɝ"), QStringLiteral("ER")},
        {QStringLiteral("ɜɹ"), QStringLiteral("ER")},
        {QStringLiteral("eɪ"), QStringLiteral("EY")},
        {QStringLiteral("ɪ"), QStringLiteral("IH")},
        {QStringLiteral("ᵻ"), QStringLiteral("IH")},
        {QStringLiteral("ɪɹ"), QStringLiteral("IH R")},
        {QStringLiteral("ɪə"), QStringLiteral("IH R")},
        {QStringLiteral("i"), QStringLiteral("IY")},
        {QStringLiteral("iə"), QStringLiteral("IY AH")},
        {QStringLiteral("oʊ"), QStringLiteral("OW")},
        {QStringLiteral("əʊ"), QStringLiteral("OW")},
        {QStringLiteral("ɔɪ"), QStringLiteral("OY")},
        {QStringLiteral("ʊ"), QStringLiteral("UH")},
        {QStringLiteral("ʊɹ"), QStringLiteral("UH R")},
        {QStringLiteral("ʊə"), QStringLiteral("UH R")},
        {QStringLiteral("u"), QStringLiteral("UW")},
        {QStringLiteral("ɯ"), QStringLiteral("UW")},
        // syllabic consonants
        {QStringLiteral("n̩"), QStringLiteral("AH N")},
        {QStringLiteral("l̩"), QStringLiteral("AH L")},
        {QStringLiteral("m̩"), QStringLiteral("AH M")},
        // consonants
        {QStringLiteral("b"), QStringLiteral("B")},
        {QStringLiteral("tʃ"), QStringLiteral("CH")},
        {QStringLiteral("d"), QStringLiteral("D")},
        {QStringLiteral("ð"), QStringLiteral("DH")},
        {QStringLiteral("f"), QStringLiteral("F")},
        {QStringLiteral("ɡ"), QStringLiteral("G")},
        {QStringLiteral("g"), QStringLiteral("G")},
        {QStringLiteral("h"), QStringLiteral("HH")},
        {QStringLiteral("ç"), QStringLiteral("HH")},
        {QStringLiteral("dʒ"), QStringLiteral("JH")},
        {QStringLiteral("k"), QStringLiteral("K")},
        {QStringLiteral("x"), QStringLiteral("K")},
        {QStringLiteral("l"), QStringLiteral("L")},
        {QStringLiteral("ɫ"), QStringLiteral("L")},
        {QStringLiteral("ɬ"), QStringLiteral("L")},
        {QStringLiteral("m"), QStringLiteral("M")},
        {QStringLiteral("n"), QStringLiteral("N")},
        {QStringLiteral("ŋ"), QStringLiteral("NG")},
        {QStringLiteral("p"), QStringLiteral("P")},
        {QStringLiteral("ɹ"), QStringLiteral("R")},
        {QStringLiteral("r"), QStringLiteral("R")},
        {QStringLiteral("ɾ"), QStringLiteral("T")},
        {QStringLiteral("ʔ"), QStringLiteral("T")},
        {QStringLiteral("s"), QStringLiteral("S")},
        {QStringLiteral("ʃ"), QStringLiteral("SH")},
        {QStringLiteral("t"), QStringLiteral("T")},
        {QStringLiteral("θ"), QStringLiteral("TH")},
        {QStringLiteral("v"), QStringLiteral("V")},
        {QStringLiteral("w"), QStringLiteral("W")},
        {QStringLiteral("ʍ"), QStringLiteral("W")},
        {QStringLiteral("j"), QStringLiteral("Y")},
        {QStringLiteral("z"), QStringLiteral("Z")},
        {QStringLiteral("ʒ"), QStringLiteral("ZH")},
    };
    return table;
}

constexpr int kLongestSound = 3;

bool isMark(QChar c) {
    // stress, length, syllable and tie marks carry no phone of their own
    return c == u'ˈ' || c == u'ˌ' || c == u'ː' || c == u'ˑ' || c == u'.' || c == u'͡' || c == u'‿';
}

// One espeak-ng sound, read greedily into table entries when it is not one itself.
void mapSound(const QString& sound, QStringList* phones) {
    const auto& table = ipaTable();
    qsizetype pos = 0;
    while (pos < sound.size()) {
        bool found = false;
        for (int len = std::min<qsizetype>(kLongestSound, sound.size() - pos); len > 0 && !found; --len) {
            const auto it = table.constFind(sound.mid(pos, len));
            if (it != table.constEnd()) {
                phones->append(it.value().split(u' '));
                pos += len;
                found = true;
            }
        }
        if (!found) {
            ++pos;  // a sound with no near phone
        }
    }
}

}  // namespace

QStringList phonesFromIpa(const QString& ipa) {
    QStringList phones;
    for (const QString& part : ipa.split(u'_', Qt::SkipEmptyParts)) {
        QString sound;
        for (QChar c : part) {
            if (!isMark(c)) {
                sound += c;
            }
        }
        mapSound(sound, &phones);
    }
    return phones;
}

const QStringList& modelPhones() {
    static const QStringList phones =
        QStringLiteral(
            "AA AE AH AO AW AY B CH D DH EH ER EY F G HH IH IY JH K L M N NG OW "
            "OY P R S SH T TH UH UW V W Y Z ZH")
            .split(u' ');
    return phones;
}

}  // namespace agent::listen

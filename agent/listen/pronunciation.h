// Pronunciations for words the recognizer's dictionary lacks ("horalia", character names): espeak-ng says how
// it pronounces the word in IPA, and the IPA sounds are mapped onto the acoustic model's phone set (the 39
// phones of American English in ARPAbet: AA AE AH ... ZH).
#pragma once

#include <QString>
#include <QStringList>

namespace agent::listen {

// One word's IPA, sounds separated by '_' as espeak-ng gives them ("h_oː_ɹ_ˈeɪ_l_iə"), as ARPAbet phones
// ("HH AO R EY L IY AH"). Stress and length marks are dropped; a sound with no near phone is left out. Empty
// when nothing could be mapped.
QStringList phonesFromIpa(const QString& ipa);

// Every phone of the model's set, for checking a pronunciation.
const QStringList& modelPhones();

}  // namespace agent::listen

// Character files hold their name and description per language, by Windows language id. This picks the one
// for the user's language.
#pragma once

#include <QLocale>

#include "agent/format/acs_file.h"

namespace agent::format {

// The Windows language id for a locale (0x0409 for en_US, 0x0407 for de_DE); 0 for a language without one
// here.
quint16 langIdForLocale(const QLocale& locale);

// The entry for the locale's language and country, else one for its language, else English, else the first;
// nullptr when the file has none.
const LocalizedInfo* localizedFor(const AcsFile& file, const QLocale& locale);

}  // namespace agent::format

#include "agent/format/user_language.h"

namespace agent::format {

namespace {

struct LanguageId {
    QLocale::Language language;
    quint16 primary;
};

// The primary language ids; the sub-language (country) ids that matter are worked out below.
constexpr LanguageId kPrimary[] = {
    {QLocale::Arabic, 0x01},     {QLocale::Bulgarian, 0x02},       {QLocale::Catalan, 0x03},
    {QLocale::Chinese, 0x04},    {QLocale::Czech, 0x05},           {QLocale::Danish, 0x06},
    {QLocale::German, 0x07},     {QLocale::Greek, 0x08},           {QLocale::English, 0x09},
    {QLocale::Spanish, 0x0a},    {QLocale::Finnish, 0x0b},         {QLocale::French, 0x0c},
    {QLocale::Hebrew, 0x0d},     {QLocale::Hungarian, 0x0e},       {QLocale::Icelandic, 0x0f},
    {QLocale::Italian, 0x10},    {QLocale::Japanese, 0x11},        {QLocale::Korean, 0x12},
    {QLocale::Dutch, 0x13},      {QLocale::NorwegianBokmal, 0x14}, {QLocale::Polish, 0x15},
    {QLocale::Portuguese, 0x16}, {QLocale::Romanian, 0x18},        {QLocale::Russian, 0x19},
    {QLocale::Croatian, 0x1a},   {QLocale::Slovak, 0x1b},          {QLocale::Swedish, 0x1d},
    {QLocale::Thai, 0x1e},       {QLocale::Turkish, 0x1f},         {QLocale::Slovenian, 0x24},
    {QLocale::Basque, 0x2d},
};

quint16 subLanguage(const QLocale& locale) {
    switch (locale.language()) {
        case QLocale::English:
            return locale.territory() == QLocale::UnitedKingdom ? 0x02 : 0x01;
        case QLocale::Portuguese:
            return locale.territory() == QLocale::Brazil ? 0x01 : 0x02;
        case QLocale::Chinese:
            return locale.territory() == QLocale::Taiwan ? 0x01 : 0x02;
        case QLocale::Spanish:
            return locale.territory() == QLocale::Mexico ? 0x02 : 0x01;
        default:
            return 0x01;
    }
}

}  // namespace

quint16 langIdForLocale(const QLocale& locale) {
    for (const LanguageId& l : kPrimary) {
        if (l.language == locale.language()) {
            return quint16(subLanguage(locale) << 10 | l.primary);
        }
    }
    return 0;
}

const LocalizedInfo* localizedFor(const AcsFile& file, const QLocale& locale) {
    const quint16 wanted = langIdForLocale(locale);
    const LocalizedInfo* sameLanguage = nullptr;
    for (const LocalizedInfo& l : file.info().localized) {
        if (wanted != 0 && l.language == wanted) {
            return &l;
        }
        if (wanted != 0 && !sameLanguage && (l.language & 0x3ff) == (wanted & 0x3ff)) {
            sameLanguage = &l;
        }
    }
    return sameLanguage ? sameLanguage : file.localized(0x0409);
}

}  // namespace agent::format

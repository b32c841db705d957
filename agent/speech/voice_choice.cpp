// Character files carry Windows language ids; espeak-ng wants language tags.
#include "agent/speech/voice_choice.h"

namespace agent::speech {

QString languageForLangId(quint16 langId) {
    const int primary = langId & 0x3ff;
    const int sub = langId >> 10;
    switch (primary) {
        case 0x09:
            return sub == 0x02 ? QStringLiteral("en-gb") : QStringLiteral("en-us");
        case 0x07:
            return QStringLiteral("de");
        case 0x0c:
            return QStringLiteral("fr");
        case 0x0a:
            return QStringLiteral("es");
        case 0x10:
            return QStringLiteral("it");
        case 0x13:
            return QStringLiteral("nl");
        case 0x16:
            return sub == 0x01 ? QStringLiteral("pt-br") : QStringLiteral("pt");
        case 0x19:
            return QStringLiteral("ru");
        case 0x11:
            return QStringLiteral("ja");
        case 0x04:
            return QStringLiteral("cmn");
        case 0x12:
            return QStringLiteral("ko");
        case 0x1d:
            return QStringLiteral("sv");
        case 0x06:
            return QStringLiteral("da");
        case 0x14:
            return QStringLiteral("nb");
        case 0x0b:
            return QStringLiteral("fi");
        case 0x15:
            return QStringLiteral("pl");
        case 0x05:
            return QStringLiteral("cs");
        case 0x0e:
            return QStringLiteral("hu");
        case 0x1f:
            return QStringLiteral("tr");
        case 0x08:
            return QStringLiteral("el");
        default:
            return {};
    }
}

}  // namespace agent::speech

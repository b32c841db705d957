#include "src/platform/colour_number.h"

namespace horalia::platform {

QColor rgbFromNumber(qint32 number) {
    const auto value = static_cast<quint32>(number);
    return QColor(static_cast<int>(value & 0xff), static_cast<int>((value >> 8) & 0xff),
                  static_cast<int>((value >> 16) & 0xff));
}

std::optional<QColor> colourFromNumber(qint32 number, const QPalette& palette) {
    const auto value = static_cast<quint32>(number);
    if ((value & 0xffffff00u) == 0x80000000u) {
        switch (value & 0xffu) {
            case 5:
                return palette.color(QPalette::Base);  // window background
            case 8:
                return palette.color(QPalette::Text);  // window text
            case 13:
                return palette.color(QPalette::Highlight);
            case 14:
                return palette.color(QPalette::HighlightedText);
            case 15:
                return palette.color(QPalette::Button);  // button face
            case 17:
                return palette.color(QPalette::PlaceholderText);  // grey text
            case 18:
                return palette.color(QPalette::ButtonText);
            default:
                return palette.color(QPalette::Window);
        }
    }
    if ((value & 0xff000000u) != 0) {
        return std::nullopt;
    }
    return rgbFromNumber(number);
}

}  // namespace horalia::platform

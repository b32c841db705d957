#include "src/console/duration.h"

#include <QRegularExpression>

namespace horalia::console {

std::optional<qint64> parseDuration(const QString& text) {
    static const QRegularExpression whole(QStringLiteral("^(?:\\d{1,9}[dhms])+$"));
    static const QRegularExpression part(QStringLiteral("(\\d{1,9})([dhms])"));
    if (!whole.match(text).hasMatch()) {
        return std::nullopt;
    }
    constexpr qint64 kMaxMs = 366LL * 24 * 3600 * 1000;
    qint64 total = 0;
    for (const QRegularExpressionMatch& m : part.globalMatch(text)) {
        qint64 n = m.captured(1).toLongLong();
        switch (m.captured(2).at(0).unicode()) {
            case 'd':
                n *= 24 * 3600 * 1000LL;
                break;
            case 'h':
                n *= 3600 * 1000LL;
                break;
            case 'm':
                n *= 60 * 1000LL;
                break;
            default:
                n *= 1000;
                break;
        }
        total += n;
        if (total > kMaxMs) {
            return std::nullopt;
        }
    }
    return total;
}

}  // namespace horalia::console

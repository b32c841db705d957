// Spans of time on the command line: "90m", "24h", "30s", "2d", or several joined ("1h30m").
#pragma once

#include <QString>
#include <optional>

namespace horalia::console {

// Milliseconds, or nullopt for text that is not a span of at most 366 days.
std::optional<qint64> parseDuration(const QString& text);

}  // namespace horalia::console

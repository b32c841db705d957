// The two web sites the program opens: its own, and its sister product's.
#pragma once

#include <QString>

namespace horalia::about {

inline const QString kProductWebSite = QStringLiteral("https://horalia-deluxe.github.io/");
inline const QString kSisterWebSite = QStringLiteral("https://horalia-deluxe.github.io/calendar/");

}  // namespace horalia::about

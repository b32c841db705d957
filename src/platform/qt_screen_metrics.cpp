#include "src/platform/qt_screen_metrics.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace horalia::platform {

namespace {

QScreen* primary() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen()
                                                                        : nullptr;
}

int twipsPerPixel(double dpi) {
    if (!(dpi >= 24.0 && dpi <= 1440.0)) {
        return 15;
    }
    return std::max(1, static_cast<int>(std::lround(1440.0 / dpi)));
}

}  // namespace

int QtScreenMetrics::widthPixels() const {
    QScreen* screen = primary();
    return screen != nullptr ? screen->geometry().width() : 1024;
}

int QtScreenMetrics::heightPixels() const {
    QScreen* screen = primary();
    return screen != nullptr ? screen->geometry().height() : 768;
}

int QtScreenMetrics::twipsPerPixelX() const {
    QScreen* screen = primary();
    return twipsPerPixel(screen != nullptr ? screen->logicalDotsPerInchX() : 96.0);
}

int QtScreenMetrics::twipsPerPixelY() const {
    QScreen* screen = primary();
    return twipsPerPixel(screen != nullptr ? screen->logicalDotsPerInchY() : 96.0);
}

QList<Monitor> QtScreenMetrics::monitors() const {
    QList<Monitor> out;
    QScreen* first = primary();
    if (first == nullptr) {
        return out;
    }
    out.append({first->geometry(), first->availableGeometry()});
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != first) {
            out.append({screen->geometry(), screen->availableGeometry()});
        }
    }
    return out;
}

}  // namespace horalia::platform

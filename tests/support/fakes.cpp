#include "tests/support/fakes.h"

namespace testsupport {

QString MemorySettings::read(const QString& section, const QString& key, const QString& defaultValue) const {
    ++reads;
    return values_.value(id(section, key), defaultValue);
}

bool MemorySettings::write(const QString& section, const QString& key, const QString& value) {
    values_.insert(id(section, key), value);
    writes.append(section + u'/' + key + u'=' + value);
    return true;
}

QDateTime at(int hour, int minute, int second) {
    return QDateTime(QDate(2026, 12, 6), QTime(hour, minute, second));
}

FakePlatform::FakePlatform(const QDateTime& start, int maxLatencyMs, quint32 seed)
    : clock(start, maxLatencyMs, seed) {}

}  // namespace testsupport

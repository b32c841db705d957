#include "tests/support/fakes.h"

namespace testsupport {

QString MemorySettings::read(const QString& section, const QString& key, const QString& defaultValue) const {
    ++reads;
    return values_.value(id(section, key), defaultValue);
}

agent::Status MemorySettings::write(const QString& section, const QString& key, const QString& value) {
    values_.insert(id(section, key), value);
    writes.append(section + u'/' + key + u'=' + value);
    return {};
}

horalia::platform::Answer ScriptedDialogs::messageBox(const QString& text, const QString& title,
                                                      int styleNumber) {
    boxes.append({text, title, styleNumber});
    if (!answers.isEmpty()) {
        return answers.takeFirst();
    }
    return (styleNumber & 0x0f) == horalia::platform::style::kYesNo ? horalia::platform::Answer::No
                                                                    : horalia::platform::Answer::Ok;
}

QString ScriptedDialogs::openFile(const QString& filter, const QString& initialFolder) {
    fileDialogs.append(filter + u'|' + initialFolder);
    return files.isEmpty() ? QString() : files.takeFirst();
}

QDateTime at(int hour, int minute, int second) {
    return QDateTime(QDate(2026, 12, 6), QTime(hour, minute, second));
}

FakePlatform::FakePlatform(const QDateTime& start, int maxLatencyMs, quint32 seed)
    : clock(start, maxLatencyMs, seed) {}

}  // namespace testsupport

#include "src/platform/file_filters.h"

#include <QRegularExpression>
#include <algorithm>

namespace horalia::platform {

namespace {

struct Counterpart {
    const char* windows;
    QStringList here;
    bool executablesOnly;
};

// Programs have no extension on Linux: any name, the execute bit decides. Scripts name their language.
const Counterpart kCounterparts[] = {
    {"*.exe", {QStringLiteral("*")}, true},
    {"*.com", {QStringLiteral("*")}, true},
    {"*.bat",
     {QStringLiteral("*.sh"), QStringLiteral("*.bash"), QStringLiteral("*.py"), QStringLiteral("*.pl")},
     false},
    {"*.cmd",
     {QStringLiteral("*.sh"), QStringLiteral("*.bash"), QStringLiteral("*.py"), QStringLiteral("*.pl")},
     false},
    {"*.pif", {QStringLiteral("*.desktop")}, false},
    {"*.lnk", {QStringLiteral("*.desktop")}, false},
};

void addPattern(FileFilter& filter, const QString& windowsPattern) {
    for (const Counterpart& c : kCounterparts) {
        if (windowsPattern.compare(QLatin1String(c.windows), Qt::CaseInsensitive) == 0) {
            for (const QString& p : c.here) {
                if (!filter.patterns.contains(p)) {
                    filter.patterns << p;
                }
            }
            filter.executablesOnly = filter.executablesOnly || c.executablesOnly;
            return;
        }
    }
    if (!filter.patterns.contains(windowsPattern)) {
        filter.patterns << windowsPattern;
    }
}

}  // namespace

QString FileFilter::nameFilter() const {
    return description + QStringLiteral(" (") + patterns.join(u' ') + u')';
}

bool FileFilter::lists(const QFileInfo& file) const {
    if (file.isDir()) {
        return true;
    }
    if (executablesOnly && !file.isExecutable()) {
        return false;
    }
    // Names compare with their case, as the file system and the file dialog's own name filters do.
    return std::any_of(patterns.begin(), patterns.end(), [&file](const QString& pattern) {
        return QRegularExpression::fromWildcard(pattern, Qt::CaseSensitive).match(file.fileName()).hasMatch();
    });
}

QList<FileFilter> fileFilters(const QString& windowsFilter) {
    const QStringList parts = windowsFilter.split(u'|');
    QList<FileFilter> filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        FileFilter filter;
        // The caption names the Windows patterns in brackets; the Linux ones take their place.
        const qsizetype bracket = parts[i].indexOf(u'(');
        filter.description = (bracket < 0 ? parts[i] : parts[i].left(bracket)).trimmed();
        for (const QString& pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            if (!pattern.trimmed().isEmpty()) {
                addPattern(filter, pattern.trimmed());
            }
        }
        if (!filter.patterns.isEmpty()) {
            filters << filter;
        }
    }
    return filters;
}

}  // namespace horalia::platform

// Fakes for the about box and the web page opener: text files in memory, a browser look-up with a set answer,
// and an about window that records what is done to it.
#pragma once

#include <QFile>
#include <QHash>
#include <QSet>
#include <QStringList>

#include "src/about/about_view.h"
#include "src/about/html_handler_finder.h"
#include "src/about/text_files.h"

namespace testsupport {

class MemoryTextFiles : public horalia::about::TextFiles {
public:
    agent::Status writeText(const QString& path, const QString& text) override {
        log << QStringLiteral("write ") + path;
        if (unwritable.contains(path)) {
            return agent::fail(QStringLiteral("cannot write ") + path);
        }
        files.insert(path, text);
        return {};
    }
    agent::Status remove(const QString& path) override {
        log << QStringLiteral("remove ") + path;
        return files.remove(path) == 0 ? agent::fail(QStringLiteral("no file ") + path) : agent::Status();
    }
    QHash<QString, QString> files;
    QSet<QString> unwritable;  // paths that cannot be written
    QStringList log;           // "write PATH", "remove PATH", in order
};

// Finds `answer` for any document that exists in `files`, like the desktop's look-up, which fails on a
// missing document.
class FakeHtmlHandlerFinder : public horalia::about::HtmlHandlerFinder {
public:
    explicit FakeHtmlHandlerFinder(MemoryTextFiles& files) : files_(files) {}
    std::optional<horalia::about::AssociatedProgram> findExecutable(const QString& documentPath) override {
        lookups << documentPath;
        const bool missing = !files_.files.contains(documentPath);
        contentsSeen << files_.files.value(documentPath);
        return missing ? std::nullopt : answer;
    }
    std::optional<horalia::about::AssociatedProgram> answer;
    QStringList lookups;       // the documents asked about
    QStringList contentsSeen;  // their contents at the time, "" when missing

private:
    MemoryTextFiles& files_;
};

// Reads the document from the disk at look-up time and finds no program: what was on the disk then is kept.
class DiskReadingFinder : public horalia::about::HtmlHandlerFinder {
public:
    std::optional<horalia::about::AssociatedProgram> findExecutable(const QString& documentPath) override {
        QFile file(documentPath);
        seen = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing");
        return std::nullopt;
    }
    QByteArray seen;  // "missing" when the document could not be read
};

class RecordingAboutView : public horalia::about::AboutView {
public:
    void setVersionText(const QString& text) override { log << QStringLiteral("version ") + text; }
    void showWindow() override { log << QStringLiteral("show"); }
    QStringList log;
};

}  // namespace testsupport

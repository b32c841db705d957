// Writes the fuzzers' seed corpus into the folder given: the test suite's sample character stored with
// images compressed and plain, a variant without the optional blocks, and version 1.5 characters in
// compound documents (one with sounds, branches and mouths, one with a FAT long enough for DIFAT sectors).
#include "agent/format/acs_writer.h"
#include "tests/agent/format/acs15_builder.h"
#include "tests/agent/format/sample_character.h"

#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(dir.path());
    agent::format::CharacterData bare = formattest::sampleCharacter();
    bare.info.voice.reset();
    bare.info.balloon.reset();
    bare.info.trayIcon.reset();
    const struct {
        const char* name;
        agent::format::CharacterData data;
        agent::format::WriteOptions options;
    } seeds[] = {
        {"sample-compressed.acs", formattest::sampleCharacter(), {true, true}},
        {"sample-plain.acs", formattest::sampleCharacter(), {false, false}},
        {"bare-compressed.acs", bare, {true, false}},
    };
    for (const auto& s : seeds) {
        if (const agent::Status saved =
                agent::format::saveCharacter(dir.filePath(QLatin1String(s.name)), s.data, s.options);
            !saved) {
            std::fprintf(stderr, "make_seeds: %s\n", qPrintable(saved.error()));
            return 1;
        }
    }
    const formattest::Acs15Recipe tiny = formattest::tinyCharacter();
    const struct {
        const char* name;
        QByteArray bytes;
    } documents[] = {
        {"tiny-v15.acs", formattest::buildAcs15(tiny)},
        {"tiny-v15-difat.acs", formattest::buildCompoundFile(formattest::acs15Streams(tiny), nullptr, 120)},
    };
    for (const auto& d : documents) {
        QFile file(dir.filePath(QLatin1String(d.name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(d.bytes) != d.bytes.size()) {
            std::fprintf(stderr, "make_seeds: cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    return 0;
}

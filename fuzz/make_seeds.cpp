// Writes the fuzzers' seed corpus into the folder given: the test suite's sample character stored with
// images compressed and plain, and a variant without the optional blocks.
#include "agent/format/acs_writer.h"
#include "tests/agent/format/sample_character.h"

#include <QDir>

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
        QString error;
        if (!agent::format::saveCharacter(dir.filePath(QLatin1String(s.name)), s.data, s.options, &error)) {
            std::fprintf(stderr, "make_seeds: %s\n", qPrintable(error));
            return 1;
        }
    }
    return 0;
}

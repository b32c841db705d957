// acsbuild: draws a character from its animation file and writes the .acs file.
//   acsbuild -o OUT.acs FILE.anim
#include "agent/format/acs_writer.h"
#include "character_builder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("acsbuild"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Builds a character (.acs) file from an animation file."));
    parser.addHelpOption();
    QCommandLineOption output(QStringLiteral("o"), QStringLiteral("The character file to write."),
                              QStringLiteral("OUT"));
    parser.addOption(output);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The animation file."));
    parser.process(app);

    QTextStream err(stderr);
    if (parser.positionalArguments().size() != 1 || !parser.isSet(output)) {
        err << "usage: acsbuild -o OUT.acs FILE.anim\n";
        return 2;
    }
    const QString path = parser.positionalArguments().first();
    QString error;
    art::CharacterSource source;
    if (!art::readAnimationFile(path, &source, &error)) {
        err << path << ": " << error << "\n";
        return 1;
    }
    agent::format::CharacterData character;
    art::BuildStats stats;
    if (!art::buildCharacter(source, &character, &stats, &error)) {
        err << path << ": " << error << "\n";
        return 1;
    }
    if (const agent::Status saved = agent::format::saveCharacter(parser.value(output), character, {});
        !saved) {
        err << parser.value(output) << ": " << saved.error() << "\n";
        return 1;
    }
    err << "acsbuild: " << source.name << ": " << character.animations.size() << " animations, "
        << stats.frames << " frames, " << stats.images << " images, " << stats.overlays
        << " mouth overlays\n";
    return 0;
}

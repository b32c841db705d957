// The console engine loads a character from its file as the desktop engine does: the name, description and
// size are the file's, and a missing or bad file is refused with the desktop engine's error, leaving the id
// free.
#include "agent/console/console_control.h"
#include "agent/format/acs_writer.h"
#include "agent/listen/recognizer.h"
#include "tests/agent/format/acs15_builder.h"
#include "tests/agent/format/sample_character.h"
#include "tests/support/recording_sink.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using agent::console::ConsoleControl;

namespace {

class ConsoleCharacters : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(
            agent::format::saveCharacter(folder.filePath("Sample.acs"), formattest::sampleCharacter(), {}));
        for (const auto& [name, bytes] :
             {std::pair{"TINY.ACS", formattest::buildAcs15(formattest::tinyCharacter())},
              {"bad.acs", QByteArray(600, 'x')}}) {
            QFile file(folder.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
    }
    QTemporaryDir folder;
    testsupport::RecordingSink sink;
    ConsoleControl control{"Agent1", sink, agent::console::characterFiles({folder.path()})};
};

// The console mode's own runs load the program's characters by name and report a missing file; the sample
// character written here is the newer version.
TEST_F(ConsoleCharacters, WhatTheFileSaysOfEachVersionAndABadFileIsRefusedLeavingTheIdFree) {
    // An older version's file, found whatever the case of its name.
    const agent::Status loaded = control.load("Tiny", "tiny.acs");
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
    const agent::Character* c = control.item("TINY");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(std::tuple(c->name(), c->description(), c->width(), c->height()),
              std::tuple("Tiny", "A character for tests", 8, 6));

    sink.lines.clear();
    const agent::Status bad = control.load("Agent", "bad.acs");
    EXPECT_TRUE(
        bad.error().startsWith(QString("cannot load %1/bad.acs: not a character file").arg(folder.path())))
        << bad.error().toStdString();
    EXPECT_EQ(control.item("Agent"), nullptr);
    // Whatever the program asks of the id later reaches no character.
    control.chooseCommand("Agent", "Hello");
    EXPECT_EQ(control.hear("Agent", "hello").error(), R"(no character "Agent" is loaded)");
    EXPECT_EQ(sink.lines, QStringList{R"(Agent1 Load "Agent" "bad.acs")"});
    EXPECT_TRUE(control.load("Agent", "Sample.acs"));
    EXPECT_EQ(control.load("agent", "tiny.acs").error(), "the id \"agent\" is in use");
    EXPECT_EQ(control.item("agent")->name(), "Sample");
}

// A phrase said to a character reaches it through the engine, as the microphone's would on the desktop: the
// recognizer's verdict is printed and the command understood is chosen.
TEST_F(ConsoleCharacters, APhraseSaidToACharacterChoosesItsCommand) {
    if (const agent::Status model = agent::listen::RecognizerModel::installed().complete(); !model) {
        GTEST_SKIP() << model.error().toStdString();
    }
    ASSERT_TRUE(control.load("Agent", "sample.acs"));
    QStringList chosen;
    control.setCommandHandler([&](const agent::UserInput& in) { chosen << in.characterId + ":" + in.name; });
    control.item("Agent")->addCommand({"Date", "What is the date", "what is the date"});
    control.item("Agent")->addCommand({"Shut", "Be quiet", "be quiet"});
    sink.lines.clear();
    ASSERT_TRUE(control.hear("Agent", "what is the date"));
    ASSERT_EQ(sink.lines.size(), 1);
    EXPECT_TRUE(sink.lines[0].startsWith(R"(Agent1 Heard "what is the date" "Date" )"))
        << sink.lines[0].toStdString();
    EXPECT_EQ(chosen, QStringList{"Agent:Date"});
}

}  // namespace

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
        QFile older(folder.filePath("TINY.ACS"));
        ASSERT_TRUE(older.open(QIODevice::WriteOnly));
        older.write(formattest::buildAcs15(formattest::tinyCharacter()));
        QFile bad(folder.filePath("bad.acs"));
        ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
        bad.write(QByteArray(600, 'x'));
    }
    QTemporaryDir folder;
    testsupport::RecordingSink sink;
    ConsoleControl control{"Agent1", sink, agent::console::characterFiles({folder.path()})};
};

TEST_F(ConsoleCharacters, WhatTheFileSaysOfEachVersion) {
    const struct {
        const char* id;
        QString file;
        const char* name;
        const char* description;
        int width, height;
    } table[] = {
        {"one", "sample.acs", "Sample", "A test character", 12, 9},
        {"two", "tiny.acs", "Tiny", "A character for tests", 8, 6},
        {"three", folder.filePath("Sample.acs"), "Sample", "A test character", 12, 9},
    };
    for (const auto& t : table) {
        SCOPED_TRACE(t.id);
        const agent::Status loaded = control.load(t.id, t.file);
        ASSERT_TRUE(loaded) << loaded.error().toStdString();
        const agent::Character* c = control.item(QString(t.id).toUpper());
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->name(), t.name);
        EXPECT_EQ(c->description(), t.description);
        EXPECT_EQ(c->width(), t.width);
        EXPECT_EQ(c->height(), t.height);
    }
}

TEST_F(ConsoleCharacters, AMissingOrBadFileIsRefusedAndTheIdStaysFree) {
    const struct {
        const char* file;
        const char* error;
    } table[] = {
        {"nobody.acs", "cannot load %1/nobody.acs: "},
        {"bad.acs", "cannot load %1/bad.acs: not a character file"},
    };
    for (const auto& t : table) {
        SCOPED_TRACE(t.file);
        sink.lines.clear();
        const agent::Status loaded = control.load("Agent", t.file);
        ASSERT_FALSE(loaded);
        EXPECT_TRUE(loaded.error().startsWith(QString(t.error).arg(folder.path())))
            << loaded.error().toStdString();
        EXPECT_EQ(control.item("Agent"), nullptr);
        // Whatever the program asks of the id later reaches no character.
        control.chooseCommand("Agent", "Hello");
        EXPECT_EQ(control.hear("Agent", "hello").error(), R"(no character "Agent" is loaded)");
        EXPECT_EQ(sink.lines, QStringList{QString(R"(Agent1 Load "Agent" "%1")").arg(t.file)});
    }
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

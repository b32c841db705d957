// Finding a character by the name a program gives, opening it, and choosing its name in the user's language.
#include "agent/format/character_folder.h"
#include "agent/format/acs_writer.h"
#include "agent/format/user_language.h"
#include "tests/agent/format/sample_character.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace agent::format;

namespace {

// A bare name is looked for in the user's folder, then the shipped copies, whatever its case; a path is taken
// as it is.
TEST(CharacterFolder, TheUsersFolderFirstThenTheShippedCopies) {
    QTemporaryDir user;
    QTemporaryDir shipped;
    ASSERT_TRUE(saveCharacter(shipped.filePath("max.acs"), formattest::sampleCharacter(), {}));
    ASSERT_TRUE(saveCharacter(shipped.filePath("plany.acs"), formattest::sampleCharacter(), {}));
    ASSERT_TRUE(saveCharacter(user.filePath("Plany.acs"), formattest::sampleCharacter(), {}));
    const QStringList both{user.path(), shipped.path()};
    const struct {
        QStringList folders;
        QString name, path;
    } table[] = {
        {both, "max.acs", shipped.filePath("max.acs")},
        {both, "plany.acs", user.filePath("Plany.acs")},
        {both, "other.acs", user.filePath("other.acs")},
        {both, "/elsewhere/max.acs", "/elsewhere/max.acs"},
        {{}, "max.acs", "max.acs"},
    };
    for (const auto& t : table) {
        EXPECT_EQ(characterPath(t.folders, t.name), t.path) << t.name.toStdString();
    }
    const auto opened = openCharacter(both, "PLANY.acs");
    ASSERT_TRUE(opened) << opened.error().toStdString();
    EXPECT_EQ((*opened)->info().width, 12);
    const auto missing = openCharacter(both, "other.acs");
    ASSERT_FALSE(missing);
    EXPECT_TRUE(missing.error().startsWith("cannot load " + user.filePath("other.acs")))
        << missing.error().toStdString();
}

TEST(UserLanguage, LocalizedInfoForTheUsersLanguageThenEnglishThenTheFirst) {
    EXPECT_EQ(langIdForLocale(QLocale("en_GB")), 0x0809);
    EXPECT_EQ(langIdForLocale(QLocale("pt_BR")), 0x0416);

    CharacterData c = formattest::sampleCharacter();
    c.info.localized = {
        {0x040c, "Le Génie", "fr", ""}, {0x0409, "Genie", "en", ""}, {0x0807, "Geist", "de-ch", ""}};
    AcsFile file;
    ASSERT_TRUE(file.loadData(writeCharacter(c, {}).valueOr({})));
    auto nameFor = [&](const char* locale) { return localizedFor(file, QLocale(locale))->name; };
    EXPECT_EQ(nameFor("fr_FR"), "Le Génie");
    EXPECT_EQ(nameFor("de_DE"), "Geist") << "the same language from another country";
    EXPECT_EQ(nameFor("ja_JP"), "Genie");
    c.info.localized = {{0x040c, "Le Génie", "fr", ""}, {0x0407, "Geist", "de", ""}};
    ASSERT_TRUE(file.loadData(writeCharacter(c, {}).valueOr({})));
    EXPECT_EQ(nameFor("ja_JP"), "Le Génie");
}

}  // namespace

// Finding a character by the name a program gives, opening it, and choosing its name in the user's language.
#include "agent/format/character_folder.h"
#include "agent/format/acs_writer.h"
#include "agent/format/user_language.h"
#include "tests/agent/format/sample_character.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace agent::format;

namespace {

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

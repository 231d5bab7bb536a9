#include "text/translator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/messages.h"
#include "text_test_support.h"

namespace kinemo {
namespace {

using testing::dataPath;
using testing::TextTest;

using Registry = TextTest;

TEST_F(Registry, StartsWithTheFourLanguagesInTheirInitialOrder) {
    EXPECT_EQ(Translator::languageNames(), (std::vector<std::string>{"Deutsch", "Francais", "Italiano", "English"}));
    EXPECT_EQ(Translator::languageCount(), 4);
    EXPECT_EQ(Translator::currentLanguage(), "Deutsch");
}

TEST_F(Registry, FindsLanguagesWithoutRegardToCase) {
    EXPECT_EQ(Translator::languageIndex("english"), 3);
    EXPECT_EQ(Translator::languageIndex("Klingon"), -1);
    EXPECT_FALSE(Translator::languageName(4));
    EXPECT_FALSE(Translator::languageName(-1));
}

TEST_F(Registry, MovesTheWordTableWithItsLanguage) {
    Translator::moveLanguage("Francais", 0);
    EXPECT_EQ(Translator::languageNames(), (std::vector<std::string>{"Francais", "Deutsch", "Italiano", "English"}));
    EXPECT_EQ(Translator::translateTo("Table of contents", "Francais"), "Table des mati\xE8res");
    Translator::moveLanguage("Francais", 3);
    EXPECT_EQ(Translator::languageNames(), (std::vector<std::string>{"Deutsch", "Italiano", "English", "Francais"}));
    EXPECT_EQ(Translator::translateTo("Safety notes", "Italiano"), "Note di sicurezza");
    EXPECT_EQ(Translator::translateTo("Safety notes", "Deutsch"), "Sicherheitshinweise");
}

TEST_F(Registry, ReportsAndIgnoresAMoveOfAnUnknownLanguageOrToAPositionOutsideTheList) {
    Translator::moveLanguage("Klingon", 0);
    EXPECT_TRUE(reported("Cannot acces language Klingon"));
    Translator::moveLanguage("English", 4);
    Translator::moveLanguage("English", -1);
    EXPECT_EQ(Translator::languageNames(), (std::vector<std::string>{"Deutsch", "Francais", "Italiano", "English"}));
    EXPECT_EQ(Translator::translateTo("Invert:", "Italiano"), "Invertire:");
}

TEST_F(Registry, TranslatesInterfaceWordsThroughTheEmptyEnglishTable) {
    EXPECT_EQ(Translator::translate("Table of contents"), "Table of contents");
    EXPECT_EQ(Translator::translateTo("Table of contents", "Deutsch"), "Inhalt");
    EXPECT_EQ(Translator::translateTo("Unlisted", "Deutsch"), "Unlisted");
    EXPECT_EQ(Translator::translateTo("Inhalt", "Klingon"), "no translation");
}

TEST_F(Registry, EnablesKnownLanguagesAndReportsUnknownOnes) {
    Translator::enableLanguage("Italiano");
    EXPECT_TRUE(Translator::isLanguageEnabled("Italiano"));
    EXPECT_FALSE(Translator::isLanguageEnabled("Deutsch"));
    Translator::enableLanguage("Klingon");
    EXPECT_TRUE(reported("Cannot enable language Klingon"));
    Translator::disableAllLanguages();
    EXPECT_FALSE(Translator::isLanguageEnabled("Italiano"));
}

TEST(LanguageForLocale, MapsThePrimaryLanguageOfTheLocale) {
    EXPECT_EQ(Translator::languageForLocale("de_DE.UTF-8"), "Deutsch");
    EXPECT_EQ(Translator::languageForLocale("de_CH"), "Deutsch");
    EXPECT_EQ(Translator::languageForLocale("fr_FR@euro"), "Francais");
    EXPECT_EQ(Translator::languageForLocale("it"), "Italiano");
    EXPECT_EQ(Translator::languageForLocale("C"), "English");
    EXPECT_EQ(Translator::languageForLocale("POSIX"), "English");
    EXPECT_EQ(Translator::languageForLocale("es_ES"), "English");
    EXPECT_EQ(Translator::languageForLocale(""), "English");
}

// Sets an environment variable for the lifetime of the object.
class EnvironmentValue {
public:
    EnvironmentValue(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~EnvironmentValue() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(SystemLanguage, PrefersLcAllOverLcMessagesOverLang) {
    EnvironmentValue lang("LANG", "it_IT.UTF-8");
    EnvironmentValue messages("LC_MESSAGES", "fr_FR.UTF-8");
    {
        EnvironmentValue all("LC_ALL", "de_AT.UTF-8");
        EXPECT_EQ(Translator::systemLanguage(), "Deutsch");
    }
    EnvironmentValue all("LC_ALL", nullptr);
    EXPECT_EQ(Translator::systemLanguage(), "Francais");
    EnvironmentValue noMessages("LC_MESSAGES", "");
    EXPECT_EQ(Translator::systemLanguage(), "Italiano");
}

using StartupLanguageFile = TextTest;

TEST_F(StartupLanguageFile, MakesItsFirstWordTheCurrentLanguageAndEnablesIt) {
    ASSERT_TRUE(Translator::readStartupLanguageFile(dataPath("zzzla_english")));
    EXPECT_EQ(Translator::currentLanguage(), "English");
    EXPECT_TRUE(Translator::isLanguageEnabled("English"));
}

TEST_F(StartupLanguageFile, IgnoresAMissingFileAndAWordShorterThanTwoCharacters) {
    EXPECT_FALSE(Translator::readStartupLanguageFile(dataPath("no_such_zzzla")));
    EXPECT_FALSE(Translator::readStartupLanguageFile(dataPath("zzzla_short")));
    EXPECT_EQ(Translator::currentLanguage(), "Deutsch");
}

using LanguageDefinitions = TextTest;

TEST_F(LanguageDefinitions, WritesOneLinePerLanguageInRegistryOrder) {
    Translator::moveLanguage("English", 0);
    std::string out;
    Translator::writeLanguageDefinitions(out);
    EXPECT_EQ(out,
              "\n# <kmxLANGUAGEDEF id = \"0\" name = \"English\" />"
              "\n# <kmxLANGUAGEDEF id = \"1\" name = \"Deutsch\" />"
              "\n# <kmxLANGUAGEDEF id = \"2\" name = \"Francais\" />"
              "\n# <kmxLANGUAGEDEF id = \"3\" name = \"Italiano\" />\n\n\n");
}

TEST_F(LanguageDefinitions, RestoreTheSavedOrderWhateverTheOrderBefore) {
    Translator::moveLanguage("Italiano", 0);
    Translator::moveLanguage("English", 1);
    std::string saved;
    Translator::writeLanguageDefinitions(saved);
    const std::vector<std::string> savedOrder = Translator::languageNames();

    Translator::resetToStartupState();
    Translator::moveLanguage("Francais", 0);
    EXPECT_TRUE(Translator::readLanguageDefinitions(saved + "# </kmxDEFINITION>"));
    EXPECT_EQ(Translator::languageNames(), savedOrder);
    std::string again;
    Translator::writeLanguageDefinitions(again);
    EXPECT_EQ(again, saved);
}

TEST_F(LanguageDefinitions, StopAtTheEndOfTheDefinitionsBlock) {
    const std::string block =
        "\n# <kmxLANGUAGEDEF id = \"0\" name = \"Italiano\" />\n# </kmxDEFINITION>"
        "\n# <kmxLANGUAGEDEF id = \"0\" name = \"English\" />";
    Translator::readLanguageDefinitions(block);
    EXPECT_EQ(Translator::languageName(0), "Italiano");
}

TEST_F(LanguageDefinitions, NeverTakeAMissingAttributeFromTheNextDefinition) {
    const std::string block =
        "\n# <kmxLANGUAGEDEF name = \"English\" >"
        "\n# <kmxLANGUAGEDEF id = \"0\" name = \"Italiano\" />\n# </kmxDEFINITION>";
    Translator::readLanguageDefinitions(block);
    EXPECT_EQ(Translator::languageNames(), (std::vector<std::string>{"Italiano", "Deutsch", "Francais", "English"}));
    EXPECT_TRUE(reported("Cannot move language English to position -1"));
}

TEST_F(LanguageDefinitions, KeepNamesWithTheirTablesWhenAPositionIsOutOfRange) {
    const std::string block =
        "\n# <kmxLANGUAGEDEF id = \"7\" name = \"Deutsch\" />"
        "\n# <kmxLANGUAGEDEF id = \"2\" name = \"Klingon\" />\n# </kmxDEFINITION>";
    Translator::readLanguageDefinitions(block);
    EXPECT_EQ(Translator::languageNames(), (std::vector<std::string>{"Deutsch", "Francais", "Italiano", "English"}));
    EXPECT_EQ(Translator::translateTo("Table of contents", "Deutsch"), "Inhalt");
    EXPECT_TRUE(reported("Cannot acces language Klingon"));
}

TEST_F(LanguageDefinitions, ReadTheDefinitionsOfAStoredFile) {
    std::ifstream file(dataPath("definitions_english_first.txt"), std::ios::binary);
    const std::string block((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(block.empty());
    EXPECT_TRUE(Translator::readLanguageDefinitions(block));
    EXPECT_EQ(Translator::languageNames(), (std::vector<std::string>{"English", "Deutsch", "Francais", "Italiano"}));
}

using ChangeLanguage = TextTest;

TEST_F(ChangeLanguage, RefreshesTheViewsWithTheNewLanguage) {
    std::vector<std::string> seen;
    const int handle = Translator::addLanguageChangedHandler([&](const std::string& name) { seen.push_back(name); });
    Translator::changeLanguage("Deutsch", "English", false);
    EXPECT_EQ(Translator::currentLanguage(), "English");
    Translator::changeLanguage("English", "English", false);
    Translator::changeLanguage("English", "English", true);
    Translator::removeLanguageChangedHandler(handle);
    Translator::changeLanguage("English", "Italiano", false);
    EXPECT_EQ(seen, (std::vector<std::string>{"English", "English"}));
}

using LanguageMenu = TextTest;

TEST_F(LanguageMenu, ListsEveryLanguageWithTheCurrentOneChecked) {
    Translator::setCurrentLanguage("Italiano");
    const kinemo::LanguageMenu menu = Translator::buildLanguageMenu();
    ASSERT_EQ(menu.languages.size(), 4u);
    EXPECT_EQ(menu.languages[0].commandId, 35000);
    EXPECT_EQ(menu.languages[2].name, "Italiano");
    EXPECT_TRUE(menu.languages[2].checked);
    EXPECT_FALSE(menu.languages[0].checked);
    EXPECT_EQ(menu.moveToTopText, "Move Language To Top");
}

TEST_F(LanguageMenu, SelectingALanguageChangesItAndSaysSo) {
    EXPECT_TRUE(Translator::runLanguageMenuCommand(35003));
    EXPECT_EQ(Translator::currentLanguage(), "English");
    EXPECT_EQ(lastStatusText(), "Language changed");
    EXPECT_FALSE(Translator::runLanguageMenuCommand(34999));
}

TEST_F(LanguageMenu, MoveToTopPutsTheCurrentLanguageFirst) {
    Translator::setCurrentLanguage("English");
    const kinemo::LanguageMenu menu = Translator::buildLanguageMenu();
    EXPECT_TRUE(Translator::runLanguageMenuCommand(menu.moveToTopCommandId));
    EXPECT_EQ(Translator::languageName(0), "English");
}

}  // namespace
}  // namespace kinemo

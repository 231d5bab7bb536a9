#include "text/text_exchange.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "text/text_holder.h"
#include "text/translator.h"
#include "text_test_support.h"

namespace kinemo {
namespace {

using testing::dataPath;
using testing::TextTest;

class TextExchange : public TextTest {
protected:
    void SetUp() override {
        TextTest::SetUp();
        holders_[10].addTranslation("Kapitel\r\nzwei Zeilen", "Deutsch");
        holders_[11].addTranslation("Pos. #3 \"quoted\" \xE4\xFC", "Deutsch");
        holders_[12].addTranslation("", "Deutsch");
        holders_[13].addTranslation("nur englisch", "English");
    }

    std::vector<TextExchangeEntry> entries() {
        std::vector<TextExchangeEntry> list;
        for (auto& [id, holder] : holders_) list.push_back({id, &holder});
        return list;
    }

    TextHolderLookup lookup() {
        return [this](int id) -> TextHolder* {
            auto it = holders_.find(id);
            return it == holders_.end() ? nullptr : &it->second;
        };
    }

    std::string textOf(int id, std::string_view language) {
        const TranslatedText* text = holders_[id].findText(language);
        return text ? text->text() : std::string("<none>");
    }

    std::map<int, TextHolder> holders_;
};

TEST_F(TextExchange, WritesEachHoldersTextInTheCurrentLanguageRaw) {
    const std::string file = exportTexts(entries());
    EXPECT_EQ(
        file,
        "<KMXML>"
        "\n<kmxTEXT id = \"10\">\n<kmxLANGUAGE direction = \"f\">Kapitel\r\nzwei Zeilen</kmxLANGUAGE>\n</kmxTEXT>\n"
        "\n<kmxTEXT id = \"11\">\n<kmxLANGUAGE direction = \"f\">Pos. #3 \"quoted\" \xE4\xFC</kmxLANGUAGE>"
        "\n</kmxTEXT>\n"
        "\n<kmxTEXT id = \"12\">\n</kmxTEXT>\n"
        "\n</KMXML>");
}

TEST_F(TextExchange, ImportIntoAnotherLanguageCopiesTheTextsAndLeavesTheSourceAlone) {
    const std::string file = exportTexts(entries());
    Translator::setCurrentLanguage("Italiano");
    importTexts(file, lookup());
    EXPECT_EQ(textOf(10, "Italiano"), "Kapitel\r\nzwei Zeilen");
    EXPECT_EQ(textOf(11, "Italiano"), "Pos. #3 \"quoted\" \xE4\xFC");
    EXPECT_EQ(textOf(12, "Italiano"), "");
    EXPECT_EQ(textOf(13, "Italiano"), "<none>");
    EXPECT_EQ(textOf(10, "Deutsch"), "Kapitel\r\nzwei Zeilen");
    EXPECT_EQ(textOf(12, "Deutsch"), "");
    EXPECT_EQ(exportTexts(entries()), file);
}

TEST_F(TextExchange, ExportImportExportIsIdentical) {
    const std::string first = exportTexts(entries());
    importTexts(first, lookup());
    EXPECT_EQ(exportTexts(entries()), first);
}

TEST_F(TextExchange, ReplacesTheTextOfTheCurrentLanguage) {
    Translator::setCurrentLanguage("English");
    importTexts(
        "<KMXML>\n<kmxTEXT id = \"13\">\n<kmxLANGUAGE direction = \"d\">translated</kmxLANGUAGE>\n</kmxTEXT>\n"
        "</KMXML>",
        lookup());
    EXPECT_EQ(textOf(13, "English"), "translated");
    EXPECT_EQ(holders_[13].texts().size(), 1u);
}

TEST_F(TextExchange, ReportsABlockWhoseHolderIsGoneAndChangesNothing) {
    importTexts(
        "<KMXML>\n<kmxTEXT id = \"99\">\n<kmxLANGUAGE direction = \"f\">orphan</kmxLANGUAGE>\n</kmxTEXT>"
        "</KMXML>",
        lookup());
    EXPECT_TRUE(reported("The textobject for translation does no longer exist (id 99 was not found, text: orphan)"));
    for (auto& [id, holder] : holders_) EXPECT_EQ(holder.findText("Deutsch") != nullptr, id != 13) << id;
    EXPECT_EQ(textOf(13, "Deutsch"), "<none>");
}

TEST_F(TextExchange, LooksForTheLanguageOnlyInsideItsBlock) {
    Translator::setCurrentLanguage("Francais");
    importTexts(
        "<KMXML>\n<kmxTEXT id = \"10\">\n</kmxTEXT>\n"
        "<kmxTEXT id = \"11\">\n<kmxLANGUAGE direction = \"f\">onze</kmxLANGUAGE>\n</kmxTEXT></KMXML>",
        lookup());
    EXPECT_EQ(textOf(10, "Francais"), "");
    EXPECT_EQ(textOf(11, "Francais"), "onze");
}

TEST_F(TextExchange, RefreshesTheViewsAfterImport) {
    int refreshed = 0;
    Translator::addLanguageChangedHandler([&](const std::string&) { ++refreshed; });
    importTexts("<KMXML></KMXML>", lookup());
    EXPECT_EQ(refreshed, 1);
}

TEST_F(TextExchange, ReadsATranslatorsFile) {
    Translator::setCurrentLanguage("Francais");
    ASSERT_TRUE(importTextsFromFile(dataPath("translation_fr.kmxml"), lookup()));
    EXPECT_EQ(textOf(10, "Francais"), "Chapitre\r\ndeux lignes");
    EXPECT_EQ(textOf(11, "Francais"), "Pos. #3 \xE0 \"gauche\"");
}

TEST_F(TextExchange, WritesAFileAndReportsOneThatCannotBeOpened) {
    const std::string path = (std::filesystem::temp_directory_path() / "kinemo_text_exchange_test.kmxml").string();
    ASSERT_TRUE(exportTextsToFile(path, entries()));
    std::ifstream file(path, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, exportTexts(entries()));
    std::filesystem::remove(path);

    EXPECT_FALSE(exportTextsToFile("/nonexistent-dir/x.kmxml", entries()));
    EXPECT_TRUE(reported("Could not open for write file: /nonexistent-dir/x.kmxml"));
    EXPECT_FALSE(importTextsFromFile("/nonexistent-dir/x.kmxml", lookup()));
    EXPECT_TRUE(reported("Could not open for read file: /nonexistent-dir/x.kmxml"));
}

}  // namespace
}  // namespace kinemo

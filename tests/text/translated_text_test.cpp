#include "text/translated_text.h"

#include <gtest/gtest.h>

#include "text/translator.h"
#include "text_test_support.h"

namespace kinemo {
namespace {

using testing::TextTest;

using OneText = TextTest;

TEST_F(OneText, StartsAsASingleBlankWithoutLanguage) {
    TranslatedText text;
    EXPECT_EQ(text.text(), " ");
    EXPECT_FALSE(text.isEmpty());
    EXPECT_EQ(text.getLanguage(), "lanuageNULL");
    text.setLanguage("");
    EXPECT_EQ(text.getLanguage(), "noLanguage");
}

TEST_F(OneText, EnablesItsLanguageAndKeepsAnUnknownName) {
    TranslatedText text;
    text.setLanguage("Francais");
    EXPECT_TRUE(Translator::isLanguageEnabled("Francais"));
    text.setLanguage("Klingon");
    EXPECT_EQ(text.getLanguage(), "Klingon");
    EXPECT_TRUE(reported("Cannot enable language Klingon"));
}

TEST_F(OneText, AssignCopiesLanguageAndText) {
    TranslatedText source("English", "hello");
    TranslatedText target("Deutsch", "hallo");
    target.assign(source);
    EXPECT_EQ(target.getLanguage(), "English");
    EXPECT_EQ(target.text(), "hello");
}

TEST_F(OneText, ReadsTheTagFormInTheCurrentLanguageOrder) {
    Translator::moveLanguage("Italiano", 0);
    TranslatedText text;
    EXPECT_TRUE(text.readFromStringXML("<kmxLANGUAGE id = \"0\" direction = \"f\">ciao\n# mondo"));
    EXPECT_EQ(text.getLanguage(), "Italiano");
    EXPECT_EQ(text.text(), "ciao\r\nmondo");
}

TEST_F(OneText, TakesTheIdOnlyFromItsOwnTag) {
    TranslatedText text;
    EXPECT_TRUE(text.readFromStringXML("<kmxLANGUAGE direction = \"f\">see id = \"3\""));
    EXPECT_EQ(text.getLanguage(), "Deutsch");
    EXPECT_EQ(text.text(), "see id = \"3\"");
}

TEST_F(OneText, WritesTheBracketFormToAFile) {
    TranslatedText text("English", "a\r\nb");
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(text.writeToFile(file));
    std::rewind(file);
    char buffer[64] = {};
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, file);
    std::fclose(file);
    EXPECT_EQ(std::string(buffer, n), "\n# [English,f][\"a\r\n# b\"]");
}

TEST_F(OneText, StopsReadingTheBracketFormWhenTheLanguageReachesTheEnd) {
    TranslatedText text;
    const std::string block = "\n# [Deutsch,f][\"x\"]";
    EXPECT_FALSE(text.readFromString(block, 0, 8));
    const auto next = text.readFromString(block, 0, block.size());
    ASSERT_TRUE(next);
    EXPECT_EQ(*next, block.size());
    EXPECT_EQ(text.text(), "x");
}

}  // namespace
}  // namespace kinemo

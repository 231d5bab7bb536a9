#include "text/text_holder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "text/text_form.h"
#include "text/text_images.h"
#include "text/translator.h"
#include "text_test_support.h"

namespace kinemo {
namespace {

using testing::dataPath;
using testing::TextTest;

std::string readFixture(std::string_view name) {
    std::ifstream file(dataPath(name), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::string textOf(const TextHolder& holder, std::string_view language) {
    const TranslatedText* text = holder.findText(language);
    return text ? text->text() : std::string("<none>");
}

using TextFallback = TextTest;

TEST_F(TextFallback, ShowsTheFirstLanguageInRegistryOrderWhenTheCurrentOneIsMissing) {
    TextHolder holder;
    holder.addTranslation("english text", "English");
    holder.addTranslation("deutscher Text", "Deutsch");
    Translator::setCurrentLanguage("Francais");
    EXPECT_EQ(holder.displayText(), "deutscher Text");
    EXPECT_EQ(holder.defaultLanguage(), "Deutsch");

    Translator::setCurrentLanguage("English");
    Translator::runLanguageMenuCommand(Translator::buildLanguageMenu().moveToTopCommandId);
    Translator::setCurrentLanguage("Francais");
    EXPECT_EQ(holder.displayText(), "english text");
}

TEST_F(TextFallback, AnEmptyHolderGainsABlankTextInTheLanguageAskedFor) {
    TextHolder holder;
    ASSERT_NE(holder.getTranslatedText("Italiano"), nullptr);
    Translator::setCurrentLanguage("Italiano");
    EXPECT_EQ(holder.displayText(), " ");
    EXPECT_EQ(holder.texts().size(), 1u);
}

TEST_F(TextFallback, AHolderWithOtherTextsGainsNothingFromGetTranslatedText) {
    TextHolder holder;
    holder.addTranslation("x", "Deutsch");
    EXPECT_EQ(holder.getTranslatedText("English"), nullptr);
    EXPECT_EQ(holder.texts().size(), 1u);
    EXPECT_EQ(holder.getText("English"), " ");
    EXPECT_EQ(holder.texts().size(), 2u);
}

TEST_F(TextFallback, SaysNoTextAvailableWhenTheHolderHasNoTextAtAll) {
    TextHolder holder;
    EXPECT_EQ(holder.displayText(), "no text available");
    EXPECT_EQ(holder.defaultLanguage(), "noLang");
}

TEST_F(TextFallback, GivesTheAsciiFormOfTheDisplayText) {
    TextHolder holder;
    holder.addTranslation(
        "Gr\xF6\xDF"
        "e",
        "Deutsch");
    EXPECT_EQ(holder.asciiDisplayText(),
              "Groe\xDF"
              "e");
}

using HolderEditing = TextTest;

TEST_F(HolderEditing, KeepsOneTextPerLanguage) {
    TextHolder holder;
    holder.addIfNewLanguage(std::make_unique<TranslatedText>("Deutsch", "eins"));
    holder.addIfNewLanguage(std::make_unique<TranslatedText>("Deutsch", "zwei"));
    holder.addTranslation("drei", "Deutsch");
    ASSERT_EQ(holder.texts().size(), 1u);
    EXPECT_EQ(textOf(holder, "Deutsch"), "drei");
}

TEST_F(HolderEditing, PutsATextWithoutLanguageIntoTheCurrentOne) {
    Translator::setCurrentLanguage("Italiano");
    TextHolder holder;
    holder.addTranslation("ciao", std::nullopt);
    EXPECT_EQ(textOf(holder, "Italiano"), "ciao");
}

TEST_F(HolderEditing, CopiesEveryTextIntoACopy) {
    TextHolder holder;
    holder.addTranslation("a", "Deutsch");
    holder.addTranslation("b", "English");
    TextHolder copy(holder);
    holder.addTranslation("changed", "Deutsch");
    EXPECT_EQ(textOf(copy, "Deutsch"), "a");
    EXPECT_EQ(textOf(copy, "English"), "b");
}

TEST_F(HolderEditing, PrefixesTheInvertWordInEachTextsLanguage) {
    TextHolder holder;
    holder.addTranslation("x", "Deutsch");
    holder.addTranslation("x", "English");
    holder.prefixInvert();
    EXPECT_EQ(textOf(holder, "Deutsch"),
              "Folgenden Schritt r\xFC"
              "ckg\xE4"
              "ngig machen\nx");
    EXPECT_EQ(textOf(holder, "English"), "Invert:\nx");
}

using TagBlock = TextTest;

TEST_F(TagBlock, WritesATwoLineTextWithTheContinuationMark) {
    TextHolder holder;
    holder.addTranslation("a\r\nb", "Deutsch");
    std::string out;
    holder.writeTagBlock(out, 12);
    EXPECT_EQ(out,
              "\n# <kmxTEXT id = \"12\">"
              "\n# <kmxLANGUAGE id = \"0\" direction = \"f\">a\r\n# b</kmxLANGUAGE>"
              "\n# </kmxTEXT>");
    TextHolder read;
    int id = -1;
    EXPECT_EQ(read.readTagBlock(out.substr(1), id), out.size() - 1);
    EXPECT_EQ(id, 12);
    EXPECT_EQ(textOf(read, "Deutsch"), "a\r\nb");
}

TEST_F(TagBlock, LeavesOutEmptyTexts) {
    TextHolder holder;
    holder.addTranslation("", "Deutsch");
    holder.addTranslation("", "English");
    std::string out;
    holder.writeTagBlock(out, 3);
    EXPECT_EQ(out, "\n# <kmxTEXT id = \"3\">\n# </kmxTEXT>");
}

TEST_F(TagBlock, ReadsTabsAsBlanksAndLoneLineFeedsAsCrLf) {
    const std::string block = readFixture("tag_block_tab.txt");
    ASSERT_FALSE(block.empty());
    TextHolder holder;
    int id = -1;
    holder.readTagBlock(block, id);
    EXPECT_EQ(id, 5);
    EXPECT_EQ(textOf(holder, "Deutsch"), "a  b\r\nc");
}

TEST_F(TagBlock, NamesLanguagesByThePositionsOfTheFilesDefinitions) {
    const std::string file = readFixture("definitions_english_first.txt") + readFixture("tag_block_english_first.txt");
    Translator::readLanguageDefinitions(file);
    TextHolder holder;
    int id = -1;
    holder.readTagBlock(file.substr(file.find("<kmxTEXT")), id);
    EXPECT_EQ(textOf(holder, "English"), "first");
    EXPECT_EQ(textOf(holder, "Deutsch"), "zweite");
}

TEST_F(TagBlock, KeepsAHashTheUserTypedThroughSaveAndReload) {
    TextHolder holder;
    holder.addTranslation("Pos. #3\r\n#4 ##", "Deutsch");
    std::string out;
    holder.writeTagBlock(out, 1);
    TextHolder read;
    int id = -1;
    read.readTagBlock(out, id);
    EXPECT_EQ(textOf(read, "Deutsch"), "Pos. #3\r\n#4 ##");
}

TEST_F(TagBlock, ReportsAndLeavesOutATextInALanguageOutsideTheRegistry) {
    TextHolder holder;
    holder.addTranslation("tlhIngan", "Klingon");
    holder.addTranslation("deutsch", "Deutsch");
    std::string out;
    holder.writeTagBlock(out, 1);
    EXPECT_TRUE(reported("Problem in text saving, could not find language Klingon"));
    EXPECT_EQ(out.find("tlhIngan"), std::string::npos);
    TextHolder read;
    int id = -1;
    read.readTagBlock(out, id);
    ASSERT_EQ(read.texts().size(), 1u);
    EXPECT_EQ(textOf(read, "Deutsch"), "deutsch");
}

TEST_F(TagBlock, SkipsATextWhosePositionNamesNoLanguage) {
    TextHolder holder;
    int id = -1;
    holder.readTagBlock(
        "<kmxTEXT id = \"2\">\n# <kmxLANGUAGE id = \"9\" direction = \"f\">lost</kmxLANGUAGE>"
        "\n# <kmxLANGUAGE id = \"1\" direction = \"f\">fr</kmxLANGUAGE>\n# </kmxTEXT>",
        id);
    ASSERT_EQ(holder.texts().size(), 1u);
    EXPECT_EQ(textOf(holder, "Francais"), "fr");
    EXPECT_TRUE(reported("unknown language position 9"));
}

TEST_F(TagBlock, ReadsANegativePositionAsTheFirstLanguage) {
    TextHolder holder;
    int id = -1;
    holder.readTagBlock("<kmxTEXT id = \"2\"><kmxLANGUAGE id = \"-1\" direction = \"f\">x</kmxLANGUAGE></kmxTEXT>", id);
    EXPECT_EQ(textOf(holder, "Deutsch"), "x");
    EXPECT_TRUE(reported("Parser problem in readFromStringXML, no language ID detected"));
}

TEST_F(TagBlock, ReadsABlockHandedInRightAfterItsKeyword) {
    TextHolder holder;
    int id = -1;
    holder.readTagBlock(" id = \"8\">\n# <kmxLANGUAGE id = \"3\" direction = \"f\">en</kmxLANGUAGE>\n# </kmxTEXT>", id);
    EXPECT_EQ(id, 8);
    EXPECT_EQ(textOf(holder, "English"), "en");
}

TEST_F(TagBlock, KeepsTheIdWhenTheBlockGivesNone) {
    TextHolder holder;
    int id = 44;
    holder.readTagBlock("<kmxTEXT id = \"-1\"></kmxTEXT>", id);
    EXPECT_EQ(id, 44);
    holder.readTagBlock("<kmxTEXT></kmxTEXT>", id);
    EXPECT_EQ(id, 44);
}

TEST_F(TagBlock, ReportsAClosingLanguageTagWithoutItsStart) {
    TextHolder holder;
    int id = -1;
    const std::string block = "<kmxTEXT id = \"1\"> x</kmxLANGUAGE>\n# </kmxTEXT> after";
    EXPECT_EQ(holder.readTagBlock(block, id), block.find(" after"));
    EXPECT_TRUE(reported("Invalid KMX_LANGUAGE tag"));
    EXPECT_TRUE(holder.texts().empty());
}

TEST_F(TagBlock, ReportsAMissingEndAndStopsAtTheEndOfTheText) {
    TextHolder holder;
    int id = -1;
    const std::string block = "<kmxTEXT id = \"1\"><kmxLANGUAGE id = \"0\" direction = \"f\">x</kmxLANGUAGE>";
    EXPECT_EQ(holder.readTagBlock(block, id), block.size());
    EXPECT_TRUE(reported("Parser error in TextAnimationAtom->readFrom: missing </kmxTEXT>"));
    EXPECT_EQ(textOf(holder, "Deutsch"), "x");
}

TEST_F(TagBlock, FollowsTheTextFormFlag) {
    TextHolder holder;
    holder.addTranslation("x", "Deutsch");
    std::string tag;
    holder.writeTextBlock(tag, 1, "NEWGROUP");
    setTextTagForm(false);
    std::string bracket;
    holder.writeTextBlock(bracket, 1, "NEWGROUP");
    EXPECT_EQ(tag.rfind("\n# <kmxTEXT", 0), 0u);
    EXPECT_EQ(bracket, "\n\n# [ACTION>>NEWGROUP]\n# [Deutsch,f][\"x\"]\n# [END]");
}

using BracketBlock = TextTest;

TEST_F(BracketBlock, ReadsTheTextsOfAnOldFile) {
    setTextTagForm(false);
    const std::string file = readFixture("bracket_block.txt");
    const std::string body = file.substr(file.find("NEWGROUP]") + 9);
    TextHolder holder;
    int id = -1;
    const std::size_t end = holder.readTextBlock(body, id);
    EXPECT_EQ(body.substr(end, 1), "\n");
    EXPECT_EQ(textOf(holder, "Deutsch"), "Montage\r\nSchritt 1");
    EXPECT_EQ(textOf(holder, "English"), "Assembly");
    EXPECT_EQ(holder.texts().size(), 2u);
}

TEST_F(BracketBlock, ReportsAMissingEndMark) {
    TextHolder holder;
    EXPECT_EQ(holder.readBracketBlock("\n# [Deutsch,f][\"x\"]"), 0u);
    EXPECT_TRUE(reported("Parser error in TextAnimationAtom->readFrom: missing [END]"));
    EXPECT_TRUE(holder.texts().empty());
}

TEST_F(BracketBlock, MarksATextWithoutItsOpeningOrClosingQuote) {
    TextHolder holder;
    holder.readBracketBlock("\n# [Deutsch,f] no quote\n# [English,f][\"open\n# [END]");
    EXPECT_EQ(textOf(holder, "Deutsch"), "parser Error: missing [\"");
    EXPECT_EQ(textOf(holder, "English"), "parser Error: missing \"]");
}

TEST_F(BracketBlock, WritesAndReadsBackQuotesAndEndMarks) {
    TextHolder holder;
    holder.addTranslation("say \"]\" [END] #1", "Italiano");
    std::string out;
    holder.writeBracketBlock(out, "TEXT");
    TextHolder read;
    read.readBracketBlock(out.substr(out.find("TEXT]") + 5));
    EXPECT_EQ(textOf(read, "Italiano"), "say \"]\" [END] #1");
}

using TextImages = TextTest;

std::string imageText(std::string_view name) {
    return "see <kmxOLE_OBJECT sizex = \"10\" sizey = \"10\" name = \"" + std::string(name) + "\"></kmxOLE_OBJECT>";
}

TEST_F(TextImages, WritesBackAPictureReadFromTheFileUnchanged) {
    const std::string block = readFixture("tag_block_image.bin");
    ASSERT_FALSE(block.empty());
    TextHolder holder;
    int id = -1;
    EXPECT_EQ(holder.readTagBlock(block, id), block.size());
    EXPECT_TRUE(builtInTextImageStore().has("pic.jpg"));
    EXPECT_EQ(builtInTextImageStore().bytes("pic.jpg"), std::string("\xFF\xD8</kmxTEXT>\0\xFF\xD9", 15));
    EXPECT_EQ(textOf(holder, "Deutsch"), imageText("pic.jpg"));
    std::string out;
    holder.writeTagBlock(out, id);
    EXPECT_EQ(out, block);
}

TEST_F(TextImages, LoadsAPictureThatWasNotReadFromItsFile) {
    TextHolder holder;
    holder.addTranslation(imageText(dataPath("tiny.gif")), "Deutsch");
    std::string out;
    holder.writeTagBlock(out, 1);
    EXPECT_NE(out.find("<ImageData>"), std::string::npos);
    TextHolder read;
    int id = -1;
    read.readTagBlock(out, id);
    EXPECT_EQ(builtInTextImageStore().bytes(dataPath("tiny.gif")), readFixture("tiny.gif"));
}

TEST_F(TextImages, WarnsAboutOtherObjectsOnlyInABinarySave) {
    TextHolder holder;
    holder.addTranslation(imageText("sheet.doc"), "Deutsch");
    std::string out;
    holder.writeTagBlock(out, 1, false);
    EXPECT_EQ(messageBoxCount(), 0);
    holder.writeTagBlock(out, 1, true);
    EXPECT_TRUE(reported("Object type of 'sheet.doc' cannot be integrated in binary file."));
    EXPECT_EQ(out.find("<ImageData>"), std::string::npos);
}

TEST_F(TextImages, ReportsAnObjectWithoutEndTag) {
    TextHolder holder;
    holder.addTranslation("<kmxOLE_OBJECT name = \"a.jpg\">", "Deutsch");
    std::string out;
    holder.writeTagBlock(out, 1);
    EXPECT_TRUE(reported("Missing endtag for kmxOLE_OBJECT"));
}

TEST_F(TextImages, RejectsSizesThatReachPastTheText) {
    std::string block = "<kmxTEXT id = \"1\">\n<ImageData>\n";
    block += std::string("\x05\x00\x00\x00\xFF\xFF\xFF\x7F", 8);
    block += "a.jpg";
    TextHolder holder;
    int id = -1;
    holder.readTagBlock(block, id);
    EXPECT_TRUE(reported("Image data block with invalid sizes"));
    EXPECT_FALSE(builtInTextImageStore().has("a.jpg"));
}

using TextRoundTrip = TextTest;

std::string randomText(std::mt19937& random) {
    static const std::string pieces[] = {"#",          "\r\n",        "\"",   "\"]",  "[END]", "<",    "</kmxLANGUAGE>",
                                         "</kmxTEXT>", "<ImageData>", "<kmx", "Wort", " ",     "\xE4", "\xDF",
                                         "\x80",       "\x9F",        "\xFF", "'",    "]",     "[",    ">"};
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(1, 10);
    std::string text;
    for (int n = length(random); n > 0; --n) text += pieces[pick(random)];
    return text;
}

TEST_F(TextRoundTrip, GivesBackTheTextsOfAllFourLanguagesInBothForms) {
    std::mt19937 random(11);
    for (int i = 0; i < 500; ++i) {
        TextHolder holder;
        for (const std::string& language : Translator::languageNames()) {
            holder.addTranslation(randomText(random), language);
        }
        for (const bool tagForm : {true, false}) {
            setTextTagForm(tagForm);
            std::string first;
            holder.writeTextBlock(first, 7, "TEXT");
            TextHolder read;
            int id = -1;
            const std::string body = tagForm ? first : first.substr(first.find("TEXT]") + 5);
            ASSERT_EQ(read.readTextBlock(body, id), body.size()) << i;
            ASSERT_EQ(read.texts().size(), 4u) << i << first;
            for (const std::string& language : Translator::languageNames()) {
                ASSERT_EQ(textOf(read, language), textOf(holder, language)) << i << " " << language << first;
            }
            std::string second;
            read.writeTextBlock(second, 7, "TEXT");
            ASSERT_EQ(second, first) << i;
        }
    }
    EXPECT_EQ(messageBoxCount(), 0);
}

}  // namespace
}  // namespace kinemo

#pragma once
// The exchange file for translators ("<KMXML>"): every chapter's and text step's text in the
// current language, between plain tags. The translator replaces the texts between the tags;
// importing the file in another current language gives every holder a text in that language.
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace kinemo {

class TextHolder;

// One holder to export with its number. The animation code lists them in file order: each
// chapter, then the chapter's direct children that hold texts.
struct TextExchangeEntry {
    int id = -1;
    TextHolder* holder = nullptr;
};

// "<KMXML>", each entry's block followed by a line feed, "</KMXML>".
std::string exportTexts(std::span<const TextExchangeEntry> entries);
// Writes exportTexts to path as bytes, so the CR LF inside texts stay. Reports "Could not open
// for write file: %s" (level 3) and returns false when the file cannot be written.
bool exportTextsToFile(const std::string& path, std::span<const TextExchangeEntry> entries);

// The holder with a number, or nullptr; the animation code searches its chapter tree.
using TextHolderLookup = std::function<TextHolder*(int id)>;

// Reads every "<kmxTEXT" block into the holder of its number, in the current language, then
// refreshes every view with changeLanguage. A block whose number names no holder changes nothing
// and is reported (level 3) with the text it carried.
void importTexts(std::string_view content, const TextHolderLookup& lookup);
// Reports "Could not open for read file: %s" (level 3) and returns false when the file cannot
// be read; nothing is changed then.
bool importTextsFromFile(const std::string& path, const TextHolderLookup& lookup);

}  // namespace kinemo

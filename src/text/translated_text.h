#pragma once
// One text in one language. Line breaks inside the text are CR LF; texts are Windows-1252 bytes.
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "core/basic_object.h"

namespace kinemo {

class TranslatedText : public BasicObject {
public:
    // A new text holds a single blank and has no language.
    TranslatedText();
    TranslatedText(std::string_view language, std::string text);

    // Enables the language in the registry, then keeps a copy of the name.
    void setLanguage(std::string_view name);
    // The language; "noLanguage" when the name is empty, "lanuageNULL" when there is none.
    std::string getLanguage() const;
    const std::optional<std::string>& language() const { return language_; }
    bool hasLanguage(std::string_view name) const { return language_ && *language_ == name; }

    bool isEmpty() const { return text_.empty(); }
    const std::string& text() const { return text_; }
    void setText(std::string text) { text_ = std::move(text); }
    void assign(const TranslatedText& other);

    // Old bracket form: "\n# [language,f]["text"]" with the text escaped.
    void writeBracketForm(std::string& out) const;
    // Tag form: the language line with its registry position and the escaped text.
    void writeTagForm(std::string& out, int position) const;
    // Exchange-file form: the language line with the raw text.
    void writeExportForm(std::string& out) const;
    // Writes the bracket form.
    bool writeToFile(std::FILE* file) override;

    // Reads one bracket-form text from text[start, end). Returns the position to go on from,
    // or nullopt when no further text starts before end.
    std::optional<std::size_t> readFromString(std::string_view text, std::size_t start, std::size_t end);
    // Reads one tag-form element, from "<kmxLANGUAGE" up to (not including) its end tag.
    // The language is the one at the element's position in the current order. Returns false,
    // after a report, when the position names no language; the text is then left without one.
    bool readFromStringXML(std::string_view element);

private:
    std::string text_ = " ";
    std::optional<std::string> language_;
};

}  // namespace kinemo

#pragma once
// A text in several languages at once: chapter titles, the texts of text steps and the names of
// viewpoints. The step classes that show texts derive from this holder next to their step base
// (class TextAnimationAtom : public AnimationAtom, public TextHolder); a viewpoint owns one for
// its names. The holder's number in the scene file is the owner's step id, handed in by the
// owner to the block writers and readers.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/translated_text.h"

namespace kinemo {

class ReportLevel;

class TextHolder {
public:
    TextHolder();
    // Copies every text (language and text), as cloning a step does.
    TextHolder(const TextHolder& other);
    TextHolder& operator=(const TextHolder& other);
    TextHolder(TextHolder&&) noexcept;
    TextHolder& operator=(TextHolder&&) noexcept;
    virtual ~TextHolder();

    // In order of adding, which is the order of writing; at most one text per language name.
    const std::vector<std::unique_ptr<TranslatedText>>& texts() const { return texts_; }
    void clearTexts() { texts_.clear(); }

    // Takes the text unless one of the same language is held already (it is then dropped).
    void addIfNewLanguage(std::unique_ptr<TranslatedText> text);
    // Sets the text of the language, adding it when missing. Without a language the current
    // language is used (and a warning logged).
    void addTranslation(std::string_view text, std::optional<std::string_view> language);

    // The text of exactly that language. A holder without any text gains one in that language
    // (holding a single blank); otherwise a missing language gives nullptr.
    TranslatedText* getTranslatedText(std::string_view language);
    // The text of that language, which is created (holding a single blank) when missing.
    std::string getText(std::string_view language);
    // The text of exactly that language, or nullptr; never adds one.
    const TranslatedText* findText(std::string_view language) const;
    TranslatedText* findText(std::string_view language);
    // The text of that language, else the text of defaultLanguage(), else
    // translate("no text available").
    std::string getTranslatedTextOrDefault(std::string_view language) const;
    // The first language in registry order that the holder has a text for; "noLang" when none.
    std::string defaultLanguage() const;
    // What chapters, text steps and viewpoints show: the text in the current language with the
    // fallback above; and the same in plain letters for the XML description.
    std::string displayText() const;
    std::string asciiDisplayText() const;
    // Puts the word for "Invert:" in each text's language and a line feed in front of each text.
    void prefixInvert();

    // The text block in the current text form (textTagForm()): the tag form with id, or the
    // bracket form under "[ACTION>>actionName]". binarySave tells the picture check that the
    // scene goes into the binary format.
    void writeTextBlock(std::string& out, int id, std::string_view actionName, bool binarySave = false) const;
    // "\n# <kmxTEXT id = ...>", per text its pictures and language line, "\n# </kmxTEXT>".
    // A text whose language is not in the registry is reported and left out.
    void writeTagBlock(std::string& out, int id, bool binarySave = false) const;
    // "\n\n# [ACTION>>name]", one "\n# [language,f]["text"]" per non-empty text, "\n# [END]".
    void writeBracketBlock(std::string& out, std::string_view actionName) const;

    // Reads a text block in the current text form from text, which starts at the block's opening
    // tag (tag form; an id attribute other than -1 there is stored in id) or right after the
    // block's header (bracket form). Returns the offset in text where reading goes on.
    std::size_t readTextBlock(std::string_view text, int& id);
    std::size_t readTagBlock(std::string_view text, int& id);
    std::size_t readBracketBlock(std::string_view text);

    // The holder's block of the translators' exchange file: its text in the current language,
    // raw. Writes nothing when getTranslatedText gives none.
    void writeExportBlock(std::string& out, int id);
    // Reads one block of the exchange file (from "<kmxTEXT" up to, not including, its end tag)
    // into the current language. The text is taken as it stands; a block without a language
    // element, or with an empty one, gives an empty text.
    void readExportBlock(std::string_view block);

private:
    static ReportLevel& reportLevel();

    std::vector<std::unique_ptr<TranslatedText>> texts_;
};

// Writes the image-data blocks of the pictures that a text's rich-text objects name.
void writeEmbeddedImages(std::string& out, std::string_view text, bool binarySave);

}  // namespace kinemo

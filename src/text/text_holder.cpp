#include "text/text_holder.h"

#include <algorithm>

#include "core/messages.h"
#include "core/numbers.h"
#include "core/report_level.h"
#include "scene/matchers.h"
#include "text/tag_attributes.h"
#include "text/text_escaping.h"
#include "text/text_form.h"
#include "text/text_images.h"
#include "text/translator.h"

namespace kinemo {
namespace {

// Detail grade of the holder's tracing lines.
constexpr int kTraceGrade = 5;
constexpr int kMaxTags = 10000;
constexpr int kMaxObjectsPerText = 1000;

std::string upperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// The extension after the last "." of the file name, upper case; "" when there is none.
std::string pictureExtension(std::string_view name) {
    const std::size_t slash = name.find_last_of("/\\");
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
    return upperAscii(std::string(name.substr(dot + 1)));
}

std::size_t offsetOf(std::string_view text, const char* p) { return static_cast<std::size_t>(p - text.data()); }

}  // namespace

ReportLevel& TextHolder::reportLevel() {
    static ReportLevel level{"TextAnimationAtomReportLevel"};
    return level;
}

TextHolder::TextHolder() { reportLevel().readOnce(); }

TextHolder::TextHolder(const TextHolder& other) : TextHolder() { *this = other; }

TextHolder& TextHolder::operator=(const TextHolder& other) {
    if (this == &other) return *this;
    std::vector<std::unique_ptr<TranslatedText>> copies;
    copies.reserve(other.texts_.size());
    for (const auto& text : other.texts_) copies.push_back(std::make_unique<TranslatedText>(*text));
    texts_ = std::move(copies);
    return *this;
}

TextHolder::TextHolder(TextHolder&&) noexcept = default;
TextHolder& TextHolder::operator=(TextHolder&&) noexcept = default;
TextHolder::~TextHolder() = default;

void TextHolder::addIfNewLanguage(std::unique_ptr<TranslatedText> text) {
    if (!text) return;
    for (const auto& held : texts_) {
        if (held->language() == text->language()) return;
    }
    texts_.push_back(std::move(text));
}

void TextHolder::addTranslation(std::string_view text, std::optional<std::string_view> language) {
    std::string name;
    if (language) {
        name = std::string(*language);
    } else {
        logLine("Warning in AnimationObject->addTranslation: no Language");
        name = Translator::currentLanguage();
    }
    if (TranslatedText* held = findText(name)) {
        if (reportLevel().reaches(kTraceGrade)) logLine("addTranslation:replace existing text");
        held->setText(std::string(text));
        return;
    }
    texts_.push_back(std::make_unique<TranslatedText>(name, std::string(text)));
}

const TranslatedText* TextHolder::findText(std::string_view language) const {
    for (const auto& text : texts_) {
        if (text->hasLanguage(language)) return text.get();
    }
    return nullptr;
}

TranslatedText* TextHolder::findText(std::string_view language) {
    return const_cast<TranslatedText*>(static_cast<const TextHolder*>(this)->findText(language));
}

TranslatedText* TextHolder::getTranslatedText(std::string_view language) {
    if (TranslatedText* text = findText(language)) return text;
    if (texts_.empty()) {
        auto text = std::make_unique<TranslatedText>();
        text->setLanguage(language);
        texts_.push_back(std::move(text));
        return texts_.back().get();
    }
    if (reportLevel().reaches(kTraceGrade)) logLine("getTranslatedText: not found");
    return nullptr;
}

std::string TextHolder::getText(std::string_view language) {
    if (TranslatedText* text = findText(language)) return text->text();
    auto text = std::make_unique<TranslatedText>();
    text->setLanguage(language);
    texts_.push_back(std::move(text));
    return texts_.back()->text();
}

std::string TextHolder::getTranslatedTextOrDefault(std::string_view language) const {
    if (const TranslatedText* text = findText(language)) return text->text();
    const std::string fallback = defaultLanguage();
    if (const TranslatedText* text = findText(fallback)) {
        if (reportLevel().reaches(kTraceGrade)) logLine("getTranslatedTextOrDefault using default:" + fallback);
        return text->text();
    }
    return Translator::translate("no text available");
}

std::string TextHolder::defaultLanguage() const {
    for (const std::string& name : Translator::languageNames()) {
        if (findText(name)) return name;
    }
    return "noLang";
}

std::string TextHolder::displayText() const { return getTranslatedTextOrDefault(Translator::currentLanguage()); }

std::string TextHolder::asciiDisplayText() const { return toAsciiName(displayText()); }

void TextHolder::prefixInvert() {
    for (const auto& text : texts_) {
        text->setText(Translator::translateTo("Invert:", text->getLanguage()) + "\n" + text->text());
    }
}

void writeEmbeddedImages(std::string& out, std::string_view text, bool binarySave) {
    constexpr std::string_view kOpen = "<kmxOLE_OBJECT";
    constexpr std::string_view kClose = "</kmxOLE_OBJECT";
    std::size_t from = 0;
    for (int n = 0; n < kMaxObjectsPerText; ++n) {
        const std::size_t open = text.find(kOpen, from);
        if (open == std::string_view::npos) return;
        const std::size_t close = text.find(kClose, open + kOpen.size());
        if (close == std::string_view::npos) {
            reportMessage("Missing endtag for kmxOLE_OBJECT", 1, true);
            from = open + kOpen.size();
            continue;
        }
        std::string_view tag = text.substr(open, close - open);
        tag = tag.substr(0, tag.find('>'));
        const std::string name = readStringAttributeIn(tag, "name", "");
        const std::string extension = pictureExtension(name);
        if (extension == "GIF" || extension == "JPG") {
            textImageStore().writeImageData(out, name);
        } else if (binarySave) {
            reportMessage(formatC("Object type of '%s' cannot be integrated in binary file. \nDistribute separately.",
                                  name.c_str()),
                          2, false);
        }
        from = close + kClose.size();
    }
}

void TextHolder::writeTextBlock(std::string& out, int id, std::string_view actionName, bool binarySave) const {
    if (textTagForm()) {
        writeTagBlock(out, id, binarySave);
    } else {
        writeBracketBlock(out, actionName);
    }
}

void TextHolder::writeTagBlock(std::string& out, int id, bool binarySave) const {
    out += "\n# <kmxTEXT id = \"";
    appendInt(out, id);
    out += "\">";
    for (const auto& text : texts_) {
        const int position = text->language() ? Translator::languageIndex(*text->language()) : -1;
        if (position < 0) {
            // Written with position -1 the text would come back in the first language.
            reportMessage("Problem in text saving, could not find language " + text->getLanguage(), 1, true);
            continue;
        }
        writeEmbeddedImages(out, text->text(), binarySave);
        if (!text->isEmpty()) text->writeTagForm(out, position);
    }
    out += "\n# </kmxTEXT>";
}

void TextHolder::writeBracketBlock(std::string& out, std::string_view actionName) const {
    out += "\n\n# [ACTION>>";
    out += actionName;
    out += ']';
    for (const auto& text : texts_) {
        if (!text->isEmpty()) text->writeBracketForm(out);
    }
    out += "\n# [END]";
}

std::size_t TextHolder::readTextBlock(std::string_view text, int& id) {
    return textTagForm() ? readTagBlock(text, id) : readBracketBlock(text);
}

std::size_t TextHolder::readTagBlock(std::string_view text, int& id) {
    // The opening tag ends at its ">" and never reaches past its line. The caller may also hand
    // in the text just after the "<kmxTEXT" keyword.
    std::size_t pos = 0;
    const std::size_t lead = std::min(text.size(), text.find_first_not_of(" \t\r\n#"));
    const std::size_t headerEnd = text.find_first_of(">\n", lead);
    const std::string_view header =
        text.substr(lead, headerEnd == std::string_view::npos ? headerEnd : headerEnd - lead);
    if (header.starts_with("<kmxTEXT") || header.find('<') == std::string_view::npos) {
        const int readId = readIntAttributeIn(header, "id", -1);
        if (readId != -1) id = readId;
        if (headerEnd != std::string_view::npos && text[headerEnd] == '>') pos = headerEnd + 1;
    }
    std::optional<std::size_t> languageStart;
    const KeyWordMatcher& matcher = textMatcher();
    for (int n = 0; n < kMaxTags; ++n) {
        const KeywordHit hit = matcher.scan(text.substr(pos));
        if (hit.keyword == kw::EndOfString) {
            reportMessage("Parser error in TextAnimationAtom->readFrom: missing </kmxTEXT>\n", 1, true);
            return text.size();
        }
        const std::size_t begin = offsetOf(text, hit.begin);
        std::size_t after = offsetOf(text, hit.after);
        if (hit.keyword == kw::kmxLanguage) {
            languageStart = begin;
        } else if (hit.keyword == kw::kmxLanguageEnd) {
            if (languageStart) {
                auto translated = std::make_unique<TranslatedText>();
                const bool known = translated->readFromStringXML(text.substr(*languageStart, begin - *languageStart));
                if (known && !translated->isEmpty()) addIfNewLanguage(std::move(translated));
                languageStart.reset();
            } else {
                reportMessage("Invalid KMX_LANGUAGE tag", 1, true);
            }
        } else if (hit.keyword == kw::ImageData) {
            after += textImageStore().readImageData(text.substr(after));
        } else if (hit.keyword == kw::kmxTextEnd) {
            return after;
        }
        pos = after;
    }
    reportMessage("Parser error in TextAnimationAtom->readFrom: too many tags before </kmxTEXT>", 1, true);
    return pos;
}

std::size_t TextHolder::readBracketBlock(std::string_view text) {
    constexpr std::string_view kEnd = "[END]";
    const std::size_t end = text.find(kEnd);
    if (end == std::string_view::npos) {
        reportMessage("Parser error in TextAnimationAtom->readFrom: missing [END]\n", 1, true);
        return 0;
    }
    std::size_t pos = 0;
    while (pos < end) {
        auto translated = std::make_unique<TranslatedText>();
        const std::optional<std::size_t> next = translated->readFromString(text, pos, end);
        if (!next) break;
        addIfNewLanguage(std::move(translated));
        pos = *next;
    }
    return end + kEnd.size();
}

void TextHolder::writeExportBlock(std::string& out, int id) {
    const TranslatedText* text = getTranslatedText(Translator::currentLanguage());
    if (!text) return;
    out += "\n<kmxTEXT id = \"";
    appendInt(out, id);
    out += "\">";
    if (!text->isEmpty()) text->writeExportForm(out);
    out += "\n</kmxTEXT>";
}

void TextHolder::readExportBlock(std::string_view block) {
    constexpr std::string_view kOpen = "<kmxLANGUAGE";
    constexpr std::string_view kClose = "</kmxLANGUAGE>";
    std::string content;
    if (const std::size_t open = block.find(kOpen); open != std::string_view::npos) {
        const std::size_t textStart = block.find('>', open + kOpen.size());
        if (textStart != std::string_view::npos) {
            const std::size_t textEnd = block.find(kClose, textStart + 1);
            content = std::string(block.substr(
                textStart + 1, textEnd == std::string_view::npos ? std::string_view::npos : textEnd - textStart - 1));
        }
    }
    const std::string language = Translator::currentLanguage();
    TranslatedText imported(language, std::move(content));
    if (TranslatedText* held = findText(language)) {
        held->assign(imported);
    } else {
        texts_.push_back(std::make_unique<TranslatedText>(imported));
    }
}

}  // namespace kinemo

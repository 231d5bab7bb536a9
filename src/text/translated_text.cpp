#include "text/translated_text.h"

#include <algorithm>

#include "core/messages.h"
#include "core/numbers.h"
#include "text/tag_attributes.h"
#include "text/text_escaping.h"
#include "text/translator.h"

namespace kinemo {
namespace {

constexpr char kDirection = 'f';

}  // namespace

TranslatedText::TranslatedText() = default;

TranslatedText::TranslatedText(std::string_view language, std::string text) : text_(std::move(text)) {
    setLanguage(language);
}

void TranslatedText::setLanguage(std::string_view name) {
    Translator::enableLanguage(name);
    language_ = std::string(name);
}

std::string TranslatedText::getLanguage() const {
    if (!language_) return "lanuageNULL";
    if (language_->empty()) return "noLanguage";
    return *language_;
}

void TranslatedText::assign(const TranslatedText& other) {
    if (other.language_) {
        setLanguage(*other.language_);
    } else {
        language_.reset();
    }
    text_ = other.text_;
}

void TranslatedText::writeBracketForm(std::string& out) const {
    out += "\n# [";
    out += getLanguage();
    out += ',';
    out += kDirection;
    out += "][\"";
    out += escapeBracketText(text_);
    out += "\"]";
}

void TranslatedText::writeTagForm(std::string& out, int position) const {
    out += "\n# <kmxLANGUAGE id = \"";
    appendInt(out, position);
    out += "\" direction = \"";
    out += kDirection;
    out += "\">";
    out += escapeTagText(text_);
    out += "</kmxLANGUAGE>";
}

void TranslatedText::writeExportForm(std::string& out) const {
    out += "\n<kmxLANGUAGE direction = \"";
    out += kDirection;
    out += "\">";
    out += text_;
    out += "</kmxLANGUAGE>";
}

bool TranslatedText::writeToFile(std::FILE* file) {
    std::string out;
    writeBracketForm(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

std::optional<std::size_t> TranslatedText::readFromString(std::string_view text, std::size_t start, std::size_t end) {
    end = std::min(end, text.size());
    const std::size_t open = text.find('[', start);
    if (open == std::string_view::npos || open >= end) return std::nullopt;
    const std::size_t close = text.find(']', open + 1);
    if (close == std::string_view::npos || close >= end) return std::nullopt;
    std::string_view name = text.substr(open + 1, close - open - 1);
    if (const std::size_t comma = name.find(','); comma != std::string_view::npos) name = name.substr(0, comma);
    setLanguage(name);

    // The quoted text follows the language directly; blanks between them are tolerated.
    std::size_t quote = close + 1;
    while (quote < end && (text[quote] == ' ' || text[quote] == '\t')) ++quote;
    if (quote + 1 >= end || text[quote] != '[' || text[quote + 1] != '"') {
        text_ = "parser Error: missing [\"";
        logLine("TranslatedText::readFromString: parser Error: missing [\"");
        return std::min(end, close + 2);
    }
    const std::size_t textStart = quote + 2;
    const std::size_t textEnd = text.find("\"]", textStart);
    if (textEnd == std::string_view::npos || textEnd + 1 >= end) {
        text_ = "parser Error: missing \"]";
        logLine("TranslatedText::readFromString: parser Error: missing \"]");
        return textStart;
    }
    text_ = unescapeText(text.substr(textStart, textEnd - textStart));
    return textEnd + 2;
}

bool TranslatedText::readFromStringXML(std::string_view element) {
    const std::size_t tagEnd = element.find('>');
    const std::string_view attributes = element.substr(0, tagEnd);
    int position = readIntAttributeIn(attributes, "id", 0);
    if (position < 0) {
        reportMessage("Parser problem in readFromStringXML, no language ID detected", 1, true);
        position = 0;
    }
    text_ = unescapeText(tagEnd == std::string_view::npos ? std::string_view() : element.substr(tagEnd + 1));
    const std::optional<std::string> name = Translator::languageName(position);
    if (!name) {
        reportMessage("Text with unknown language position " + std::to_string(position) + " is skipped", 1, true);
        language_.reset();
        return false;
    }
    setLanguage(*name);
    return true;
}

}  // namespace kinemo

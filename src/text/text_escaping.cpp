#include "text/text_escaping.h"

#include <array>

namespace kinemo {
namespace {

// The tags the text-block reader looks for. A text that contains one of them, or ends in the
// beginning of one, would otherwise end its own element.
constexpr std::array<std::string_view, 4> kTextTags = {"</kmxTEXT>", "<kmxLANGUAGE", "</kmxLANGUAGE>", "<ImageData>"};

bool startsTextTag(std::string_view rest) {
    for (std::string_view tag : kTextTags) {
        if (rest.starts_with(tag)) return true;
    }
    return false;
}

bool isPrefixOfTextTag(std::string_view prefix) {
    for (std::string_view tag : kTextTags) {
        if (tag.starts_with(prefix)) return true;
    }
    return false;
}

// True when a tag scanner that does not re-examine a mismatching character is left inside a
// partial tag at the end of text; the closing tag that follows would then be missed.
bool endsInsidePartialTag(std::string_view text) {
    std::size_t matchStart = 0;
    std::size_t matched = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (matched == 0) {
            matchStart = i;
            matched = isPrefixOfTextTag(text.substr(i, 1)) ? 1 : 0;
            continue;
        }
        if (isPrefixOfTextTag(text.substr(matchStart, matched + 1))) {
            ++matched;
        } else {
            matched = 0;  // the mismatching character is consumed, not a new start
        }
    }
    return matched > 0;
}

enum class Form { Tag, Bracket };

// "##" followed by a character decodes to that character as it is: the reader drops the pair and
// copies what follows unchanged. This breaks up sequences the readers would take as markup.
std::string escapeText(std::string_view text, Form form) {
    std::string out;
    out.reserve(text.size() + text.size() / 8 + 4);
    bool afterContinuation = false;  // the reader copies the next character unchanged
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            out += "\n# ";
            afterContinuation = true;
            continue;
        }
        const std::string_view rest = text.substr(i);
        const bool breakMarkup = form == Form::Tag
                                     ? (c == '<' && startsTextTag(rest))
                                     : ((c == '"' && rest.starts_with("\"]")) || rest.starts_with("[END]"));
        if (breakMarkup) {
            out += c;
            out += "##";
            out += text[++i];
        } else if (c == '#' && !afterContinuation) {
            out += "###";
        } else {
            out += c;
        }
        afterContinuation = false;
    }
    if (form == Form::Tag && endsInsidePartialTag(out)) {
        out += '#';  // a lone "#" at the end decodes to nothing
    }
    return out;
}

}  // namespace

std::string unescapeText(std::string_view text) {
    constexpr int kTabWidth = 2;
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '#') {
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
                continue;
            }
            i += 2;
            if (i < text.size()) out.push_back(text[i++]);
            continue;
        }
        if (c == '\t') {
            out.append(kTabWidth, ' ');
        } else if (c == '\n') {
            if (!out.empty() && out.back() != '\r') out.push_back('\r');
            out.push_back('\n');
        } else {
            out.push_back(c);
        }
        ++i;
    }
    if (out.empty()) return "No text available";
    return out;
}

std::string escapeTagText(std::string_view text) { return escapeText(text, Form::Tag); }

std::string escapeBracketText(std::string_view text) { return escapeText(text, Form::Bracket); }

std::string toAsciiName(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        switch (static_cast<unsigned char>(c)) {
            case 0xE4:
                out += "ae";
                break;
            case 0xF6:
                out += "oe";
                break;
            case 0xFC:
                out += "ue";
                break;
            case 0xE8:
            case 0xE9:
                out += 'e';
                break;
            case 0xC4:
                out += "Ae";
                break;
            case 0xD6:
                out += "Oe";
                break;
            case 0xDC:
                out += "Ue";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

}  // namespace kinemo

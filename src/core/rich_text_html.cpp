#include "core/rich_text_html.h"

#include <cstdlib>
#include <optional>
#include <vector>

#include "core/numbers.h"

namespace kinemo {

namespace {

// The quoted value of attribute name in a tag ("name = \"value\""); none when absent.
std::optional<std::string> attribute(std::string_view tag, std::string_view name) {
    std::size_t from = 0;
    while ((from = tag.find(name, from)) != std::string_view::npos) {
        const bool wordStart = from == 0 || tag[from - 1] == ' ' || tag[from - 1] == '\t';
        std::size_t p = from + name.size();
        from = p;
        if (!wordStart) continue;
        while (p < tag.size() && tag[p] == ' ') ++p;
        if (p >= tag.size() || tag[p] != '=') continue;
        ++p;
        while (p < tag.size() && tag[p] == ' ') ++p;
        if (p >= tag.size() || tag[p] != '"') continue;
        const std::size_t end = tag.find('"', p + 1);
        if (end == std::string_view::npos) return std::nullopt;
        return std::string(tag.substr(p + 1, end - p - 1));
    }
    return std::nullopt;
}

void appendEscaped(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\r':
                if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
                out += "<br>";
                break;
            case '\n':
                out += "<br>";
                break;
            default:
                out += c;
        }
    }
}

std::string fontStyle(std::string_view tag) {
    if (auto mode = attribute(tag, "mode"); mode && *mode == "secure")
        return "font-weight:bold; color:#ff0000; font-size:5pt";
    std::string style;
    if (auto effects = attribute(tag, "dweffects")) {
        const bool none = effects->find("None") != std::string::npos;
        const bool bold = !none && effects->find("Bold") != std::string::npos;
        const bool italic = !none && effects->find("Italic") != std::string::npos;
        const bool underline = !none && effects->find("Underline") != std::string::npos;
        const bool strike = !none && effects->find("Strikeout") != std::string::npos;
        style += bold ? "font-weight:bold; " : "font-weight:normal; ";
        style += italic ? "font-style:italic; " : "font-style:normal; ";
        if (underline || strike)
            style += std::string("text-decoration:") + (underline ? " underline" : "") +
                     (strike ? " line-through" : "") + "; ";
        else
            style += "text-decoration:none; ";
    }
    if (auto height = attribute(tag, "height")) {
        const long twips = atoiC(*height);
        if (twips > 0) style += formatC("font-size:%gpt; ", double(twips) / 20.0);
    }
    if (auto offset = attribute(tag, "offset")) {
        const long twips = atoiC(*offset);
        if (twips > 0) style += "vertical-align:super; ";
        if (twips < 0) style += "vertical-align:sub; ";
    }
    if (auto face = attribute(tag, "szFaceName"); face && !face->empty()) {
        std::string escaped;
        appendEscaped(escaped, *face);
        style += "font-family:'" + escaped + "'; ";
    }
    if (auto colour = attribute(tag, "crColor")) {
        const unsigned long bgr = std::strtoul(colour->c_str(), nullptr, 16);
        style += formatC("color:#%02lx%02lx%02lx; ", bgr & 0xff, (bgr >> 8) & 0xff, (bgr >> 16) & 0xff);
    }
    while (!style.empty() && style.back() == ' ') style.pop_back();
    return style;
}

std::string picturePath(std::string name, std::string_view baseDirectory) {
    for (char& c : name)
        if (c == '\\') c = '/';
    if (name.empty() || name.front() == '/' || baseDirectory.empty()) return name;
    std::string path(baseDirectory);
    if (path.back() != '/') path += '/';
    return path + name;
}

std::string enclosed(std::string_view name, bool circle) {
    if (circle) {
        const long n = atoiC(name);
        if (n >= 1 && n <= 20 && formatC("%ld", n) == name) return formatC("&#%ld;", 9311 + n);
    }
    std::string out(circle ? "(" : "[");
    appendEscaped(out, name);
    out += circle ? ")" : "]";
    return out;
}

}  // namespace

std::string markupToHtml(std::string_view markup, std::string_view baseDirectory) {
    std::string out;
    // What each open font or paragraph tag must be closed with.
    std::vector<std::string> fonts;
    std::vector<std::string> paragraphs;
    std::size_t i = 0;
    while (i < markup.size()) {
        const std::size_t open = markup.find('<', i);
        appendEscaped(out, markup.substr(i, open == std::string_view::npos ? std::string_view::npos : open - i));
        if (open == std::string_view::npos) break;
        const std::size_t close = markup.find('>', open);
        if (close == std::string_view::npos) {
            appendEscaped(out, markup.substr(open));
            break;
        }
        const std::string_view tag = markup.substr(open, close - open + 1);
        i = close + 1;
        auto is = [&](std::string_view name) {
            return tag.substr(0, name.size()) == name &&
                   (tag.size() == name.size() || tag[name.size()] == ' ' || tag[name.size()] == '>');
        };
        if (is("<kmxFONT")) {
            const std::string style = fontStyle(tag);
            out += "<span style=\"" + style + "\">";
            fonts.push_back("</span>");
        } else if (is("</kmxFONT")) {
            if (!fonts.empty()) {
                out += fonts.back();
                fonts.pop_back();
            }
        } else if (is("<kmxPARAGRAPH")) {
            const auto numbering = attribute(tag, "numbering");
            const auto alignment = attribute(tag, "alignment").value_or(std::string());
            std::string align;
            if (alignment.find("Left") != std::string::npos) align = "left";
            if (alignment.find("Right") != std::string::npos) align = "right";
            if (alignment.find("Center") != std::string::npos) align = "center";
            const std::string alignAttr = align.empty() ? std::string() : " align=\"" + align + "\"";
            if (numbering && numbering->find("True") != std::string::npos) {
                out += "<ul><li" + alignAttr + ">";
                paragraphs.push_back("</li></ul>");
            } else {
                out += "<p" + alignAttr + ">";
                paragraphs.push_back("</p>");
            }
        } else if (is("</kmxPARAGRAPH")) {
            // Font spans opened inside the paragraph end with it.
            while (!fonts.empty()) {
                out += fonts.back();
                fonts.pop_back();
            }
            if (!paragraphs.empty()) {
                out += paragraphs.back();
                paragraphs.pop_back();
            }
        } else if (is("<kmxOLE_OBJECT")) {
            const std::string src = picturePath(attribute(tag, "name").value_or(std::string()), baseDirectory);
            std::string escaped;
            appendEscaped(escaped, src);
            if (!src.empty()) out += "<img src=\"" + escaped + "\">";
        } else if (is("<kmxMETA_CIRCLE") || is("<kmxMETA_SQUARE")) {
            out += enclosed(attribute(tag, "name").value_or(std::string()), is("<kmxMETA_CIRCLE"));
        }
        // Closing object tags and unknown tags are dropped.
    }
    while (!fonts.empty()) {
        out += fonts.back();
        fonts.pop_back();
    }
    while (!paragraphs.empty()) {
        out += paragraphs.back();
        paragraphs.pop_back();
    }
    return out;
}

}  // namespace kinemo

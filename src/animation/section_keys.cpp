#include "animation/section_keys.h"

#include <cmath>
#include <cstring>

#include "core/messages.h"
#include "core/numbers.h"
#include "scene/group_node.h"
#include "scene/node_table.h"

namespace kinemo {
namespace {

const char* findIn(const char* text, const char* what) { return std::strstr(text, what); }

std::size_t skipChars(std::string_view t, std::size_t pos, std::string_view chars, std::size_t limit) {
    std::size_t n = 0;
    while (pos < t.size() && n < limit && chars.find(t[pos]) != std::string_view::npos) ++pos, ++n;
    return pos;
}

}  // namespace

GroupNode* readPartId(const BlockText& block, const char* className, std::int32_t& componentId) {
    componentId = block.integer("id", -1);
    if (componentId < 0) {
        componentId = -1;
        logLine(formatC("Parser error in %s: %s\n", className, "id not found"));
        reportMessage("Parsing Error!", 1, true);
        return nullptr;
    }
    Node* node = nodeTable().at(componentId);
    GroupNode* part = node ? node->asGroupNode() : nullptr;
    if (!part) reportMessage(std::string(className) + " has invalid GroupNode", 1, true);
    return part;
}

const char* nextBlockHeader(const char* text) {
    const char* a = findIn(text, "[ACTION>>");
    const char* g = findIn(text, "ANIMGROUP_END");
    if (a && g) return a < g ? a : g;
    if (a) return a;
    if (g) return g;
    return text + std::strlen(text);
}

BlockText::BlockText(const char* text, const char* endMarker) {
    const char* header = nextBlockHeader(text);
    const char* end = endMarker ? findIn(text, endMarker) : nullptr;
    if (end && end <= header) {
        text_ = std::string_view(text, std::size_t(end - text));
        after_ = end + std::strlen(endMarker);
        hadEnd_ = true;
    } else {
        text_ = std::string_view(text, std::size_t(header - text));
        after_ = header;
    }
}

std::int32_t BlockText::integer(std::string_view key, std::int32_t fallback) const {
    std::size_t pos = text_.find(key);
    if (pos == std::string_view::npos) return fallback;
    pos = skipChars(text_, pos + key.size(), ": \t", 100);
    std::size_t end = pos;
    while (end < text_.size() && end - pos < 100 && std::strchr(" \t\r\n", text_[end]) == nullptr) ++end;
    std::string_view digits = text_.substr(pos, end - pos);
    if (digits.empty() ||
        !(std::isdigit(static_cast<unsigned char>(digits[0])) || digits[0] == '-' || digits[0] == '+'))
        return fallback;
    double v = 0;
    if (parseDoublePrefix(digits, v) == 0 || !std::isfinite(v)) return fallback;
    if (v > 2147483647.0) return 2147483647;
    if (v < -2147483648.0) return -2147483647 - 1;
    return std::int32_t(v);
}

double BlockText::number(std::string_view key, double fallback) const {
    double v = fallback;
    return numbers(key, &v, 1) ? v : fallback;
}

bool BlockText::numbers(std::string_view key, double* out, int n) const {
    std::size_t pos = text_.find(key);
    if (pos == std::string_view::npos) return false;
    pos += key.size();
    for (int i = 0; i < n; ++i) {
        pos = skipChars(text_, pos, " \t\r\n#(,[", 1000);
        double v = 0;
        const std::size_t used = parseDoublePrefix(text_.substr(pos), v);
        if (used == 0 || !std::isfinite(v)) return false;
        out[i] = v;
        pos += used;
    }
    return true;
}

bool BlockText::boolean(std::string_view key, bool fallback) const {
    std::size_t pos = text_.find(key);
    if (pos == std::string_view::npos) return fallback;
    pos = skipChars(text_, pos + key.size(), ": \t", 100);
    if (pos >= text_.size()) return false;
    const char c = text_[pos];
    return c == 'y' || c == 't' || c == 'Y' || c == 'T';
}

std::string BlockText::word(std::string_view key, std::string_view fallback) const {
    std::size_t pos = text_.find(key);
    if (pos == std::string_view::npos) return std::string(fallback);
    pos = skipChars(text_, pos + key.size(), ": ", 100);
    std::size_t end = pos;
    while (end < text_.size() && end - pos < 5000 && std::strchr(" \r\n", text_[end]) == nullptr) ++end;
    return std::string(text_.substr(pos, end - pos));
}

std::string BlockText::line(std::string_view key, std::string_view fallback) const {
    std::size_t pos = text_.find(key);
    if (pos == std::string_view::npos) return std::string(fallback);
    pos = skipChars(text_, pos + key.size(), ": ", 100);
    std::size_t end = pos;
    while (end < text_.size() && end - pos < 5000 && text_[end] != '\r' && text_[end] != '\n') ++end;
    while (end > pos && (text_[end - 1] == ' ' || text_[end - 1] == '\t')) --end;
    return std::string(text_.substr(pos, end - pos));
}

double clampDuration(double value, double limit) {
    if (!std::isfinite(value) || value < 0) return 0;
    return value > limit ? limit : value;
}

}  // namespace kinemo

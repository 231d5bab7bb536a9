#include "core/file_filter.h"

#include "core/file_type.h"

namespace kinemo {

namespace {

struct NamedType {
    const char* extension;
    FileType type;
};

constexpr NamedType kFilterOrder[] = {
    {"exe", FileTypeExe}, {"bvr", FileTypeBvr}, {"ros", FileTypeRos},
    {"wrl", FileTypeWrl}, {"iv", FileTypeIv},   {"u3d", FileTypeU3d},
};

void appendType(std::string& filter, const NamedType& t) {
    const std::string ext = t.extension;
    filter += std::string(fileTypeName(t.type)) + " (*." + ext + ")|*." + ext + "|";
}

std::vector<std::string> splitPatterns(std::string_view text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) out.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

}  // namespace

std::string buildFileFilter(std::string_view allowedTypes, std::string_view preferredType) {
    std::string filter;
    for (const auto& t : kFilterOrder)
        if (preferredType == t.extension && allowedTypes.find(t.extension) != std::string_view::npos)
            appendType(filter, t);
    for (const auto& t : kFilterOrder)
        if (preferredType != t.extension && allowedTypes.find(t.extension) != std::string_view::npos)
            appendType(filter, t);
    filter += "|";
    return filter;
}

std::vector<FileFilterEntry> parseFileFilter(std::string_view filter) {
    std::vector<FileFilterEntry> entries;
    std::size_t pos = 0;
    while (pos < filter.size()) {
        std::size_t bar = filter.find('|', pos);
        if (bar == std::string_view::npos || bar == pos) break;  // no pattern part, or the closing "|"
        std::string_view name = filter.substr(pos, bar - pos);
        std::size_t end = filter.find('|', bar + 1);
        if (end == std::string_view::npos) end = filter.size();
        auto patterns = splitPatterns(filter.substr(bar + 1, end - bar - 1));
        if (!patterns.empty()) entries.push_back({std::string(name), std::move(patterns)});
        pos = end + 1;
    }
    return entries;
}

std::string qtFileFilter(std::string_view filter) {
    std::string out;
    for (const auto& entry : parseFileFilter(filter)) {
        if (!out.empty()) out += ";;";
        std::string joined;
        for (const auto& p : entry.patterns) joined += (joined.empty() ? "" : " ") + p;
        // Qt takes the patterns from the last parentheses of the name, separated by blanks.
        std::string_view name = entry.name;
        std::size_t open = name.rfind(" (");
        if (!name.empty() && name.back() == ')' && open != std::string_view::npos) name = name.substr(0, open);
        out += std::string(name) + " (" + joined + ")";
    }
    return out;
}

}  // namespace kinemo

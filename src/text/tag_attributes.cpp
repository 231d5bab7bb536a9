#include "text/tag_attributes.h"

#include <algorithm>
#include <limits>

#include "core/numbers.h"

namespace kinemo {
namespace {

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

std::optional<std::string_view> findAttributeValueIn(std::string_view element, std::string_view name) {
    constexpr std::size_t kEqualsReach = 5;
    if (name.empty()) return std::nullopt;
    std::size_t from = 0;
    while (true) {
        const std::size_t at = element.find(name, from);
        if (at == std::string_view::npos) return std::nullopt;
        from = at + 1;
        // "id" must not be found inside "kmxTEXTid" or "pid".
        if (at > 0 && isNameChar(element[at - 1])) continue;
        std::size_t p = at + name.size();
        const std::size_t reach = std::min(element.size(), p + kEqualsReach);
        while (p < reach && element[p] != '=') {
            if (element[p] != ' ' && element[p] != '\t') break;
            ++p;
        }
        if (p >= reach || element[p] != '=') continue;
        ++p;
        while (p < element.size() && (element[p] == ' ' || element[p] == '\t')) ++p;
        if (p >= element.size() || element[p] != '"') continue;
        return element.substr(p + 1);
    }
}

std::int32_t readIntAttributeIn(std::string_view element, std::string_view name, std::int32_t fallback) {
    const auto value = findAttributeValueIn(element, name);
    if (!value) return fallback;
    long long number = 0;
    if (parseLongPrefix(*value, number) == 0) return fallback;
    if (number < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    if (number > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(number);
}

std::string readStringAttributeIn(std::string_view element, std::string_view name, std::string_view fallback) {
    constexpr std::size_t kValueReach = 5000;
    auto value = findAttributeValueIn(element, name);
    if (!value) return std::string(fallback);
    std::string_view rest = *value;
    std::size_t start = 0;
    while (start < rest.size() && (rest[start] == ':' || rest[start] == ' ')) ++start;
    rest = rest.substr(start);
    const std::size_t close = rest.substr(0, kValueReach).find('"');
    if (close == std::string_view::npos) return std::string(rest.substr(0, kValueReach));
    return std::string(rest.substr(0, close));
}

}  // namespace kinemo

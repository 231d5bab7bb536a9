#pragma once
// Attributes of the markup tags (name = "value"), read within the bounds of one element so that
// a missing attribute never takes its value from a later element.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kinemo {

// The value text after the opening quote of attribute name, or nullopt when the name, its "="
// (within 5 characters after the name) or the opening quote is missing inside element.
std::optional<std::string_view> findAttributeValueIn(std::string_view element, std::string_view name);
// The attribute read as a decimal integer; fallback when missing or not a number.
std::int32_t readIntAttributeIn(std::string_view element, std::string_view name, std::int32_t fallback);
// The attribute's text up to its closing quote (or the element's end); fallback when missing.
std::string readStringAttributeIn(std::string_view element, std::string_view name, std::string_view fallback);

}  // namespace kinemo

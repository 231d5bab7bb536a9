#pragma once
// Name patterns: the groups whose names match one of them are removed by "Trim Noname Nodes".
#include <string>
#include <string_view>
#include <vector>

#include "scene/group_node.h"

namespace kinemo {

struct NamePattern {
    std::string pattern;  // without its "*"
    GroupNode::StringMatchType type;
};

bool matchesName(std::string_view name, std::string_view pattern, GroupNode::StringMatchType type);
// "abc" exact, "abc*" prefix, "*abc" suffix, "*abc*" contains.
NamePattern parseNamePattern(std::string_view written);
// The patterns of the settings "ElliminatableNodeName1" to "22", read once.
const std::vector<NamePattern>& eliminatableNamePatterns();
bool matchesEliminatableName(std::string_view name);

}  // namespace kinemo

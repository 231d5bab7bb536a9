#include "scene/name_patterns.h"

#include "scene/scene_settings.h"

namespace kinemo {

bool matchesName(std::string_view name, std::string_view pattern, GroupNode::StringMatchType type) {
    switch (type) {
        case GroupNode::Exact:
            return name == pattern;
        case GroupNode::Prefix:
            return name.starts_with(pattern);
        case GroupNode::Suffix:
            return name.ends_with(pattern);
        case GroupNode::Contains:
            return name.find(pattern) != std::string_view::npos;
    }
    return false;
}

NamePattern parseNamePattern(std::string_view w) {
    bool lead = !w.empty() && w.front() == '*';
    if (lead) w.remove_prefix(1);
    bool trail = !w.empty() && w.back() == '*';
    if (trail) w.remove_suffix(1);
    GroupNode::StringMatchType t = lead && trail ? GroupNode::Contains
                                   : lead        ? GroupNode::Suffix
                                   : trail       ? GroupNode::Prefix
                                                 : GroupNode::Exact;
    return NamePattern{std::string(w), t};
}

const std::vector<NamePattern>& eliminatableNamePatterns() {
    static const std::vector<NamePattern> patterns = [] {
        std::vector<NamePattern> v;
        for (const std::string& s : sceneSettings().eliminatableNodeNames)
            if (!s.empty()) v.push_back(parseNamePattern(s));
        return v;
    }();
    return patterns;
}

bool matchesEliminatableName(std::string_view name) {
    for (const NamePattern& p : eliminatableNamePatterns())
        if (matchesName(name, p.pattern, p.type)) return true;
    return false;
}

}  // namespace kinemo

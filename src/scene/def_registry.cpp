#include "scene/def_registry.h"

#include <algorithm>
#include <climits>

#include "core/basic_object.h"
#include "core/numbers.h"
#include "scene/node.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"

namespace kinemo {

DefRegistry& defRegistry() {
    // Never destroyed, like the node table: a static scene's teardown still forgets its names here.
    static DefRegistry* registry = new DefRegistry;
    return *registry;
}

void DefRegistry::setPendingName(std::string_view name) {
    if (name.empty()) {
        sceneReport("Parser problem in definition", 0, true);
        pending_.clear();
        return;
    }
    pending_.assign(name);
}

long DefRegistry::fastIndex(std::string_view name) {
    if (name.size() < 2 || name[0] != 'r') return -1;
    long value = 0;
    for (std::size_t i = 1; i < name.size(); ++i) {
        char c = name[i];
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
        if (value > INT_MAX) return -1;  // digits that overflow are no number
    }
    return value;
}

long DefRegistry::search(std::string_view name) {
    auto it = positions_.find(std::string(name));
    if (it == positions_.end()) return -1;
    const std::vector<std::size_t>& pos = it->second;
    // The circular search from the last found position over the current scope: the first
    // position at or after it, else the first one of the scope.
    std::size_t start = lastFound_ >= base_ ? lastFound_ : base_;
    auto at = std::lower_bound(pos.begin(), pos.end(), start);
    if (at == pos.end()) at = std::lower_bound(pos.begin(), pos.end(), base_);
    if (at == pos.end()) return -1;
    lastFound_ = *at;
    return static_cast<long>(*at);
}

void DefRegistry::registerDef(BasicObject* object) {
    if (pending_.empty() || !object) return;
    std::string name;
    name.swap(pending_);
    long fast = fastIndex(name);
    long index = fast >= 0 ? fast + long(base_) : -1;
    bool append = true;
    if (fast >= 0 && index > highestFast_) {
        highestFast_ = index;
    } else {
        long found = search(name);
        if (found >= 0) {
            Entry& e = entries_[std::size_t(found)];
            if (e.object) {
                auto range = byObject_.equal_range(e.object);
                for (auto it = range.first; it != range.second; ++it)
                    if (it->second == std::size_t(found)) {
                        byObject_.erase(it);
                        break;
                    }
            }
            e.object = object;
            byObject_.emplace(object, std::size_t(found));
            sceneLog(formatC("Substituting DEF %s\n", name.c_str()));
            append = false;
        }
    }
    if (append) {
        std::size_t pos = entries_.size();
        entries_.push_back(Entry{name, object});
        positions_[name].push_back(pos);
        byObject_.emplace(object, pos);
    }
    if (Node* node = object->asNode()) {
        node->inDefRegistry = true;
        node->setName(name);
    }
}

BasicObject* DefRegistry::findDef(std::string_view name) {
    if (name.empty()) return nullptr;
    long fast = fastIndex(name);
    if (readingState().fileVersion > 6.0f && fast >= 0) {
        // Trusted only when the entry is there and carries that name.
        long index = fast + long(base_);
        if (index >= 0 && std::size_t(index) < entries_.size() && entries_[std::size_t(index)].name == name &&
            entries_[std::size_t(index)].object)
            return entries_[std::size_t(index)].object;
    }
    long found = search(name);
    if (found >= 0 && entries_[std::size_t(found)].object) return entries_[std::size_t(found)].object;
    sceneReport(std::string("Missing USE : ").append(name), 0, true);
    return nullptr;
}

void DefRegistry::beginFile() {
    bases_.push_back(base_);
    base_ = entries_.size();
}

void DefRegistry::endFile() {
    if (bases_.empty()) return;
    base_ = bases_.back();
    bases_.pop_back();
}

void DefRegistry::clear() {
    entries_.clear();
    positions_.clear();
    byObject_.clear();
    bases_.clear();
    base_ = 0;
    highestFast_ = -1;
    lastFound_ = 0;
    pending_.clear();
}

void DefRegistry::forget(const BasicObject* object) {
    auto range = byObject_.equal_range(object);
    for (auto it = range.first; it != range.second; ++it) entries_[it->second].object = nullptr;
    byObject_.erase(range.first, range.second);
}

}  // namespace kinemo

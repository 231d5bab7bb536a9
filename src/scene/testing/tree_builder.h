#pragma once
// Helpers for tests that need a scene tree without a file: a fresh scene root with the node table
// laid out as a read lays it out, a builder of small trees, a reader of scene text into a group,
// and a recorder of the reports.
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "scene/def_registry.h"
#include "scene/group_node.h"
#include "scene/node_table.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"

namespace kinemo::testing {

// "supper_supper_root" > "super_root" > "root", with root at table position 0 and its parent at 1;
// the nodes made afterwards take ids from 2 on. Everything is reset again when it goes.
class TestScene {
public:
    explicit TestScene(float fileVersion = 8.09f) {
        reset();
        readingState().fileVersion = fileVersion;
        top_ = std::make_unique<GroupNode>(false);
        top_->setName("supper_supper_root");
        superRoot = top_->createChild<GroupNode>(false);
        superRoot->setName("super_root");
        root = superRoot->createChild<GroupNode>(false);
        root->setName("root");
        root->setId(0);
        superRoot->setId(1);
        nodeTable().place(0, root);
        nodeTable().place(1, superRoot);
        nodeTable().setNextNodeId(2);
        setSceneRoot(root);
    }
    ~TestScene() {
        setSceneRoot(nullptr);
        top_.reset();
        reset();
    }
    TestScene(const TestScene&) = delete;
    TestScene& operator=(const TestScene&) = delete;

    GroupNode* superRoot = nullptr;
    GroupNode* root = nullptr;

private:
    static void reset() {
        nodeTable().clear();
        defRegistry().clear();
        resetReadingState();
    }
    std::unique_ptr<GroupNode> top_;
};

// Builds a tree top-down: group() opens a child group (with an id) and makes it current, end()
// returns to its parent; the transform setters change both records of the current group.
class TreeBuilder {
public:
    explicit TreeBuilder(GroupNode& start) : stack_{&start} {}

    TreeBuilder& group(std::string_view name) {
        GroupNode* g = current().createChild<GroupNode>(true);
        g->setName(name);
        stack_.push_back(g);
        return *this;
    }
    // A leaf group (a stand-in for a part) under the current group; the current group stays.
    TreeBuilder& leaf(std::string_view name) {
        group(name);
        return end();
    }
    TreeBuilder& end() {
        if (stack_.size() > 1) stack_.pop_back();
        return *this;
    }
    TreeBuilder& translate(float x, float y, float z) {
        each([&](TransformData& r) { r.setTranslation(x, y, z); });
        return *this;
    }
    TreeBuilder& rotate(float ax, float ay, float az, float angle) {
        each([&](TransformData& r) { r.setRotation(ax, ay, az, angle); });
        return *this;
    }
    TreeBuilder& scale(float x, float y, float z) {
        each([&](TransformData& r) { r.setScale(x, y, z); });
        return *this;
    }
    TreeBuilder& center(float x, float y, float z) {
        each([&](TransformData& r) { r.setCenter(x, y, z); });
        return *this;
    }
    GroupNode& current() { return *stack_.back(); }

private:
    template <class F>
    void each(F f) {
        f(current().initialTransform);
        f(current().currentTransform);
    }
    std::vector<GroupNode*> stack_;
};

// Reads scene text into group the way the top level does: the group reads from each position
// until the text is used up or nothing moves on.
inline void readInto(GroupNode& group, const std::string& text) {
    const char* pos = text.c_str();
    const char* end = pos + text.size();
    TextRangeScope range(pos, end);
    while (pos && pos < end && *pos) {
        const char* next = group.readFromText(pos);
        if (!next || next <= pos) break;
        pos = next;
    }
}

// Records the reports and log lines of the scene code while it lives.
class ReportRecorder {
public:
    ReportRecorder() {
        previous_ = setSceneReportListener([this](std::string_view text, int level, bool isError, bool isLog) {
            (isLog ? logs : reports).emplace_back(text);
            if (!isLog) levels.push_back(level);
        });
    }
    ~ReportRecorder() { setSceneReportListener(std::move(previous_)); }
    ReportRecorder(const ReportRecorder&) = delete;
    ReportRecorder& operator=(const ReportRecorder&) = delete;

    // True when a report (or, with logs, a log line) contains text.
    bool reported(std::string_view text) const { return any(reports, text); }
    bool logged(std::string_view text) const { return any(logs, text); }

    std::vector<std::string> reports;
    std::vector<std::string> logs;
    std::vector<int> levels;

private:
    static bool any(const std::vector<std::string>& v, std::string_view text) {
        for (const std::string& s : v)
            if (s.find(text) != std::string::npos) return true;
        return false;
    }
    SceneReportListener previous_;
};

// The first group of the subtree (depth first, start included) whose name is name, or none.
inline GroupNode* findGroup(GroupNode& start, std::string_view name) {
    if (start.nameField() == name) return &start;
    for (std::size_t i = 0; i < start.childCount(); ++i)
        if (GroupNode* g = start.child(i)->asGroupNode())
            if (GroupNode* found = findGroup(*g, name)) return found;
    return nullptr;
}

}  // namespace kinemo::testing

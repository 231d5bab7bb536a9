#include "scene/inline_loader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "core/numbers.h"
#include "scene/def_registry.h"
#include "scene/err_tree_manipulation.h"
#include "scene/group_node.h"
#include "scene/node_readers.h"
#include "scene/node_table.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"
#include "scene/scene_settings.h"

namespace kinemo {
namespace {

std::string withSlashes(std::string_view file) {
    std::string s(file);
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
}

std::string directoryOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string baseNameOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    return name;
}

// The whole file, or false (reported) when it is missing, no regular file, or too large.
bool readInlineFile(const std::string& path, const std::string& shown, std::string& text) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        sceneReport("Could not find file: " + shown, 1, true);
        return false;
    }
    const long limit = sceneSettings().maxInlineFileBytes;
    if (!S_ISREG(st.st_mode) || st.st_size > limit) {
        sceneReport(formatC("Ignoring Inline %s, it is no regular file of at most %ld bytes", shown.c_str(), limit), 2,
                    true);
        return false;
    }
    // Including one file many times is no recursion, but it can still exhaust the memory.
    ReadingState& state = readingState();
    if (state.inlineBytes + st.st_size > sceneSettings().maxInlineBytesPerRead) {
        sceneReport(formatC("Ignoring Inline %s, the Inline files of this scene exceed %lld bytes", shown.c_str(),
                            sceneSettings().maxInlineBytesPerRead),
                    2, true);
        return false;
    }
    state.inlineBytes += st.st_size;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f) {
        sceneReport("Could not find file: " + shown, 1, true);
        return false;
    }
    text.resize(std::size_t(st.st_size));
    std::size_t n = text.empty() ? 0 : std::fread(text.data(), 1, text.size(), f.get());
    text.resize(n);
    return true;
}

// Reads the content of an Inline file into group: the scene reader's VRML path when it is there,
// else the group reader over the whole text.
bool parseContent(GroupNode& group, const std::string& text) {
    if (const InlineContentReader& reader = inlineContentReader()) return reader(group, text);
    const char* pos = text.c_str();
    const char* end = pos + text.size();
    TextRangeScope range(pos, end);
    while (pos && pos < end && *pos) {
        const char* next = group.readFromText(pos);
        if (!next || next <= pos) break;
        pos = next;
    }
    return true;
}

// Restores the reading state after an Inline file, however it ends.
class InlineScope {
public:
    explicit InlineScope(std::string file) {
        ReadingState& s = readingState();
        source_ = s.source;
        cad_ = s.cadSource;
        s.inlineStack.push_back(std::move(file));
        ++s.readDepth;
        defRegistry().beginFile();
    }
    ~InlineScope() {
        ReadingState& s = readingState();
        s.inlineStack.pop_back();
        --s.readDepth;
        s.source = source_;
        s.cadSource = cad_;
        defRegistry().endFile();
    }
    InlineScope(const InlineScope&) = delete;
    InlineScope& operator=(const InlineScope&) = delete;

private:
    SourceType source_;
    CadSource cad_;
};

}  // namespace

GroupNode* loadInline(std::string_view fileName, GroupNode& parent) {
    const std::string shown(fileName);
    ReadingState& state = readingState();
    const long maxLevel = sceneSettings().maxTreeLevel;
    if (parent.level() + 1 >= maxLevel) {
        sceneReport(
            formatC("Ignoring Inline %s, maximum tree level(%ld) exceed, probably due to recursive Inline calls.",
                    shown.c_str(), maxLevel),
            2, true);
        return nullptr;
    }
    std::string path = withSlashes(fileName);
    if (path.empty()) return nullptr;
    if (path[0] != '/') {
        std::string base = state.inlineStack.empty() ? state.documentDirectory : directoryOf(state.inlineStack.back());
        path = withSlashes(base) + path;
    }
    std::error_code ec;
    std::string key = std::filesystem::weakly_canonical(path, ec).string();
    if (ec) key = path;
    if (std::find(state.inlineStack.begin(), state.inlineStack.end(), key) != state.inlineStack.end()) {
        sceneReport(
            formatC("Ignoring Inline %s, the file is already being read (recursive Inline calls).", shown.c_str()), 2,
            true);
        return nullptr;
    }
    std::string text;
    if (!readInlineFile(path, shown, text) || text.empty()) return nullptr;

    auto owned = std::make_unique<GroupNode>(true);
    owned->shapeSettings = parent.shapeSettings;
    owned->setName(baseNameOf(path));
    owned->isInline = true;
    owned->fromInline = true;
    GroupNode* group = nullptr;
    try {
        group = static_cast<GroupNode*>(parent.addChild(std::move(owned)));
    } catch (const ErrTreeManipulation& e) {
        e.report();
        return nullptr;
    }
    bool ok = false;
    try {
        InlineScope scope(key);
        ok = parseContent(*group, text);
    } catch (const std::exception& e) {
        std::string message = formatC("Exception in GroupNode::readFromString: %s\n", e.what());
        sceneReport(message, 1, true);
        sceneLog(message);
        ok = false;
    }
    if (!ok) {
        // The partly read group goes with its table and DEF entries.
        parent.removeChild(group);
        return nullptr;
    }
    return group;
}

void loadLateGroup(GroupNode& group) {
    if (group.lateFile.empty()) return;
    std::string text = formatC("{ #name %s\n children [ \n    KvxChildren %d %d %s ]}", group.nameField().c_str(), 0,
                               int(group.lateFirstId), group.lateFile.c_str());
    const std::int32_t first = group.lateFirstId;
    group.lateFile.clear();
    if (first < 0 || first == INT32_MAX || !nodeTable().setNextNodeId(first + 1)) return;
    ReadingState& s = readingState();
    const bool ownFormat = s.ownFormat;
    s.ownFormat = true;
    try {
        TextRangeScope range(text.c_str(), text.c_str() + text.size());
        group.readFromText(text.c_str());
    } catch (...) {
        s.ownFormat = ownFormat;
        throw;
    }
    s.ownFormat = ownFormat;
}

void loadLateGroups(GroupNode& subtree) {
    loadLateGroup(subtree);
    for (std::size_t i = 0; i < subtree.childCount(); ++i)
        if (GroupNode* g = subtree.child(i)->asGroupNode()) loadLateGroups(*g);
}

Node* lateGroupNode(std::int32_t id) {
    Node* n = nodeTable().at(id);
    if (!n) sceneReport(formatC("getLateGroupNode cannot find unique id in parent of node %d", int(id)), 1, true);
    return n;
}

}  // namespace kinemo

#include "scene/lod.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "core/definitions.h"
#include "core/numbers.h"
#include "scene/def_registry.h"
#include "scene/err_tree_manipulation.h"
#include "scene/matchers.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"
#include "scene/scene_settings.h"
#include "scene/transform_reader.h"
#include "scene/viewpoint.h"

namespace kinemo {
namespace {

constexpr int kKeywordBudget = 1000;

long& keepSetting() {
    static long keep = getDefinitionLong("KeepSingleChildPerLOD", -1);
    return keep;
}

long keepSingleChildPerLod() { return keepSetting(); }

const char* textEnd(const char* text) {
    const ReadingState& s = readingState();
    if (s.textEnd && text >= s.textBegin && text <= s.textEnd) return s.textEnd;
    return text + std::strlen(text);
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Where the body that starts at text closes: the bracket that brings the count back to 0.
const char* bodyClose(const char* text, const char* end) {
    const KeyWordMatcher& m = lodMatcher();
    long braces = 0, brackets = 0;
    bool opened = false;
    for (const char* pos = text; pos < end;) {
        const KeywordHit hit = m.scan(pos, end);
        if (hit.keyword == kw::EndOfString) return end;
        if (KeyWordMatcher::countBrackets(braces, brackets, hit.keyword)) {
            if (hit.keyword == kw::OpenBrace || hit.keyword == kw::OpenBracket) opened = true;
            if (braces <= 0 && brackets <= 0 && (opened || braces < 0)) return hit.begin;
        }
        pos = hit.after > pos ? hit.after : pos + 1;
    }
    return end;
}

// The children's readers see the text only up to the LOD's closing bracket, so that a child list
// without brackets cannot read on past the LOD.
class TextEndOverride {
public:
    TextEndOverride(const char* begin, const char* end) : saved_(readingState()) {
        ReadingState& s = readingState();
        if (!s.textBegin || begin < s.textBegin || begin > s.textEnd) s.textBegin = begin;
        s.textEnd = end;
    }
    ~TextEndOverride() {
        readingState().textBegin = savedBegin_;
        readingState().textEnd = savedEnd_;
    }
    TextEndOverride(const TextEndOverride&) = delete;
    TextEndOverride& operator=(const TextEndOverride&) = delete;

private:
    const ReadingState& saved_;
    const char* savedBegin_ = saved_.textBegin;
    const char* savedEnd_ = saved_.textEnd;
};

}  // namespace

LOD::LOD() : GroupNode(true) { keepSingleChildPerLod(); }

void LOD::setKeepSingleChildPerLOD(long keep) { keepSetting() = keep; }

int LOD::chooseLevel(double d) const {
    const long m = long(childCount());
    auto range = [&](long i) {
        return i >= 0 && i < ranges.count() ? double(ranges[std::int32_t(i)]) : std::numeric_limits<double>::infinity();
    };
    if (m == 0) return -1;
    if (child(0)->visible() && range(0) > d) return 0;
    for (long j = 1; j < m; ++j) {
        if (!child(std::size_t(j))->visible()) continue;
        if (j == m - 1 || (range(j - 1) < d && d < range(j))) return int(j);
    }
    for (long j = m - 1; j >= 0; --j)
        if (child(std::size_t(j))->visible()) return int(j);
    return -1;
}

void LOD::prepareFrame(const ViewPoint* current) {
    if (!visible() || childCount() == 0) return;
    GroupNode::prepareFrame(current);
    const double c[3] = {center[0], center[1], center[2]};
    double world[3];
    currentTransform.toGlobalPoint(c, world);
    double eye[3] = {0, 0, 0};
    ViewPoint* vp = const_cast<ViewPoint*>(current ? current : currentViewpoint());
    if (vp) {
        float rotation[4];
        vp->worldPose(eye, rotation);
    }
    const double d = std::sqrt((world[0] - eye[0]) * (world[0] - eye[0]) + (world[1] - eye[1]) * (world[1] - eye[1]) +
                               (world[2] - eye[2]) * (world[2] - eye[2]));
    level = chooseLevel(d);
}

void LOD::render(Renderer& renderer) {
    prepareFrame(currentViewpoint());
    currentTransform.updateLocalToGlobalMatrix();
    if (sceneSettings().groupNodeReportLevel > 9) {
        sceneLog(formatC("LOD::render numChildren: %ld\n", long(childCount())));
        sceneLog(formatC("LOD::render level_: %ld\n", long(level)));
    }
    if (level >= 0 && std::size_t(level) < childCount()) child(std::size_t(level))->render(renderer);
}

Node* LOD::addChild(std::unique_ptr<Node>&& c) {
    checkAttach(c.get());
    sceneLog(formatC("LOD::addChild %ld to %ld\n", long(c->id()), long(id())));
    const long keep = keepSingleChildPerLod();
    Node* result = nullptr;
    if (addedChildren == 0 || keep < 0) {
        result = GroupNode::addChild(std::move(c));
    } else if (addedChildren < keep) {
        if (childCount() > 0) GroupNode::removeChild(child(0));
        result = GroupNode::addChild(std::move(c));
    } else {
        // Not attached: the node stays without parent, kept alive by the LOD so that the reader
        // that made it can still fill it.
        result = c.get();
        unattached_.push_back(std::move(c));
    }
    ++addedChildren;
    return result;
}

std::unique_ptr<Node> LOD::removeChild(Node* c) {
    sceneLog(formatC("LOD::removeChild %ld from %ld\n", long(c ? c->id() : -1), long(id())));
    std::unique_ptr<Node> taken = GroupNode::removeChild(c);
    if (childCount() == 0) addedChildren = 0;
    return taken;
}

const char* LOD::readFromText(const char* text) { return readBody(text, nullptr); }

const char* LOD::readBody(const char* text, const char* end) {
    if (!text) return text;
    if (!end) end = textEnd(text);
    defRegistry().registerDef(this);
    const ReadingState& rs = readingState();
    const KeyWordMatcher& m = lodMatcher();
    long braces = 0, brackets = 0;
    const char* pos = text;
    // The count starts at 1 once the opening brace is passed (an Inline's LOD starts without one).
    while (pos < end && *pos && isSpace(*pos)) ++pos;
    if (!isInline && !fromInline && pos < end && *pos == '{') {
        braces = 1;
        ++pos;
    } else {
        pos = text;
    }
    const char* close = nullptr;
    for (int n = 0; n < kKeywordBudget; ++n) {
        const KeywordHit hit = m.scan(pos, end);
        if (hit.keyword == kw::EndOfString) return hit.after;
        pos = hit.after;
        if (KeyWordMatcher::countBrackets(braces, brackets, hit.keyword)) {
            if (braces <= 0 && brackets <= 0) return pos;
            continue;
        }
        if (hit.keyword == kw::center) {
            int found = 0;
            float c[3] = {center[0], center[1], center[2]};
            pos = readFixedFloats(pos, end, c, 3, found);
            for (int i = 0; i < 3; ++i) center[i] = float(rs.scaled(c[i]));
            continue;
        }
        if (hit.keyword == kw::range) {
            const char* q = pos;
            while (q < end && *q && isSpace(*q)) ++q;
            const char* p =
                (q < end && *q == '[') ? ranges.readFromString(pos, end) : ranges.readFromString(pos, end, 1);
            pos = p > pos ? p : pos;
            continue;
        }
        if (!close) close = bodyClose(text, end);
        const char* p = nullptr;
        {
            TextEndOverride bound(text, close);
            p = GroupNode::readFromText(hit.begin);
        }
        if (!p || p <= hit.begin) return hit.begin;
        pos = p;
    }
    return pos;
}

const char* readLodNode(GroupNode& group, const char* text, const char* end) {
    auto lod = std::make_unique<LOD>();
    lod->shapeSettings = group.shapeSettings;
    lod->fromInline = group.fromInline || group.isInline;
    LOD* raw = lod.get();
    try {
        group.addChild(std::move(lod));
    } catch (const ErrTreeManipulation& e) {
        e.report();
        defRegistry().clearPendingName();
        LOD discarded;
        return discarded.readBody(text, end);
    }
    return raw->readBody(text, end);
}

}  // namespace kinemo

#include "scene/viewpoint.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "core/definitions.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "core/report_level.h"
#include "scene/err_tree_manipulation.h"
#include "scene/group_node.h"
#include "scene/matchers.h"
#include "scene/node_table.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"
#include "scene/tokenizer.h"
#include "scene/transform_math.h"
#include "scene/transform_reader.h"
#include "scene/tree_hooks.h"
#include "text/text_form.h"
#include "text/text_holder.h"
#include "text/translator.h"

namespace kinemo {
namespace {

constexpr int kKeywordBudget = 1000;
constexpr std::string_view kMarker = "[DEF>>VIEWPOINT]";
constexpr std::string_view kBlockEnd = "[END]";

struct ViewpointState {
    std::vector<ViewPoint*> list;
    ViewPoint* current = nullptr;
    ViewPoint* initial = nullptr;
    int indexOffset = 0;
    long nameCounter = 0;
    double fieldOfView = 45.0;
    float smallestNear = 1.0f;
    bool settingsRead = false;
    std::function<void()> listChanged;
    std::function<void(float, float)> perspective;
};

// Never destroyed: viewpoints in trees that outlive the statics still leave the list on deletion.
ViewpointState& state() {
    static ViewpointState* s = new ViewpointState;
    return *s;
}

ReportLevel& reportLevel() {
    static ReportLevel level{"ViewPointReportLevel"};
    return level;
}

const char* textEnd(const char* text, const char* end) {
    if (end) return end;
    const ReadingState& s = readingState();
    if (s.textEnd && text >= s.textBegin && text <= s.textEnd) return s.textEnd;
    return text + std::strlen(text);
}

// The first occurrence of key in [p, end), or none.
const char* findIn(const char* p, const char* end, std::string_view key) {
    if (!p || p >= end) return nullptr;
    std::string_view hay(p, std::size_t(end - p));
    std::size_t at = hay.find(key);
    return at == std::string_view::npos ? nullptr : p + at;
}

tmath::Quat quatOf(const float r[4]) { return tmath::fromAxisAngle(r[0], r[1], r[2], r[3]); }

tmath::Quat conjugate(const tmath::Quat& q) { return tmath::Quat{q.w, -q.x, -q.y, -q.z}; }

// The rotation of a node's frame in world coordinates: its own rotation after those of its
// ancestors. A node without parent is the top of the tree, whose frame is the world.
tmath::Quat frameRotation(const Node* node) {
    std::vector<const TransformNode*> chain;
    for (const Node* n = node; n && n->parent(); n = n->parent())
        if (const TransformNode* t = const_cast<Node*>(n)->asTransformNode()) chain.push_back(t);
    tmath::Quat q;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        q = tmath::multiply(q, quatOf((*it)->currentTransform.rotation()));
    return q;
}

// A point of node's frame in world coordinates.
void frameToWorld(Node& node, const double in[3], double out[3]) {
    TransformNode* t = node.asTransformNode();
    if (!t || !node.parent()) {
        for (int i = 0; i < 3; ++i) out[i] = in[i];
        return;
    }
    t->currentTransform.toGlobalPoint(in, out);
}

void worldToFrame(Node& node, const double in[3], double out[3]) {
    TransformNode* t = node.asTransformNode();
    if (!t || !node.parent()) {
        for (int i = 0; i < 3; ++i) out[i] = in[i];
        return;
    }
    const double* g = t->currentTransform.globalTranslation();
    const double d[3] = {in[0] - g[0], in[1] - g[1], in[2] - g[2]};
    tmath::apply3(t->currentTransform.globalToLocal(), d, out);
}

void setPose(TransformData& record, const double position[3], const float rotation[4]) {
    record.setTranslation(float(position[0]), float(position[1]), float(position[2]));
    record.setRotation(rotation[0], rotation[1], rotation[2], rotation[3]);
}

void readSettingsOnce() {
    ViewpointState& s = state();
    if (reportLevel().readOnce() || !s.settingsRead) {
        s.smallestNear = getDefinitionFloat("SmallestNearClippingDistance", 1.0f);
        s.settingsRead = true;
    }
}

void appendTuple(std::string& out, const float* v, int n) {
    out += '(';
    for (int i = 0; i < n; ++i) {
        if (i) out += ", ";
        out += formatC("%4.3f", double(v[i]));
    }
    out += ')';
}

}  // namespace

void CameraMatrix::columnMajor(double out[16]) const {
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) out[c * 4 + r] = rotation[r * 3 + c];
        out[12 + r] = translation[r];
        out[r * 4 + 3] = 0.0;
    }
    out[15] = 1.0;
}

ViewPoint::ViewPoint() : TransformNode(false), names_(std::make_unique<TextHolder>()) { readSettingsOnce(); }

ViewPoint::~ViewPoint() {
    ViewpointState& s = state();
    // Viewpoint steps count from the index offset: one that goes from before it moves it down.
    if (const auto at = std::find(s.list.begin(), s.list.end(), this); at != s.list.end()) {
        if (int(at - s.list.begin()) < s.indexOffset) --s.indexOffset;
        s.list.erase(at);  // registering never lists a viewpoint twice
    }
    if (s.current == this) s.current = nullptr;
    if (s.initial == this) s.initial = nullptr;
}

void ViewPoint::processMenuSelect() {
    if (reportLevel().reaches(1)) logLine(formatC("ViewPoint::processMenuSelect %s\n", viewpointLabel(*this).c_str()));
    activate(*this);
    requestRedraw();
}

void ViewPoint::setName(std::string_view text) {
    Node::setName(text);
    names_->addTranslation(name_, Translator::currentLanguage());
}

void ViewPoint::takeNameFromHolder() {
    if (names_->texts().empty()) return;
    name_ = names_->displayText();
}

void ViewPoint::poseRecord(float value, float out[11]) const {
    out[0] = value;
    for (int i = 0; i < 3; ++i) out[1 + i] = currentTransform.translation()[i];
    for (int i = 0; i < 4; ++i) out[4 + i] = currentTransform.rotation()[i];
    for (int i = 0; i < 3; ++i) out[8 + i] = currentTransform.scale()[i];
}

void ViewPoint::worldPose(double position[3], float rotation[4]) {
    const float* t = currentTransform.translation();
    const double local[3] = {t[0], t[1], t[2]};
    GroupNode* p = parent();
    if (!p) {
        for (int i = 0; i < 3; ++i) position[i] = local[i];
        std::memcpy(rotation, currentTransform.rotation(), 4 * sizeof(float));
        return;
    }
    frameToWorld(*p, local, position);
    tmath::toAxisAngle(tmath::multiply(frameRotation(p), quatOf(currentTransform.rotation())), rotation);
}

void ViewPoint::setWorldPose(const double position[3], const float rotation[4], bool both) {
    double local[3];
    float localRotation[4];
    GroupNode* p = parent();
    if (!p) {
        for (int i = 0; i < 3; ++i) local[i] = position[i];
        std::memcpy(localRotation, rotation, sizeof localRotation);
    } else {
        worldToFrame(*p, position, local);
        tmath::toAxisAngle(tmath::multiply(conjugate(frameRotation(p)), quatOf(rotation)), localRotation);
    }
    setPose(currentTransform, local, localRotation);
    if (both) setPose(initialTransform, local, localRotation);
}

void ViewPoint::writeVrml(std::string& out) {
    // The reader puts a VRML viewpoint under the scene root: write the pose in the root's frame.
    double position[3];
    float rotation[4];
    worldPose(position, rotation);
    if (GroupNode* root = sceneRoot(); root && parent() && parent() != root) {
        double inRoot[3];
        worldToFrame(*root, position, inRoot);
        tmath::toAxisAngle(tmath::multiply(conjugate(frameRotation(root)), quatOf(rotation)), rotation);
        for (int i = 0; i < 3; ++i) position[i] = inRoot[i];
    } else {
        const float* t = currentTransform.translation();
        for (int i = 0; i < 3; ++i) position[i] = t[i];
        std::memcpy(rotation, currentTransform.rotation(), sizeof rotation);
    }
    // A value that prints as zero is written as zero, never as "-0.000".
    for (double& v : position)
        if (std::fabs(v) < 0.0005) v = 0.0;
    for (float& v : rotation)
        if (std::fabs(v) < 0.0005f) v = 0.0f;
    out += "\n\nViewpoint {";
    out += "\n  orientation ";
    for (int i = 0; i < 4; ++i) out += formatC(i ? " %4.3f" : "%4.3f", double(rotation[i]));
    out += "\n  position ";
    for (int i = 0; i < 3; ++i) out += formatC(i ? " %4.3f" : "%4.3f", position[i]);
    out += "\n  description \"Initial\"";
    out += "\n}";
    out += "\n\n";
}

bool ViewPoint::writeToFile(std::FILE* file) {
    std::string out;
    writeVrml(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

CameraMatrix ViewPoint::applyCamera(double stereoOffset) {
    CameraMatrix m;
    double eye[3];
    float rotation[4];
    worldPose(eye, rotation);
    if (parent()) {
        const float* g = currentTransform.globalToLocal();
        for (int i = 0; i < 9; ++i) m.rotation[i] = g[i];
    } else {
        double r[9];
        tmath::toMatrix(quatOf(rotation), r);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) m.rotation[i * 3 + j] = r[j * 3 + i];
    }
    for (int i = 0; i < 3; ++i)
        m.translation[i] =
            -(m.rotation[i * 3] * eye[0] + m.rotation[i * 3 + 1] * eye[1] + m.rotation[i * 3 + 2] * eye[2]);
    for (int i = 0; i < 3; ++i) m.eye[i] = eye[i];
    if (stereoOffset != 0.0) {
        m.translation[0] += stereoOffset;
        // The eye moves against the shift, along the camera's x axis in world coordinates.
        tmath::Affine a;
        for (int i = 0; i < 9; ++i) a.linear[i] = m.rotation[i];
        for (int i = 0; i < 3; ++i) a.offset[i] = m.translation[i];
        tmath::Affine inv;
        if (tmath::invert(a, inv)) {
            const double origin[3] = {0, 0, 0};
            inv.apply(origin, m.eye);
        }
    }
    return m;
}

bool ViewPoint::depthRange(const float boxMin[3], const float boxMax[3], float& nearest, float& farthest) {
    const CameraMatrix m = applyCamera(0.0);
    bool any = false;
    for (int c = 0; c < 8; ++c) {
        const double p[3] = {(c & 1) ? boxMax[0] : boxMin[0], (c & 2) ? boxMax[1] : boxMin[1],
                             (c & 4) ? boxMax[2] : boxMin[2]};
        const double z = m.rotation[6] * p[0] + m.rotation[7] * p[1] + m.rotation[8] * p[2] + m.translation[2];
        const float depth = float(-z);
        if (!(depth > 0.0f)) continue;
        if (!any || depth < nearest) nearest = depth;
        if (!any || depth > farthest) farthest = depth;
        any = true;
    }
    return any;
}

ClippingDistances ViewPoint::updateClippingPlanes(float sceneDiagonal, bool anythingInFront, float nearest,
                                                  float farthest) {
    ClippingDistances c;
    c.smallestNear = sceneDiagonal > 1000.0f ? 1.0f : 0.001f * sceneDiagonal;
    // A scene without extent would give a zero near plane and a degenerate frustum.
    if (!(c.smallestNear > 0.0f) || !std::isfinite(c.smallestNear)) c.smallestNear = 0.001f;
    c.unlimitedFar = farthest * 1.1f;
    c.unlimitedNear = anythingInFront ? nearest / 1.1f : c.unlimitedFar * 0.01f;
    if (reportLevel().reaches(10))
        logLine(formatC("ViewPoint::updateClippingPlanes near:%f, far %f\n", double(c.unlimitedNear),
                        double(c.unlimitedFar)));
    c.nearPlane = c.unlimitedNear;
    c.farPlane = c.unlimitedFar;
    if (!(c.nearPlane >= c.smallestNear)) c.nearPlane = c.smallestNear;
    if (!(c.farPlane >= c.nearPlane)) c.farPlane = c.nearPlane * 100.0f;
    if (c.nearPlane > c.farPlane * 0.01f) c.nearPlane = c.farPlane * 0.01f;
    state().smallestNear = c.smallestNear;
    if (state().perspective) state().perspective(c.nearPlane, c.farPlane);
    return c;
}

ViewPoint* currentViewpoint() { return state().current; }
void setCurrentViewpoint(ViewPoint* viewpoint) { state().current = viewpoint; }

void activate(ViewPoint& viewpoint) {
    state().current = &viewpoint;
    viewpoint.currentTransform.copyFrom(viewpoint.initialTransform);
    requestRedraw();
}

void registerViewpoint(ViewPoint& viewpoint) {
    ViewpointState& s = state();
    const int index = viewpointIndex(&viewpoint);
    if (index >= 0) {
        if (reportLevel().reaches(10))
            logLine(formatC("ViewPoint.register: not adding existing viewpoint %ld\n", long(index)));
        return;
    }
    s.list.push_back(&viewpoint);
    if (s.listChanged) s.listChanged();
}

int viewpointCount() { return int(state().list.size()); }

ViewPoint* viewpointAt(int index) {
    const auto& list = state().list;
    return index >= 0 && std::size_t(index) < list.size() ? list[std::size_t(index)] : nullptr;
}

int viewpointIndex(const ViewPoint* viewpoint) {
    if (!viewpoint) return -2;
    const auto& list = state().list;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i] == viewpoint) return int(i);
    return -1;
}

bool hasSeveralViewpoints() { return viewpointCount() > 1; }

void clearViewpoints() {
    ViewpointState& s = state();
    s.initial = nullptr;
    s.list.clear();
    s.indexOffset = 0;
}

void clearViewpointList() { state().list.clear(); }

ViewPoint* initialViewpoint() { return state().initial; }

void setInitialViewpoint(ViewPoint* viewpoint) {
    state().initial = viewpoint;
    if (viewpoint) activate(*viewpoint);
}
int viewpointIndexOffset() { return state().indexOffset; }
void setViewpointListChangedHandler(std::function<void()> handler) { state().listChanged = std::move(handler); }

std::string viewpointLabel(const ViewPoint& viewpoint) {
    std::string label = viewpoint.names().texts().empty() ? viewpoint.getName() : viewpoint.names().displayText();
    const GroupNode* p = viewpoint.parent();
    const GroupNode* root = sceneRoot();
    if (p && (p == root || (root && p == root->parent()))) return label;
    return label + " (" + (p ? p->getName() : std::string("no parent part!!")) + ")";
}

double viewpointFieldOfView() { return state().fieldOfView; }
void setViewpointFieldOfView(double degrees) {
    if (std::isfinite(degrees) && degrees > 0.0 && degrees < 180.0) state().fieldOfView = degrees;
}
float smallestNearClipping() {
    readSettingsOnce();
    return state().smallestNear;
}
void setPerspectiveHandler(std::function<void(float, float)> handler) { state().perspective = std::move(handler); }

void fitToBoundingBox(ViewPoint& viewpoint, Node& node) {
    if (GroupNode* g = node.asGroupNode()) g->updateBounds();
    const BoundingBox* b = node.bounds();
    double position[3] = {0.0, 0.0, 10.0};
    float rotation[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    double d = 0.0;
    const bool finiteBox = b && !b->isEmpty() && tmath::finite3(b->min) && tmath::finite3(b->max);
    if (finiteBox) {
        const double m[3] = {b->min[0], b->min[1], b->min[2]};
        const double M[3] = {b->max[0], b->max[1], b->max[2]};
        const double e[3] = {M[0] - m[0], M[1] - m[1], M[2] - m[2]};
        int k = 0;
        if (e[1] < e[k]) k = 1;
        if (e[2] < e[k]) k = 2;
        const double a = e[(k + 1) % 3], c = e[(k + 2) % 3];
        const double diagonal = std::sqrt(a * a + c * c);
        const double phi = viewpointFieldOfView() * M_PI / 180.0;
        d = diagonal / std::tan(phi / 2.0) * 0.5;
        const double least = double(smallestNearClipping()) * 1.01;
        if (!(d >= least)) d = least;
        const double mid[3] = {(m[0] + M[0]) / 2, (m[1] + M[1]) / 2, (m[2] + M[2]) / 2};
        if (k == 0) {
            position[0] = M[0] + d, position[1] = mid[1], position[2] = mid[2];
            rotation[0] = 0, rotation[1] = 1, rotation[2] = 0, rotation[3] = float(M_PI / 2);
        } else if (k == 1) {
            position[0] = mid[0], position[1] = m[1] - d, position[2] = mid[2];
            rotation[0] = 1, rotation[1] = 0, rotation[2] = 0, rotation[3] = float(M_PI / 2);
        } else {
            position[0] = mid[0], position[1] = mid[1], position[2] = M[2] + d;
        }
    }
    if (&node == viewpoint.parent()) {
        // Already in the viewpoint's own parent frame.
        setPose(viewpoint.currentTransform, position, rotation);
    } else {
        double world[3];
        float worldRotation[4];
        if (node.parent() && &node != sceneRoot()) {
            frameToWorld(node, position, world);
            tmath::toAxisAngle(tmath::multiply(frameRotation(&node), quatOf(rotation)), worldRotation);
        } else {
            for (int i = 0; i < 3; ++i) world[i] = position[i];
            std::memcpy(worldRotation, rotation, sizeof rotation);
        }
        viewpoint.setWorldPose(world, worldRotation, false);
    }
    if (reportLevel().reaches(10)) {
        const float* t = viewpoint.currentTransform.translation();
        const float* r = viewpoint.currentTransform.rotation();
        logLine(formatC("ViewPoint::fitToBoundingBox(%s) d:%f, pos %f %f %f, rot %f %f %f %f\n", node.getName().c_str(),
                        d, double(t[0]), double(t[1]), double(t[2]), double(r[0]), double(r[1]), double(r[2]),
                        double(r[3])));
        logLine(viewpoint.transformText());
    }
}

void copyPoseFrom(ViewPoint& target, ViewPoint& source) {
    if (&target == &source) return;
    target.currentTransform.copyFrom(source.currentTransform);
    if (target.parent() && source.parent()) {
        double world[3];
        float rotation[4];
        source.worldPose(world, rotation);
        target.setWorldPose(world, rotation, true);
    }
    target.names() = source.names();
    target.takeNameFromHolder();
}

void takeCurrentCamera(ViewPoint& viewpoint) {
    if (ViewPoint* current = currentViewpoint()) copyPoseFrom(viewpoint, *current);
}

ViewPoint* duplicateViewpoint(ViewPoint& viewpoint) {
    GroupNode* p = viewpoint.parent();
    if (!p) return nullptr;
    try {
        ViewPoint* copy = p->createChild<ViewPoint>();
        copyPoseFrom(*copy, viewpoint);
        return copy;
    } catch (const ErrTreeManipulation& e) {
        e.report();
        return nullptr;
    }
}

const char* readVrmlViewpoint(ViewPoint& viewpoint, const char* text, const char* end) {
    if (!text) return text;
    end = textEnd(text, end);
    const ReadingState& rs = readingState();
    const KeyWordMatcher& m = viewpointMatcher();
    long braces = 0, brackets = 0;
    const char* pos = text;
    float position[3] = {0, 0, 0}, orientation[4] = {0, 0, 1, 0}, center[3] = {0, 0, 0};
    bool hasPosition = false, hasOrientation = false, hasCenter = false;
    for (int n = 0; n < kKeywordBudget; ++n) {
        const KeywordHit hit = m.scan(pos, end);
        if (hit.keyword == kw::EndOfString) {
            pos = hit.after;
            break;
        }
        pos = hit.after;
        if (KeyWordMatcher::countBrackets(braces, brackets, hit.keyword)) {
            if (braces <= 0 && brackets <= 0) break;
            continue;
        }
        int found = 0;
        if (hit.keyword == kw::description) {
            // The name stands between the first pair of quotes on this line.
            const char* q = pos;
            while (q < end && *q && *q != '"' && *q != '\n' && *q != '\r') ++q;
            if (q < end && *q == '"') {
                const char* close = q + 1;
                while (close < end && *close && *close != '"' && *close != '\n' && *close != '\r') ++close;
                if (close < end && *close == '"') {
                    viewpoint.setName(std::string_view(q + 1, std::size_t(close - q - 1)));
                    pos = close + 1;
                }
            }
        } else if (hit.keyword == kw::position) {
            pos = readFixedFloats(pos, end, position, 3, found);
            hasPosition = true;
        } else if (hit.keyword == kw::orientation) {
            pos = readFixedFloats(pos, end, orientation, 4, found);
            hasOrientation = true;
        } else if (hit.keyword == kw::center) {
            pos = readFixedFloats(pos, end, center, 3, found);
            hasCenter = true;
        } else {
            pos = hit.begin;
            break;
        }
    }
    for (TransformData* r : {&viewpoint.initialTransform, &viewpoint.currentTransform}) {
        if (hasPosition)
            r->setTranslation(float(rs.scaled(position[0])), float(rs.scaled(position[1])),
                              float(rs.scaled(position[2])));
        if (hasOrientation) r->setRotation(orientation[0], orientation[1], orientation[2], orientation[3]);
        if (hasCenter)
            r->setCenter(float(rs.scaled(center[0])), float(rs.scaled(center[1])), float(rs.scaled(center[2])));
    }
    ViewpointState& s = state();
    if (viewpoint.getName() == "noName") viewpoint.setName(formatC("noname%ld", s.nameCounter++));
    if (!s.initial) {
        s.initial = &viewpoint;
        activate(viewpoint);
    }
    s.indexOffset = int(s.list.size());
    return pos;
}

ViewPoint* readViewpointDefinition(std::unique_ptr<ViewPoint> viewpoint, const char* text, const char* end,
                                   NodeTable& table, const char*& after) {
    end = textEnd(text, end);
    const char* close = findIn(text, end, kBlockEnd);
    if (!close) {
        after = std::min(text + 3, end);
        return nullptr;
    }
    // The keys stand before the names; searching no further keeps a name such as "Endposition"
    // from being read as a key, and a block without a key from taking a later block's.
    const bool tagForm = textTagForm();
    const char* namesStart = tagForm ? findIn(text, close, "<kmxTEXT") : findIn(text, close, "# [");
    if (tagForm && namesStart) {
        // A name may hold "[END]"; the block ends after the names' closing tag, which no text holds.
        if (const char* namesEnd = findIn(namesStart, end, "</kmxTEXT>"); namesEnd && namesEnd > close)
            if (const char* later = findIn(namesEnd, end, kBlockEnd)) close = later;
    }
    const char* blockEnd = close + kBlockEnd.size();
    after = blockEnd;
    const char* keysEnd = namesStart ? namesStart : close;

    float position[3] = {0, 0, 0}, rotation[4] = {0, 0, 1, 0};
    if (const char* k = findIn(text, keysEnd, "pos")) readFloatBlock(position, k + 3, 3, true, keysEnd);
    if (const char* k = findIn(text, keysEnd, "rot")) readFloatBlock(rotation, k + 3, 4, true, keysEnd);
    std::int32_t partId = 0;
    if (const char* k = findIn(text, keysEnd, "partId")) {
        long long v = 0;
        std::string_view rest(k + 6, std::size_t(keysEnd - k - 6));
        const std::size_t skip = std::min(rest.size(), rest.find_first_not_of(": \t"));
        if (parseLongPrefix(rest.substr(skip), v) > 0)
            partId = std::int32_t(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
    }
    if (namesStart) {
        int id = -1;
        const std::string_view block(namesStart, std::size_t(blockEnd - namesStart));
        if (tagForm) {
            viewpoint->names().readTagBlock(block, id);
        } else {
            viewpoint->names().readBracketBlock(block);
        }
        viewpoint->takeNameFromHolder();
    }

    Node* node = table.at(partId);
    GroupNode* group = node ? node->asGroupNode() : nullptr;
    if (!node) {
        sceneReport("cannot attach viewpoint to unknown node", 1, true);
        return nullptr;
    }
    if (!group) {
        sceneReport("cannot attach viewpoint to node that is not Group", 1, true);
        return nullptr;
    }
    const ReadingState& rs = readingState();
    for (TransformData* r : {&viewpoint->initialTransform, &viewpoint->currentTransform}) {
        r->setTranslation(float(rs.scaled(position[0])), float(rs.scaled(position[1])), float(rs.scaled(position[2])));
        r->setCenter(0, 0, 0);
        r->setRotation(rotation[0], rotation[1], rotation[2], rotation[3]);
    }
    ViewPoint* raw = viewpoint.get();
    try {
        group->addChild(std::move(viewpoint));
    } catch (const ErrTreeManipulation& e) {
        e.report();
        return nullptr;
    }
    registerViewpoint(*raw);
    return raw;
}

const char* loadViewpoints(const char* text, const char* end, NodeTable& table) {
    if (!text) return text;
    end = textEnd(text, end);
    const bool verbose = reportLevel().reaches(10);
    if (verbose) logLine("Viewpoint.loadViewpoints:\n");
    showStatus("Loading viewpoints");
    const char* marker = findIn(text, end, kMarker);
    if (!marker) {
        sceneReport("No animation viewpoints available", 0, true);
        return text;
    }
    const char* pos = text;
    while (marker) {
        const char* after = nullptr;
        ViewPoint* vp =
            readViewpointDefinition(std::make_unique<ViewPoint>(), marker + kMarker.size(), end, table, after);
        pos = after;
        if (verbose) logLine(formatC("ViewPoint.loadViewpoints endPos: %ld\n", long(pos - text)));
        // Only a viewpoint that was attached may become the current one.
        if (vp && !currentViewpoint()) {
            activate(*vp);
            requestRedraw();
        }
        marker = findIn(pos, end, kMarker);
        if (verbose && marker) logLine(formatC("ViewPoint.loadViewpoints text: %ld\n", long(marker - text)));
    }
    if (verbose) logLine(formatC("ViewPoint.loadViewpoints number: %ld\n", long(viewpointCount())));
    return pos;
}

void writeViewpointDefinition(std::string& out, const ViewPoint& viewpoint) {
    const GroupNode* p = viewpoint.parent();
    if (!p) {
        logLine("Warning in ViewPoint::writeToFileInAnimFormat ignoring viewpoint without parent");
        return;
    }
    out += "\n\n# [DEF>>VIEWPOINT]";
    out += formatC("\n# partId %ld", long(p->id()));
    out += "\n# pos ";
    appendTuple(out, viewpoint.initialTransform.translation(), 3);
    out += "\n# rot ";
    appendTuple(out, viewpoint.initialTransform.rotation(), 4);
    // Every language with its position, so that no translation of the name is lost.
    viewpoint.names().writeTagBlock(out, -1);
    out += "\n# [END]";
}

void writeViewpointDefinitions(std::string& out) {
    for (ViewPoint* vp : state().list) writeViewpointDefinition(out, *vp);
    out += "\n\n\n";
}

const char* readViewpointNode(GroupNode& group, const char* text, const char* end) {
    auto vp = std::make_unique<ViewPoint>();
    ViewPoint* raw = vp.get();
    try {
        group.addChild(std::move(vp));
    } catch (const ErrTreeManipulation& e) {
        e.report();
        // Read the body into a viewpoint that goes away with it, so that reading goes on after it;
        // the discarded viewpoint never becomes the initial or the current one.
        ViewpointState& s = state();
        ViewPoint* const current = s.current;
        ViewPoint* const initial = s.initial;
        const int offset = s.indexOffset;
        const char* p = nullptr;
        {
            ViewPoint discarded;
            s.initial = &discarded;
            p = readVrmlViewpoint(discarded, text, end);
        }
        s.current = current;
        s.initial = initial;
        s.indexOffset = offset;
        return p;
    }
    return readVrmlViewpoint(*raw, text, end);
}

}  // namespace kinemo

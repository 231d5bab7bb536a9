// Runs the shape readers over arbitrary scene text: the first byte chooses VRML 2 or VRML 1, our
// own document format (binary blocks) or not, and a foreign or own file version; the rest is the
// text. Every face set that comes out must index only rows it has, hold finite numbers, write,
// and read back from what it wrote.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/clock.h"
#include "fuzz_clock.h"
#include "core/messages.h"
#include "geometry/face_object.h"
#include "geometry/face_ref.h"
#include "geometry/shape_node.h"
#include "scene/group_node.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"
#include "scene/scene_settings.h"
#include "scene/testing/tree_builder.h"

using namespace kinemo;

namespace {

void checkIndex(const VectorL* list, const MatrixF* rows) {
    if (!list) return;
    const std::int32_t n = rows ? rows->rows() : 0;
    for (std::int32_t v : *list)
        if (v >= n) std::abort();
}

void checkFinite(const MatrixF* m) {
    if (!m) return;
    for (std::int32_t i = 0; i < m->elementCount(); ++i)
        if (!std::isfinite(m->data()[i])) std::abort();
}

void checkFace(const FaceObject& f) {
    if (f.state() != FaceObject::Ready) return;
    checkIndex(f.coordIndex.get(), f.points.get());
    checkIndex(f.lineIndex.get(), f.points.get());
    if (f.normalIndex && f.coordIndex && f.normalIndex->count() == f.coordIndex->count())
        checkIndex(f.normalIndex.get(), f.normals.get());
    checkFinite(f.points.get());
    checkFinite(f.normals.get());
    checkIndex(f.lineColourIndex.get(), f.lineColours.get());
    if (f.lineColourIndex && (!f.lineIndex || f.lineColourIndex->count() != f.lineIndex->count())) std::abort();
    if (f.colorIndex) checkIndex(f.colorIndex.get(), f.colours.get());
    const FaceRenderArrays& a = f.renderArrays();
    for (std::uint32_t i : a.indices)
        if (i >= std::uint32_t(a.vertexCount())) std::abort();
    for (float v : a.vertices)
        if (!std::isfinite(v)) std::abort();
    if (!a.colours.empty() && a.colours.size() != std::size_t(a.vertexCount()) * 3) std::abort();
    if (a.textured && a.texRows.size() != std::size_t(a.vertexCount())) std::abort();
}

void walk(GroupNode& g, std::string& out) {
    for (std::size_t i = 0; i < g.childCount(); ++i) {
        Node* c = g.child(i);
        if (GroupNode* sub = c->asGroupNode()) walk(*sub, out);
        ShapeNode* s = c->asShapeNode();
        if (!s || !s->geometry()) continue;
        if (const FaceObject* f = s->geometry()->asFaceObject()) checkFace(*f);
        if (auto* r = dynamic_cast<const FaceRef*>(s->geometry())) checkFace(r->target());
        s->writeText(out);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzing::NoSleepClock clock;
    static bool once = [] {
        setMessageClock(&clock);
        setSceneReportListener([](std::string_view, int, bool, bool) {});
        sceneSettings().maxClonedNodesPerRead = 20000;
        sceneSettings().maxInlineFileBytes = 0;
        registerShapeReaders();
        return true;
    }();
    (void)once;
    if (size == 0 || size > 200000) return 0;
    const std::uint8_t mode = data[0];
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string written;
    {
        testing::TestScene scene((mode & 4) ? 8.09f : -1.0f);
        readingState().source = (mode & 1) ? SourceType::Vrml1 : SourceType::Vrml2;
        readingState().ownFormat = (mode & 2) != 0;
        readingState().documentDirectory = "/nonexistent-kinemo-fuzz/";
        testing::readInto(*scene.root, text);
        FaceShareTable table;
        table.shareAll(*scene.root);
        walk(*scene.root, written);
    }
    if (!(mode & 2)) {
        // What was written reads again as VRML 2.
        testing::TestScene scene(8.09f);
        readingState().source = SourceType::Vrml2;
        testing::readInto(*scene.root, written);
        std::string again;
        walk(*scene.root, again);
    }
    return 0;
}

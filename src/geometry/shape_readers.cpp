// The shape readers as the group reader calls them: VRML 2 Shape bodies, and the VRML 1 and
// Inventor separator elements, whose coordinates, normals, texture points, material and texture
// are state that the face sets after them take.
#include <cstring>
#include <mutex>
#include <vector>

#include "geometry/face_object.h"
#include "geometry/face_object_reading.h"
#include "geometry/face_ref.h"
#include "geometry/primitives.h"
#include "geometry/shape_node.h"
#include "scene/def_registry.h"
#include "scene/err_tree_manipulation.h"
#include "scene/group_node.h"
#include "scene/matchers.h"
#include "scene/node_readers.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"
#include "scene/tokenizer.h"

namespace kinemo {
namespace {

// The VRML 1 state of a separator. Lists are shared with the separators inside it and never
// changed in place; a face set takes only the rows it uses.
class Vrml1ShapeState : public BasicObject {
public:
    std::shared_ptr<const MatrixF> points, normals, texCoord;
    std::shared_ptr<const Material> material;
    std::shared_ptr<const Texture> texture;
    // A Material with more than one diffuse colour, and how the face sets take them.
    std::shared_ptr<const MatrixF> diffuseColours;
    Binding materialBinding = Binding::Overall;
};

Vrml1ShapeState& stateOf(GroupNode& g) {
    if (auto* s = dynamic_cast<Vrml1ShapeState*>(g.prototypeShape.get())) return *s;
    auto s = std::make_unique<Vrml1ShapeState>();
    Vrml1ShapeState& ref = *s;
    g.prototypeShape = std::move(s);
    return ref;
}

// The rows of source that index uses, renumbered in order of first use; indices past the rows are
// kept past the new rows, so that the face set's own checks drop their faces.
std::unique_ptr<MatrixF> takeUsedRows(const MatrixF& source, VectorL* index) {
    const std::int32_t rows = source.rows(), columns = source.columns();
    if (!index) return source.clone();
    std::vector<std::int32_t> map;
    std::vector<float> out;
    // A face set using most of the list takes it whole.
    if (std::int64_t(index->count()) * 2 >= rows) {
        map.assign(std::size_t(rows), -1);
        std::int32_t next = 0;
        for (std::int32_t& v : *index) {
            if (v < 0 || v >= rows) continue;
            if (map[std::size_t(v)] < 0) {
                map[std::size_t(v)] = next++;
                out.insert(out.end(), source.row(v), source.row(v) + columns);
            }
            v = map[std::size_t(v)];
        }
    } else {
        std::unordered_map<std::int32_t, std::int32_t> sparse;
        sparse.reserve(std::size_t(index->count()));
        for (std::int32_t& v : *index) {
            if (v < 0 || v >= rows) continue;
            auto [it, fresh] = sparse.emplace(v, std::int32_t(out.size() / std::size_t(columns)));
            if (fresh) out.insert(out.end(), source.row(v), source.row(v) + columns);
            v = it->second;
        }
    }
    const std::int32_t kept = std::int32_t(out.size() / std::size_t(columns));
    for (std::int32_t& v : *index)
        if (v >= rows) v = kept + (v - rows);  // still past the end
    auto m = std::make_unique<MatrixF>(kept, columns);
    if (!out.empty()) std::memcpy(m->data(), out.data(), out.size() * sizeof(float));
    m->setKind(source.kind());
    return m;
}

// Every diffuse colour of a Material body (VRML 1 and Inventor give one per face or vertex).
std::shared_ptr<const MatrixF> diffuseColoursOf(const char* body, const char* end) {
    const KeyWordMatcher& m = appearanceMatcher();
    std::vector<float> values;
    for (const char* pos = body; pos < end;) {
        const KeywordHit hit = m.scan(pos, end);
        if (hit.keyword == kw::EndOfString) break;
        pos = hit.after;
        if (hit.keyword != kw::diffuseColor) continue;
        const char* q = pos;
        while (q < end && (*q == ' ' || *q == '\t' || *q == '\r' || *q == '\n')) ++q;
        if (q >= end || *q != '[') return nullptr;  // a single colour: the material's own
        readFloatList(values, q, end);
        break;
    }
    const std::size_t rows = values.size() / 3;
    if (rows < 2 || rows > std::size_t(INT32_MAX / 3)) return nullptr;
    auto list = std::make_shared<MatrixF>(std::int32_t(rows), 3);
    std::memcpy(list->data(), values.data(), rows * 3 * sizeof(float));
    return list;
}

// The faces of coordIndex as the position of their first entry.
std::vector<std::int32_t> faceStarts(const VectorL& coordIndex) {
    std::vector<std::int32_t> starts;
    const std::int32_t n = coordIndex.count();
    bool open = false;
    for (std::int32_t i = 0; i < n; ++i) {
        if (coordIndex[i] < 0) {
            open = false;
        } else if (!open) {
            starts.push_back(i);
            open = true;
        }
    }
    return starts;
}

// Line sets take their colours per segment (parts), per polyline (faces) or per vertex.
void bindLineMaterials(FaceObject& f, std::unique_ptr<MatrixF> list, Binding binding, const VectorL* materialIndex) {
    using C = FaceObject::LineColouring;
    const bool indexed = binding == Binding::PerPartIndexed || binding == Binding::PerFaceIndexed ||
                         binding == Binding::PerVertexIndexed;
    const C colouring = binding == Binding::PerPart || binding == Binding::PerPartIndexed   ? C::PerSegment
                        : binding == Binding::PerFace || binding == Binding::PerFaceIndexed ? C::PerPolyline
                                                                                            : C::PerVertex;
    if (indexed || colouring != C::PerVertex) {
        // In order (no index) the colours are counted by segment or polyline; PER_VERTEX_INDEXED
        // without materialIndex follows the point indices.
        f.makeLineSegments(std::move(list), colouring, indexed ? materialIndex : nullptr);
        return;
    }
    // PER_VERTEX: every vertex takes the next colour.
    VectorL order(f.lineIndex->count());
    std::int32_t next = 0;
    for (std::int32_t i = 0; i < order.count(); ++i) order[i] = (*f.lineIndex)[i] >= 0 ? next++ : -1;
    f.makeLineSegments(std::move(list), colouring, &order);
}

// VRML 1 and Inventor colours by material binding become the face set's colours: the Material's
// diffuse list (or a VertexProperty's orderedRGBA) by face, by part or by vertex, in order or
// through materialIndex. Indices that name no colour are left for finishReading, which reports
// them and drops the colours.
void bindMaterials(FaceObject& f, ShapeNode& shape, const Vrml1ShapeState& state) {
    std::unique_ptr<VectorL> materialIndex = std::move(f.colorIndex);
    std::unique_ptr<MatrixF> list;
    Binding binding = state.materialBinding;
    const bool ownColours = f.colours != nullptr;
    if (ownColours) {
        list = std::move(f.colours);
        binding = f.materialBinding;
    } else if (state.diffuseColours) {
        list = state.diffuseColours->clone();
    }
    f.settings.colorPerVertex = false;
    if (!list || list->rows() == 0) return;
    if (!f.coordIndex && f.lineIndex && binding != Binding::Default && binding != Binding::Overall) {
        bindLineMaterials(f, std::move(list), binding, materialIndex.get());
        return;
    }
    if (!f.coordIndex) return;
    const std::int32_t rows = list->rows();
    if (binding == Binding::Default || binding == Binding::Overall) {
        if (ownColours)
            shape.appearance().material().setBaseDiffuse(Colour{list->at(0, 0), list->at(0, 1), list->at(0, 2)});
        return;
    }
    const VectorL& ci = *f.coordIndex;
    const std::int32_t given = materialIndex ? materialIndex->count() : 0;
    if (binding == Binding::PerVertex || binding == Binding::PerVertexIndexed) {
        // One colour per vertex, beside coordIndex; PER_VERTEX_INDEXED without materialIndex
        // follows the point indices.
        auto index = std::make_unique<VectorL>(ci.count());
        std::int32_t vertexRef = 0;
        for (std::int32_t i = 0; i < ci.count(); ++i) {
            if (ci[i] < 0) {
                (*index)[i] = -1;
                continue;
            }
            (*index)[i] = binding == Binding::PerVertex ? vertexRef % rows
                          : given == ci.count()         ? (*materialIndex)[i]
                                                        : ci[i];
            ++vertexRef;
        }
        f.colours = std::move(list);
        f.colorIndex = std::move(index);
        f.settings.colorPerVertex = true;
        return;
    }
    const std::vector<std::int32_t> starts = faceStarts(ci);
    const std::int32_t faces = std::int32_t(starts.size());
    auto index = std::make_unique<VectorL>(faces);
    std::int32_t face = 0;
    for (std::int32_t i = 0; i < ci.count() && face < faces; ++i) {
        if (i == starts[std::size_t(face)]) {
            std::int32_t c = 0;
            switch (binding) {
                case Binding::PerFaceIndexed:
                case Binding::PerPartIndexed:
                    c = given >= faces ? (*materialIndex)[face] : face % rows;
                    break;
                default:
                    c = face % rows;
                    break;
            }
            (*index)[face++] = c;
        }
    }
    f.colours = std::move(list);
    f.colorIndex = std::move(index);
}

ShapeNode* attachShape(GroupNode& g, std::unique_ptr<ShapeNode> shape) {
    try {
        ShapeNode* raw = static_cast<ShapeNode*>(g.addChild(std::move(shape)));
        defRegistry().registerDef(raw);
        return raw;
    } catch (const ErrTreeManipulation& e) {
        e.report();
        return nullptr;
    }
}

// Finishes a shape's face set; a face set that is unusable, or was split into new shapes, takes
// its shape away.
void finishShape(GroupNode& g, ShapeNode* shape) {
    if (!shape) return;
    FaceObject* face = shape->geometry() ? shape->geometry()->asFaceObject() : nullptr;
    bool keep = true;
    if (face && face->state() != FaceObject::Read && face->state() != FaceObject::Ready)
        keep = face->finishReading(shape, &g);
    if (!keep) {
        if (std::unique_ptr<Node> gone = shape->detachFromParent()) gone.reset();
    }
}

const char* readVrml2Shape(GroupNode& g, const char* after) {
    auto shape = std::make_unique<ShapeNode>(true);
    ShapeNode* raw = attachShape(g, std::move(shape));
    if (!raw) return after;
    const char* p = raw->readFromString(after, nullptr, &g);
    if (!raw->geometry() && raw->parent()) {
        // Nothing to draw: a face set that failed, or a body without geometry.
        if (std::unique_ptr<Node> gone = raw->detachFromParent()) gone.reset();
    }
    return p;
}

// A VRML 1 shape: a new shape node with the separator's material and texture, its geometry read
// from the element's body.
ShapeNode* newVrml1Shape(GroupNode& g) {
    auto shape = std::make_unique<ShapeNode>(true);
    shape->settings = defaultShapeSettings(true);
    const ShapeSettings& groupSettings = *g.shapeSettings;
    if (groupSettings.normalBinding != Binding::Default) shape->settings.normalBinding = groupSettings.normalBinding;
    shape->settings.creaseAngle = groupSettings.creaseAngle;
    shape->settings.solid = groupSettings.solid;
    shape->settings.ccw = groupSettings.ccw;
    Vrml1ShapeState& state = stateOf(g);
    if (state.material) {
        shape->appearance().material().copyValues(*state.material, false);
        shape->appearance().material().copyValues(*state.material, true);
    }
    if (state.texture) {
        auto t = std::make_unique<Texture>();
        t->copyFrom(*state.texture);
        shape->appearance().setTexture(std::move(t));
    }
    return attachShape(g, std::move(shape));
}

const char* readVrml1FaceSet(GroupNode& g, Keyword k, const char* after) {
    if (!readingState().isVrml1()) {
        // A VRML 2 face set outside a Shape: a shape of its own.
        auto shape = std::make_unique<ShapeNode>(true);
        ShapeNode* raw = attachShape(g, std::move(shape));
        if (!raw) return after;
        std::unique_ptr<ShapeBasics> geometry;
        const char* p = readGeometryNode(k, after, nullptr, raw, geometry);
        raw->setGeometry(std::move(geometry));
        finishShape(g, raw);
        return p;
    }
    ShapeNode* shape = newVrml1Shape(g);
    if (!shape) return after;
    Vrml1ShapeState& state = stateOf(g);
    auto face = std::make_unique<FaceObject>();
    copyShapeSettings(face->settings, shape->settings);
    FaceObject* f = face.get();
    shape->setGeometry(std::move(face));
    defRegistry().registerDef(f);
    const char* p;
    if (k == kw::IndexedTriangleStripSet)
        p = f->readIndexedTriangleStripSet(after, nullptr, shape);
    else if (k == kw::IndexedLineSet)
        p = f->readIndexedLineSet(after, nullptr);
    else
        p = f->readIndexedFaceSet(after, nullptr, shape);
    bindMaterials(*f, *shape, state);  // before the points are renumbered: colours may follow them
    if (!f->points && state.points)
        f->points = takeUsedRows(*state.points, f->coordIndex ? f->coordIndex.get() : f->lineIndex.get());
    if (!f->normals && state.normals && f->normalIndex)
        f->normals = takeUsedRows(*state.normals, f->normalIndex.get());
    else if (!f->normals && state.normals && !f->normalIndex)
        f->normals = state.normals->clone();
    if (!f->texCoord && state.texCoord) {
        f->texCoord =
            f->texCoordIndex ? takeUsedRows(*state.texCoord, f->texCoordIndex.get()) : state.texCoord->clone();
        f->texCoordWork = f->texCoord->clone();
    }
    finishShape(g, shape);
    return p;
}

const char* readPrimitive(GroupNode& g, Keyword k, const char* after) {
    ShapeNode* shape = readingState().isVrml1() ? newVrml1Shape(g) : attachShape(g, std::make_unique<ShapeNode>(true));
    if (!shape) return after;
    std::unique_ptr<ShapeBasics> geometry;
    const char* p = readGeometryNode(k, after, nullptr, shape, geometry);
    shape->setGeometry(std::move(geometry));
    finishShape(g, shape);
    return p;
}

template <class T>
std::shared_ptr<const MatrixF> readStateList(const char* after, Keyword field, std::int32_t columns, std::int32_t kind,
                                             const char*& p) {
    std::unique_ptr<MatrixF> m;
    p = reading::readNodeList(after, reading::textEndFor(after, nullptr), field, columns, m, kind);
    return std::shared_ptr<const MatrixF>(std::move(m));
}

bool useVrml1Object(GroupNode& g, BasicObject& object) {
    Vrml1ShapeState& state = stateOf(g);
    if (auto* m = dynamic_cast<MatrixF*>(&object)) {
        std::shared_ptr<const MatrixF> copy(m->clone());
        if (m->columns() == 2)
            state.texCoord = copy;
        else if (m->kind() == MatrixF::KindNormals)
            state.normals = copy;
        else
            state.points = copy;
        return true;
    }
    if (auto* material = dynamic_cast<Material*>(&object)) {
        state.material = std::make_shared<Material>(*material);
        state.diffuseColours.reset();
        return true;
    }
    if (auto* face = dynamic_cast<FaceObject*>(&object)) {
        ShapeNode* shape = newVrml1Shape(g);
        if (!shape) return true;
        shape->setGeometry(face->makeReference());
        return true;
    }
    return false;
}

const char* readMaterialBinding(GroupNode& g, const char* after) {
    const char* end = reading::textEndFor(after, nullptr);
    const KeyWordMatcher& m = transformMatcher();
    long braces = 0, brackets = 0;
    Binding binding = Binding::Overall;
    const char* pos = after;
    for (int n = 0; n < 100; ++n) {
        const KeywordHit hit = m.scan(pos, end);
        if (hit.keyword == kw::EndOfString) return hit.after;
        if (KeyWordMatcher::countBrackets(braces, brackets, hit.keyword)) {
            if (braces < 0) return hit.begin;
            pos = hit.after;
            if (braces == 0 && brackets == 0) break;
            continue;
        }
        if (braces == 0) return hit.begin;  // no body
        pos = hit.after;
        const Keyword k = hit.keyword;
        if (k == kw::DEFAULT || k == kw::OVERALL)
            binding = Binding::Overall;
        else if (k == kw::PER_PART)
            binding = Binding::PerPart;
        else if (k == kw::PER_PART_INDEXED)
            binding = Binding::PerPartIndexed;
        else if (k == kw::PER_FACE)
            binding = Binding::PerFace;
        else if (k == kw::PER_FACE_INDEXED)
            binding = Binding::PerFaceIndexed;
        else if (k == kw::PER_VERTEX)
            binding = Binding::PerVertex;
        else if (k == kw::PER_VERTEX_INDEXED)
            binding = Binding::PerVertexIndexed;
    }
    stateOf(g).materialBinding = binding;
    return pos;
}

}  // namespace

void registerShapeReaders() {
    static std::once_flag once;
    std::call_once(once, [] {});
    registerNodeReader(kw::Shape,
                       [](GroupNode& g, Keyword, const char*, const char* after) { return readVrml2Shape(g, after); });
    for (Keyword k : {kw::IndexedFaceSet, kw::IndexedTriangleStripSet, kw::IndexedLineSet})
        registerNodeReader(k, [](GroupNode& g, Keyword key, const char*, const char* after) {
            return readVrml1FaceSet(g, key, after);
        });
    for (Keyword k : {kw::Box, kw::Cube, kw::Cylinder, kw::Cone, kw::Sphere, kw::Extrusion, kw::ElevationGrid})
        registerNodeReader(
            k, [](GroupNode& g, Keyword key, const char*, const char* after) { return readPrimitive(g, key, after); });
    registerNodeReader(kw::Coordinate3, [](GroupNode& g, Keyword, const char*, const char* after) {
        const char* p;
        stateOf(g).points = readStateList<void>(after, kw::point, 3, MatrixF::KindCoordinates, p);
        return p;
    });
    registerNodeReader(kw::Normal, [](GroupNode& g, Keyword, const char*, const char* after) {
        const char* p;
        stateOf(g).normals = readStateList<void>(after, kw::vector, 3, MatrixF::KindNormals, p);
        return p;
    });
    registerNodeReader(kw::TextureCoordinate2, [](GroupNode& g, Keyword, const char*, const char* after) {
        const char* p;
        stateOf(g).texCoord = readStateList<void>(after, kw::point, 2, MatrixF::KindNone, p);
        return p;
    });
    registerNodeReader(kw::creaseAngle, [](GroupNode& g, Keyword, const char*, const char* after) {
        const float a = float(readFloat(after));
        g.shapeSettings->creaseAngle = a;
        const char* p = after;
        reading::readWord(p, reading::textEndFor(after, nullptr));
        return p;
    });
    if (!findNodeReader(kw::Material))
        registerNodeReader(kw::Material, [](GroupNode& g, Keyword, const char*, const char* after) {
            auto m = std::make_shared<Material>();
            const char* p = m->readFromString(after, reading::textEndFor(after, nullptr));
            if (defRegistry().hasPendingName()) reading::registerSnapshot(std::make_unique<Material>(*m));
            stateOf(g).material = m;
            stateOf(g).diffuseColours = diffuseColoursOf(after, p);
            return p;
        });
    if (!findNodeReader(kw::Texture2))
        registerNodeReader(kw::Texture2, [](GroupNode& g, Keyword, const char*, const char* after) {
            auto t = std::make_shared<Texture>();
            const char* p = t->readFromString(after, reading::textEndFor(after, nullptr));
            stateOf(g).texture = t->image() || !t->fileName().empty() ? t : nullptr;
            return p;
        });
    // "MaterialBinding { value PER_FACE }": how the separator's face sets take the colours of
    // its Material. Other keywords go to the field reader that was there before.
    static const FieldReader before = shapeFieldReader();
    setShapeFieldReader([](GroupNode& g, Keyword k, const char* start, const char* after) -> const char* {
        if (k != kw::MaterialBinding) return before ? before(g, k, start, after) : nullptr;
        return readMaterialBinding(g, after);
    });
    setVrml1UseHandler(useVrml1Object);
    setVrml1StateInheritor([](GroupNode& from, GroupNode& to) {
        if (auto* s = dynamic_cast<Vrml1ShapeState*>(from.prototypeShape.get()))
            to.prototypeShape = std::make_unique<Vrml1ShapeState>(*s);
    });
    setShapeTransformer([](Node& node, const tmath::Affine& map) {
        ShapeNode* shape = node.asShapeNode();
        if (!shape) return;
        float linear[9], offset[3];
        for (int i = 0; i < 9; ++i) linear[i] = float(map.linear[i]);
        for (int i = 0; i < 3; ++i) offset[i] = float(map.offset[i]);
        shape->transformBy(linear, offset);
    });
}

}  // namespace kinemo

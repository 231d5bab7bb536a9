// Reading face sets: the VRML 2 IndexedFaceSet and IndexedLineSet bodies and the VRML 1 and
// Inventor face set, strip set and line set bodies. Lists are read as text, or as binary blocks in
// our own document files; a list that cannot be read is reported and reading goes on.
#include <cstring>
#include <string>
#include <vector>

#include "core/numbers.h"
#include "geometry/face_object.h"
#include "geometry/face_object_reading.h"
#include "geometry/primitives.h"
#include "geometry/shape_node.h"
#include "scene/def_registry.h"
#include "scene/matchers.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"
#include "scene/tokenizer.h"

namespace kinemo {

namespace {

constexpr int kFaceSetKeywordBudget = 10000;
constexpr int kLineSetKeywordBudget = 1000;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ','; }

const char* skipSpaces(const char* p, const char* end) {
    while (p < end && *p && isSpace(*p)) ++p;
    return p;
}

struct SnapshotStore {
    std::vector<std::unique_ptr<BasicObject>> objects;
    std::size_t registrySize = 0;
};
SnapshotStore& snapshots() {
    static SnapshotStore s;
    return s;
}

}  // namespace

namespace reading {

const char* textEndFor(const char* text, const char* end) {
    if (end) return end;
    const ReadingState& s = readingState();
    if (s.textBegin && s.textEnd && text >= s.textBegin && text <= s.textEnd) return s.textEnd;
    return text + std::strlen(text);
}

bool binaryLists() { return readingState().ownFormat; }

std::string_view readWord(const char*& p, const char* end) {
    const char* q = skipSpaces(p, end);
    const char* s = q;
    while (q < end && *q && !isSpace(*q) && *q != '{' && *q != '}' && *q != '[' && *q != ']') ++q;
    p = q;
    return std::string_view(s, std::size_t(q - s));
}

void registerSnapshot(std::unique_ptr<BasicObject> copy) {
    DefRegistry& registry = defRegistry();
    if (!registry.hasPendingName() || !copy) return;
    SnapshotStore& store = snapshots();
    // The registry was emptied for a new scene: the copies of the old one can go.
    if (registry.size() < store.registrySize) clearDefSnapshots();
    registry.registerDef(copy.get());
    store.objects.push_back(std::move(copy));
    store.registrySize = registry.size();
}

const char* readMatrix(const char* p, const char* end, std::int32_t columns, std::unique_ptr<MatrixF>& dest,
                       std::int32_t kind) {
    dest.reset();
    if (binaryLists()) {
        const char* q = MatrixF::readBinary(p, end, columns, dest);
        if (!q) {
            ++readingState().recoverableSyntaxErrors;
            return end;  // a broken block leaves nothing to read after it
        }
        p = q;
    } else {
        std::vector<float> values;
        const char* q = readFloatList(values, p, end);
        const std::size_t rows = values.size() / std::size_t(columns);
        const std::size_t rest = values.size() % std::size_t(columns);
        if (rest != 0) {
            sceneLog(formatC("Matrix Parsing Error (%ld,%ld in %s\n", long(values.size()), long(rest), "FaceObject"));
            ++readingState().recoverableSyntaxErrors;
        }
        if (rows > 0 && rows <= std::size_t(INT32_MAX / columns)) {
            dest = std::make_unique<MatrixF>(std::int32_t(rows), columns);
            std::memcpy(dest->data(), values.data(), rows * std::size_t(columns) * sizeof(float));
        }
        p = q ? q : p;
    }
    if (dest) {
        dest->setKind(kind);
        if (defRegistry().hasPendingName()) registerSnapshot(dest->clone());
    }
    return p;
}

const char* readIndexList(const char* p, const char* end, std::unique_ptr<VectorL>& dest, std::int32_t kind,
                          bool registerDef) {
    dest.reset();
    if (binaryLists()) {
        const char* q = VectorL::readBinary(p < end ? p + 1 : p, end, dest);
        if (!q) {
            ++readingState().recoverableSyntaxErrors;
            return end;
        }
        p = q;
    } else {
        std::vector<std::int32_t> values;
        const char* q = readIntList(values, p, end);
        if (!q) {
            sceneReport("FaceObject: index list without its brackets", 0, true);
            ++readingState().recoverableSyntaxErrors;
            return p;
        }
        if (!values.empty()) {
            dest = std::make_unique<VectorL>(std::int32_t(values.size()));
            std::memcpy(dest->data(), values.data(), values.size() * sizeof(std::int32_t));
        }
        p = q;
    }
    if (dest) {
        dest->setKind(kind);
        if (registerDef && defRegistry().hasPendingName()) {
            auto copy = std::make_unique<VectorL>(*dest);
            copy->setKind(kind);
            registerSnapshot(std::move(copy));
        }
    }
    return p;
}

const char* readNodeList(const char* p, const char* end, Keyword field, std::int32_t columns,
                         std::unique_ptr<MatrixF>& dest, std::int32_t kind) {
    const KeyWordMatcher& m = transformMatcher();
    long braces = 0, brackets = 0;
    const char* pos = p;
    for (int n = 0; n < kLineSetKeywordBudget; ++n) {
        KeywordHit hit = m.scan(pos, end);
        if (hit.keyword == kw::EndOfString) return hit.after;
        if (KeyWordMatcher::countBrackets(braces, brackets, hit.keyword)) {
            if (braces < 0) return hit.begin;
            pos = hit.after;
            if (braces == 0 && brackets == 0) return pos;
            continue;
        }
        if (hit.keyword == field) {
            pos = readMatrix(hit.after, end, columns, dest, kind);
            continue;
        }
        if (braces == 0) return hit.begin;  // the node had no body
        pos = hit.after;
    }
    return pos;
}

}  // namespace reading

void clearDefSnapshots() {
    SnapshotStore& store = snapshots();
    for (auto& o : store.objects) defRegistry().forget(o.get());
    store.objects.clear();
    store.registrySize = 0;
}

using namespace reading;

struct FaceObjectReader {
    FaceObject& f;
    ShapeNode* node;
    const char* end;
    bool vrml1;
    long braces = 0, brackets = 0;

    bool bindingOf(Keyword k, Binding& b) {
        if (k == kw::DEFAULT)
            b = Binding::Default;
        else if (k == kw::OVERALL)
            b = Binding::Overall;
        else if (k == kw::PER_VERTEX)
            b = Binding::PerVertex;
        else if (k == kw::PER_VERTEX_INDEXED)
            b = Binding::PerVertexIndexed;
        else if (k == kw::PER_FACE)
            b = Binding::PerFace;
        else if (k == kw::PER_FACE_INDEXED)
            b = Binding::PerFaceIndexed;
        else if (k == kw::PER_PART)
            b = Binding::PerPart;
        else if (k == kw::PER_PART_INDEXED)
            b = Binding::PerPartIndexed;
        else
            return false;
        return true;
    }

    void setBinding(Binding b) {
        f.settings.normalBinding = b;
        if (node) node->settings.normalBinding = b;
    }

    const char* readBool(const char* p, bool& out) {
        std::string_view w = readWord(p, end);
        if (!w.empty()) out = w[0] == 'T' || w[0] == 't' || w[0] == 'Y' || w[0] == 'y';
        return p;
    }

    const char* readNumVertices(const char* p) {
        std::unique_ptr<VectorL> counts;
        p = readIndexList(p, end, counts, VectorL::KindNone, false);
        if (!counts) return p;
        std::vector<std::int32_t> list;
        std::int64_t next = 0;
        // The counts come from the file: they may ask for no more vertices than the points the
        // rest of the text could hold.
        // Vertices are numbered in order, so with the points known no face may reach past them.
        const std::int64_t remaining = end > p ? std::int64_t(end - p) : 0;
        const std::int64_t limit = f.points ? std::int64_t(f.points->rows()) : remaining + 1024;
        for (std::int32_t c : *counts) {
            if (c <= 0) continue;
            if (next + c > limit || next + c > INT32_MAX / 2) {
                sceneReport("FaceObject: numVertices past the largest face set", 0, true);
                break;
            }
            for (std::int32_t i = 0; i < c; ++i) list.push_back(std::int32_t(next++));
            list.push_back(-1);
        }
        if (!list.empty()) list.pop_back();
        f.coordIndex = std::make_unique<VectorL>(std::int32_t(list.size()));
        if (!list.empty()) std::memcpy(f.coordIndex->data(), list.data(), list.size() * sizeof(std::int32_t));
        f.coordIndex->setKind(VectorL::KindCoordinateIndex);
        return p;
    }

    // "TextureCoordinate { point [...] }": its point list is the texture points.
    const char* readTextureCoordinate(const char* p) {
        p = readNodeList(p, end, kw::point, 2, f.texCoord, MatrixF::KindNone);
        if (f.texCoord) f.texCoordWork = f.texCoord->clone();
        return p;
    }

    // USE inside the face set; returns null when the face set was copied whole (reading ends).
    const char* readUse(const char* p, bool& copiedWhole) {
        std::string_view word = readWord(p, end);
        std::string name = word.empty() ? std::string("missingUSE!!") : std::string(word);
        BasicObject* object = defRegistry().findDef(name);
        if (!object) return p;
        if (auto* m = dynamic_cast<MatrixF*>(object)) {
            if (m->columns() == 2) {
                f.texCoord = m->clone();
                f.texCoordWork = m->clone();
            } else if (m->kind() == MatrixF::KindNormals) {
                f.normals = m->clone();
            } else {
                f.points = m->clone();
            }
            return p;
        }
        if (auto* v = dynamic_cast<VectorL*>(object)) {
            auto copy = std::make_unique<VectorL>(*v);
            copy->setKind(v->kind());
            if (v->kind() == VectorL::KindCoordinateIndex)
                f.coordIndex = std::move(copy);
            else
                f.normalIndex = std::move(copy);
            return p;
        }
        if (auto* material = dynamic_cast<Material*>(object)) {
            if (node) node->appearance().material().copyValues(*material, false);
            if (node) node->appearance().material().copyValues(*material, true);
            return p;
        }
        if (auto* face = dynamic_cast<FaceObject*>(object)) {
            if (face != &f) f.copyFrom(*face);
            copiedWhole = true;
            return p;
        }
        sceneReport("FaceObject cannot USE " + name, 1, true);
        return p;
    }

    const char* run(const char* text) {
        const KeyWordMatcher& m = vrml1 ? transformMatcher() : faceSetMatcher();
        const char* pos = text;
        bool opened = false;
        for (int n = 0; n < kFaceSetKeywordBudget; ++n) {
            KeywordHit hit = m.scan(pos, end);
            if (hit.keyword == kw::EndOfString) return hit.after;
            const Keyword k = hit.keyword;
            if (isBracketToken(k)) {
                if (k == kw::CloseBrace && braces == 0) return hit.begin;  // the caller's brace
                KeyWordMatcher::countBrackets(braces, brackets, k);
                pos = hit.after;
                if (k == kw::OpenBrace) opened = true;
                if (opened && braces <= 0 && brackets <= 0 && (!vrml1 || f.coordIndex || f.lineIndex)) return pos;
                continue;
            }
            pos = hit.after;
            Binding b;
            if (k == kw::point || k == kw::vertex) {
                pos = readMatrix(pos, end, 3, f.points, MatrixF::KindCoordinates);
            } else if (k == kw::vector) {
                pos = readMatrix(pos, end, 3, f.normals, MatrixF::KindNormals);
            } else if (k == kw::Normal || k == kw::vertexProperty) {
                // the keys inside are read as they come
            } else if (k == kw::coordIndex) {
                pos = readIndexList(pos, end, f.coordIndex, VectorL::KindCoordinateIndex, true);
            } else if (k == kw::numVertices) {
                pos = readNumVertices(pos);
            } else if (k == kw::normalIndex) {
                pos = readIndexList(pos, end, f.normalIndex, VectorL::KindNormalIndex, false);
            } else if (k == kw::creaseAngle) {
                const float a = float(readFloat(skipSpaces(pos, end)));
                f.settings.creaseAngle = a;
                readWord(pos, end);
            } else if (k == kw::solid) {
                pos = readBool(pos, f.settings.solid);
            } else if (k == kw::ccw) {
                pos = readBool(pos, f.settings.ccw);
            } else if (k == kw::colorPerVertex) {
                pos = readBool(pos, f.settings.colorPerVertex);
            } else if (k == kw::normalPerVertex) {
                bool perVertex = true;
                pos = readBool(pos, perVertex);
                setBinding(perVertex ? Binding::PerVertexIndexed : Binding::PerFaceIndexed);
            } else if (bindingOf(k, b)) {
                setBinding(b);
            } else if (k == kw::color) {
                const char* q = skipSpaces(pos, end);
                const bool nodeName = std::size_t(end - q) >= 5 && std::memcmp(q, "Color", 5) == 0;
                if (!nodeName && (binaryLists() || (q < end && *q == '['))) pos = readMatrix(pos, end, 3, f.colours, 0);
            } else if (k == kw::colorIndex) {
                pos = readIndexList(pos, end, f.colorIndex, VectorL::KindNone, false);
            } else if (k == kw::texCoord) {
                const char* q = skipSpaces(pos, end);
                if (q < end && (*q == 'n' || *q == 'N')) {
                    f.texCoordNull = true;
                    readWord(pos, end);
                }
            } else if (k == kw::TextureCoordinate || k == kw::TextureCoordinate2) {
                pos = readTextureCoordinate(pos);
            } else if (k == kw::textureCoordIndex || k == kw::texCoordIndex) {
                pos = readIndexList(pos, end, f.texCoordIndex, VectorL::KindNone, false);
            } else if (k == kw::Material) {
                if (node && f.coordIndex)
                    pos = node->appearance().material().readFromString(pos, end);
                else
                    pos = skipNode(pos);
            } else if (k == kw::Appearance) {
                if (node)
                    pos = node->appearance().readFromString(pos, end);
                else
                    pos = skipNode(pos);
            } else if (k == kw::IndexedLineSet) {
                pos = f.readLineSet(pos, end);
            } else if (k == kw::Cube) {
                pos = readBox(f, pos, end);
            } else if (k == kw::DEF) {
                std::string_view w = readWord(pos, end);
                defRegistry().setPendingName(w);
            } else if (k == kw::USE) {
                bool whole = false;
                pos = readUse(pos, whole);
                if (whole) return pos;
            } else {
                sceneLog(formatC("Unexpected keyword in FaceObject.readFromString %s\n", k));
                return hit.begin;
            }
        }
        return pos;
    }

    const char* skipNode(const char* p) {
        long b = 0, k = 0;
        const KeyWordMatcher& m = transformMatcher();
        for (int n = 0; n < kFaceSetKeywordBudget; ++n) {
            KeywordHit hit = m.scan(p, end);
            if (hit.keyword == kw::EndOfString) return hit.after;
            p = hit.after;
            if (KeyWordMatcher::countBrackets(b, k, hit.keyword) && b <= 0 && k <= 0) return p;
        }
        return p;
    }
};

const char* FaceObject::readFromString(const char* text, const char* end, ShapeNode* node) {
    if (!text) return text;
    end = textEndFor(text, end);
    texCoord.reset();
    texCoordWork.reset();
    points.reset();
    normals.reset();
    coordIndex.reset();
    if (node) {
        copyShapeSettings(settings, node->settings);
        settings.colorPerVertex = node->settings.colorPerVertex;
    }
    FaceObjectReader reader{*this, node, end, readingState().isVrml1()};
    const char* p = reader.run(text);
    if (readingState().fileVersion >= 3.0f) state_ = Cleaned;
    return p;
}

const char* FaceObject::readIndexedFaceSet(const char* text, const char* end, ShapeNode* node) {
    if (!text) return text;
    end = textEndFor(text, end);
    bool closed = false;
    const char* pos = reading::readBody(
        text, end, transformMatcher(), kFaceSetKeywordBudget,
        [&](Keyword k, const char*& pos, long braces) {
            if (k == kw::coordIndex) {
                pos = readIndexList(pos, end, coordIndex, VectorL::KindCoordinateIndex, true);
            } else if (k == kw::normalIndex) {
                pos = readIndexList(pos, end, normalIndex, VectorL::KindNormalIndex, false);
            } else if (k == kw::textureCoordIndex || k == kw::texCoordIndex) {
                pos = readIndexList(pos, end, texCoordIndex, VectorL::KindNone, false);
            } else if (k == kw::vertex) {
                pos = readMatrix(pos, end, 3, points, MatrixF::KindCoordinates);
            } else if (k == kw::vertexProperty) {
                pos = readVertexProperty(*this, pos, end);
            } else if (k == kw::materialIndex) {
                // held in colorIndex until the shape reader knows the material binding
                pos = readIndexList(pos, end, colorIndex, VectorL::KindNone, false);
            } else if (k == kw::USE) {
                sceneReport("Unexpected keyword USE in IndexedFaceSet", 1, true);
                readWord(pos, end);
            } else if (k == kw::DEF) {
                std::string_view w = readWord(pos, end);
                defRegistry().setPendingName(w);
            } else {
                sceneLog(formatC("Unexpected keyword in FaceObject.readFromString %s\n", k));
                // inside a nested brace the keyword is passed over
                return braces > 0;
            }
            return true;
        },
        &closed);
    if (closed && readingState().fileVersion >= 3.0f) state_ = Cleaned;
    return pos;
}

const char* FaceObject::readIndexedTriangleStripSet(const char* text, const char* end, ShapeNode* node) {
    const char* p = readIndexedFaceSet(text, end, node);
    auto convert = [](std::unique_ptr<VectorL>& list, std::int32_t kind) {
        if (!list) return;
        std::vector<std::int32_t> t = stripsToTriangles(list->data(), list->count());
        list = std::make_unique<VectorL>(std::int32_t(t.size()));
        if (!t.empty()) std::memcpy(list->data(), t.data(), t.size() * sizeof(std::int32_t));
        list->setKind(kind);
        if (t.empty()) list.reset();
    };
    const std::int32_t stripLength = coordIndex ? coordIndex->count() : 0;
    const bool normalsPerVertex = normalIndex && normalIndex->count() == stripLength;
    const bool texPerVertex = texCoordIndex && texCoordIndex->count() == stripLength;
    convert(coordIndex, VectorL::KindCoordinateIndex);
    if (normalsPerVertex) {
        convert(normalIndex, VectorL::KindNormalIndex);
        settings.normalBinding = Binding::PerVertexIndexed;
    } else {
        normalIndex.reset();
    }
    if (texPerVertex)
        convert(texCoordIndex, VectorL::KindNone);
    else
        texCoordIndex.reset();
    return p;
}

namespace {

// Walks the body of a line set: brackets are counted here, every other keyword goes to field,
// which returns the position after its value, or nullptr when the keyword is not the body's.
template <class Field>
const char* readLineSetBody(const KeyWordMatcher& m, const char* text, const char* end, Field field) {
    return reading::readBody(text, end, m, kLineSetKeywordBudget, [&](Keyword k, const char*& pos, long braces) {
        const char* next = field(k, pos, braces);
        if (!next) return false;
        pos = next;
        return true;
    });
}

}  // namespace

const char* FaceObject::readIndexedLineSet(const char* text, const char* end) {
    if (!text) return text;
    end = textEndFor(text, end);
    return readLineSetBody(transformMatcher(), text, end, [&](Keyword k, const char* pos, long braces) -> const char* {
        if (k == kw::coordIndex) return readIndexList(pos, end, lineIndex, VectorL::KindNone, true);
        // held in colorIndex until the shape reader knows the material binding
        if (k == kw::materialIndex) return readIndexList(pos, end, colorIndex, VectorL::KindNone, false);
        if (k == kw::DEF) {
            defRegistry().setPendingName(readWord(pos, end));
            return pos;
        }
        return braces <= 0 ? nullptr : pos;
    });
}

const char* FaceObject::readLineSet(const char* text, const char* end) {
    if (!text) return text;
    end = textEndFor(text, end);
    std::unique_ptr<MatrixF> lineColourTable;
    std::unique_ptr<VectorL> lineColourList;
    bool colourPerVertex = true;
    const char* after =
        readLineSetBody(faceSetMatcher(), text, end, [&](Keyword k, const char* pos, long) -> const char* {
            if (k == kw::point) return readMatrix(pos, end, 3, points, MatrixF::KindCoordinates);
            if (k == kw::coordIndex) return readIndexList(pos, end, lineIndex, VectorL::KindNone, true);
            if (k == kw::DEF) {
                defRegistry().setPendingName(readWord(pos, end));
                return pos;
            }
            if (k == kw::USE) {
                std::string name(readWord(pos, end));
                BasicObject* object = defRegistry().findDef(name);
                if (!object) return pos;
                if (auto* mat = dynamic_cast<MatrixF*>(object)) {
                    if (mat->kind() == MatrixF::KindNormals)
                        normals = mat->clone();
                    else
                        points = mat->clone();
                } else {
                    sceneReport("IndexedLine cannot USE " + name, 1, true);
                }
                return pos;
            }
            if (k == kw::colorIndex) return readIndexList(pos, end, lineColourList, VectorL::KindNone, false);
            if (k == kw::color) {
                const char* q = skipSpaces(pos, end);
                const bool nodeName = std::size_t(end - q) >= 5 && std::memcmp(q, "Color", 5) == 0;
                if (!nodeName && (binaryLists() || (q < end && *q == '[')))
                    return readMatrix(pos, end, 3, lineColourTable, 0);
                return pos;
            }
            if (k == kw::colorPerVertex) {
                FaceObjectReader r{*this, nullptr, end, false};
                return r.readBool(pos, colourPerVertex);
            }
            sceneLog(formatC("Unexpected keyword in FaceObject.readLineSet %s\n", k));
            return nullptr;
        });
    makeLineSegments(std::move(lineColourTable),
                     colourPerVertex ? LineColouring::PerVertex : LineColouring::PerPolyline, lineColourList.get());
    return after;
}

}  // namespace kinemo

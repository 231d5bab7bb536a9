// Inventor's VertexProperty node inside a face set: its vertex, normal, texCoord and orderedRGBA
// lists and its normal and material bindings. The keyword matchers do not know these field names,
// so the body is read word by word; a field we do not use is passed over with its value.
#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "geometry/face_object.h"
#include "geometry/face_object_reading.h"
#include "scene/scene_report.h"
#include "scene/tokenizer.h"

namespace kinemo {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ','; }

// Blanks and comment lines.
const char* skipBlanks(const char* p, const char* end) {
    while (p < end && *p) {
        if (isBlank(*p)) {
            ++p;
        } else if (*p == '#') {
            while (p < end && *p && *p != '\n' && *p != '\r') ++p;
        } else {
            break;
        }
    }
    return p;
}

// Past the bracketed list or the node body that starts at p (p at "[" or "{").
const char* skipNested(const char* p, const char* end) {
    long depth = 0;
    for (; p < end && *p; ++p) {
        if (*p == '[' || *p == '{') ++depth;
        if (*p == ']' || *p == '}') {
            if (--depth <= 0) return p + 1;
        }
    }
    return p;
}

// The numbers of a field: a bracketed list, or one value of columns numbers without brackets.
const char* readNumbers(const char* p, const char* end, std::int32_t columns, std::vector<float>& out) {
    out.clear();
    p = skipBlanks(p, end);
    if (p < end && *p == '[') return readFloatList(out, p, end);
    for (std::int32_t i = 0; i < columns; ++i) {
        const char* before = p;
        std::string_view w = reading::readWord(p, end);
        float v = 0.0f;
        if (w.empty() || !parseFloatToken(w, v)) {
            p = before;
            out.clear();
            break;
        }
        out.push_back(v);
    }
    return p;
}

std::unique_ptr<MatrixF> rowsOf(const std::vector<float>& values, std::int32_t columns, std::int32_t kind) {
    const std::size_t rows = values.size() / std::size_t(columns);
    if (rows == 0 || rows > std::size_t(INT32_MAX / columns)) return nullptr;
    auto m = std::make_unique<MatrixF>(std::int32_t(rows), columns);
    std::memcpy(m->data(), values.data(), rows * std::size_t(columns) * sizeof(float));
    m->setKind(kind);
    return m;
}

// One packed 0xRRGGBBAA value, hexadecimal with "0x" or decimal; false for anything else.
bool parsePacked(std::string_view w, std::uint32_t& v) {
    int base = 10;
    if (w.size() > 2 && w[0] == '0' && (w[1] == 'x' || w[1] == 'X')) {
        w.remove_prefix(2);
        base = 16;
    }
    const auto [ptr, ec] = std::from_chars(w.data(), w.data() + w.size(), v, base);
    return ec == std::errc() && ptr == w.data() + w.size();
}

// orderedRGBA: the colours as red, green, blue rows (the alpha byte is not kept).
const char* readPackedColours(const char* p, const char* end, std::unique_ptr<MatrixF>& dest) {
    std::vector<float> rgb;
    p = skipBlanks(p, end);
    const bool bracketed = p < end && *p == '[';
    if (bracketed) ++p;
    while (true) {
        p = skipBlanks(p, end);
        if (p >= end || !*p) break;
        if (*p == ']') {
            ++p;
            break;
        }
        if (*p == '{' || *p == '}' || *p == '[') break;  // a broken list ends before the brace
        const char* before = p;
        std::string_view w = reading::readWord(p, end);
        if (p == before) {
            ++p;
            continue;
        }
        std::uint32_t v = 0;
        if (!parsePacked(w, v)) {
            if (!bracketed) {
                p = before;
                break;
            }
            v = 0;
        }
        for (int shift : {24, 16, 8}) rgb.push_back(float((v >> shift) & 0xFFu) / 255.0f);
        if (!bracketed) break;
    }
    dest = rowsOf(rgb, 3, MatrixF::KindNone);
    return p;
}

bool bindingNamed(std::string_view w, Binding& b) {
    static const struct {
        const char* name;
        Binding binding;
    } names[] = {{"DEFAULT", Binding::Default},      {"OVERALL", Binding::Overall},
                 {"PER_VERTEX", Binding::PerVertex}, {"PER_VERTEX_INDEXED", Binding::PerVertexIndexed},
                 {"PER_FACE", Binding::PerFace},     {"PER_FACE_INDEXED", Binding::PerFaceIndexed},
                 {"PER_PART", Binding::PerPart},     {"PER_PART_INDEXED", Binding::PerPartIndexed}};
    for (const auto& n : names)
        if (w == n.name) {
            b = n.binding;
            return true;
        }
    return false;
}

}  // namespace

namespace reading {

const char* readVertexProperty(FaceObject& f, const char* p, const char* end) {
    const char* q = skipBlanks(p, end);
    std::string_view word = readWord(q, end);
    if (word == "DEF") {
        readWord(q, end);
        word = readWord(q, end);
    } else if (word == "USE") {
        sceneReport("FaceObject cannot USE " + std::string(readWord(q, end)), 1, true);
        return q;
    }
    if (!word.empty() && word != "VertexProperty") return p;  // not ours: the face set reader goes on
    q = skipBlanks(q, end);
    if (q >= end || *q != '{') return q;
    ++q;
    Binding normalBinding = Binding::PerVertexIndexed, materialBinding = Binding::Overall;
    std::vector<float> values;
    while (true) {
        q = skipBlanks(q, end);
        if (q >= end || !*q) return q;
        if (*q == '}') {
            ++q;
            break;
        }
        const char* before = q;
        std::string_view field = readWord(q, end);
        if (q == before) {
            q = (*q == '[' || *q == '{') ? skipNested(q, end) : q + 1;  // a stray bracket
            continue;
        }
        if (field == "vertex") {
            q = readNumbers(q, end, 3, values);
            f.points = rowsOf(values, 3, MatrixF::KindCoordinates);
        } else if (field == "normal") {
            q = readNumbers(q, end, 3, values);
            f.normals = rowsOf(values, 3, MatrixF::KindNormals);
        } else if (field == "texCoord") {
            q = readNumbers(q, end, 2, values);
            f.texCoord = rowsOf(values, 2, MatrixF::KindNone);
            f.texCoordWork = f.texCoord ? f.texCoord->clone() : nullptr;
        } else if (field == "orderedRGBA") {
            q = readPackedColours(q, end, f.colours);
        } else if (field == "normalBinding" || field == "materialBinding") {
            const char* at = q;
            Binding b;
            if (bindingNamed(readWord(q, end), b)) {
                (field == "normalBinding" ? normalBinding : materialBinding) = b;
            } else {
                q = at;
            }
        } else {
            // A field we do not use (texCoord3 and the like): its value goes with it.
            q = skipBlanks(q, end);
            if (q < end && (*q == '[' || *q == '{'))
                q = skipNested(q, end);
            else
                readWord(q, end);
        }
    }
    // The node's bindings count for its own lists; without normals the scene's binding stays.
    if (f.normals) f.settings.normalBinding = normalBinding;
    if (f.colours) f.materialBinding = materialBinding;
    return q;
}

}  // namespace reading
}  // namespace kinemo

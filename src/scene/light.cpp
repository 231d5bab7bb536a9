#include "scene/light.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "core/messages.h"
#include "core/numbers.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"
#include "scene/tokenizer.h"
#include "scene/tree_hooks.h"

namespace kinemo {
namespace {

Light*& current() {
    static Light* l = nullptr;
    return l;
}

const char* findIn(const char* p, const char* end, std::string_view key) {
    if (!p || p >= end) return nullptr;
    std::string_view hay(p, std::size_t(end - p));
    std::size_t at = hay.find(key);
    return at == std::string_view::npos ? nullptr : p + at;
}

// The float after a key within [p, end): blanks and ":" skipped.
float floatAfter(const char* p, const char* end) {
    while (p < end && (*p == ' ' || *p == '\t' || *p == ':')) ++p;
    double v = 0.0;
    parseDoublePrefix(std::string_view(p, std::size_t(end - p)), v);
    return std::isfinite(v) ? float(v) : 0.0f;
}

}  // namespace

Light::~Light() {
    if (current() == this) current() = nullptr;
}

const char* Light::readBlock(const char* text, const char* end) {
    if (!text) return text;
    if (!end) {
        const ReadingState& s = readingState();
        end = (s.textEnd && text >= s.textBegin && text <= s.textEnd) ? s.textEnd : text + std::strlen(text);
    }
    // The keys belong to this block only: a later step's light never fills in a missing one.
    const char* blockEnd = end;
    if (const char* e = findIn(text, end, "[END]")) blockEnd = e;
    if (const char* e = findIn(text, blockEnd, "[ACTION>>")) blockEnd = e;
    const char* a = findIn(text, blockEnd, "ambient");
    const char* i = findIn(text, blockEnd, "intensity");
    const char* d = findIn(text, blockEnd, "direction");
    const char* missing = !a   ? "ambient not found"
                          : !i ? "intensityText not found"
                          : !d ? "directionText not found"
                               : nullptr;
    if (missing) {
        logLine(formatC("Parser error in Light: %s\n", missing));
        sceneReport("Parsing Error!", 1, true);
        return std::min(text + 2, end);
    }
    ambient = floatAfter(a + 7, blockEnd);
    intensity = floatAfter(i + 9, blockEnd);
    float dir[3];
    readFloatBlock(dir, d + 9, 3, true, blockEnd);
    std::memcpy(direction, dir, sizeof dir);
    const char* p = d + 9;
    while (p < blockEnd && *p && *p != '\n') ++p;
    return p < blockEnd && *p == '\n' ? p + 1 : p;
}

void Light::writeBlock(std::string& out) const {
    out += formatC("\n# ambient %f ", double(ambient));
    out += formatC("\n# intensity %f ", double(intensity));
    out += formatC("\n# direction (%4.3f, %4.3f, %4.3f)\n", double(direction[0]), double(direction[1]),
                   double(direction[2]));
}

bool Light::writeToFile(std::FILE* file) {
    std::string out;
    writeBlock(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

LightNodeSetup Light::glSetup() {
    LightNodeSetup s;
    s.ambient[0] = s.ambient[1] = s.ambient[2] = ambient;
    s.diffuse[0] = s.diffuse[1] = s.diffuse[2] = intensity;
    float world[3];
    currentTransform.toGlobalDirection(direction, world);
    for (int k = 0; k < 3; ++k) s.position[k] = world[k];
    return s;
}

Light* currentLight() { return current(); }

void makeCurrent(Light* light) {
    current() = light;
    requestRedraw();
}

}  // namespace kinemo

#include "scene/scene_light.h"

#include <cstring>

#include "core/numbers.h"
#include "scene/matchers.h"
#include "scene/node_table.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"
#include "scene/transform_reader.h"
#include "scene/tree_hooks.h"
#include "scene/viewpoint.h"

namespace kinemo {
namespace {

constexpr int kKeywordBudget = 1000;

SceneLight& light() {
    static SceneLight l;
    return l;
}

const char* textEnd(const char* text, const char* end) {
    if (end) return end;
    const ReadingState& s = readingState();
    if (s.textEnd && text >= s.textBegin && text <= s.textEnd) return s.textEnd;
    return text + std::strlen(text);
}

}  // namespace

const SceneLight& sceneLight() { return light(); }

void resetSceneLight() {
    light().committed = LightValues{};
    light().live = light().committed;
}

void prepareSceneLightForRead() {
    resetSceneLight();
    light().directionGiven = false;
    light().lightMode = 0;
}

void commitSceneLight() { light().committed = light().live; }
void revertSceneLight() { light().live = light().committed; }

void setSceneLightDirection(float x, float y, float z) {
    for (LightValues* v : {&light().committed, &light().live})
        v->direction[0] = x, v->direction[1] = y, v->direction[2] = z;
    requestRedraw();
}

void setSceneLightColour(float r, float g, float b) {
    for (LightValues* v : {&light().committed, &light().live}) v->colour[0] = r, v->colour[1] = g, v->colour[2] = b;
    requestRedraw();
}

void setSceneLightIntensity(float intensity) {
    light().committed.intensity = light().live.intensity = intensity;
    requestRedraw();
}

void setSceneLightAmbientIntensity(float ambient) {
    light().committed.ambientIntensity = light().live.ambientIntensity = ambient;
    requestRedraw();
}

void setHeadlight(bool on) {
    light().committed.headlight = light().live.headlight = on;
    requestRedraw();
}

const char* readDirectionalLight(const char* text, const char* end) {
    if (!text) return text;
    end = textEnd(text, end);
    const KeyWordMatcher& m = lightMatcher();
    long braces = 0, brackets = 0;
    const char* pos = text;
    SceneLight& l = light();
    for (int n = 0; n < kKeywordBudget; ++n) {
        const KeywordHit hit = m.scan(pos, end);
        if (hit.keyword == kw::EndOfString) return hit.after;
        pos = hit.after;
        if (KeyWordMatcher::countBrackets(braces, brackets, hit.keyword)) {
            if (braces <= 0 && brackets <= 0) return pos;
            continue;
        }
        int found = 0;
        if (hit.keyword == kw::direction) {
            float d[3] = {l.live.direction[0], l.live.direction[1], l.live.direction[2]};
            pos = readFixedFloats(pos, end, d, 3, found);
            std::memcpy(l.live.direction, d, sizeof d);
            std::memcpy(l.committed.direction, d, sizeof d);
            l.directionGiven = true;
        } else if (hit.keyword == kw::color) {
            float c[3] = {l.live.colour[0], l.live.colour[1], l.live.colour[2]};
            pos = readFixedFloats(pos, end, c, 3, found);
            std::memcpy(l.live.colour, c, sizeof c);
            std::memcpy(l.committed.colour, c, sizeof c);
        } else if (hit.keyword == kw::intensity) {
            float v = l.live.intensity;
            pos = readFixedFloats(pos, end, &v, 1, found);
            l.live.intensity = l.committed.intensity = v;
        } else if (hit.keyword == kw::ambientIntensity) {
            float v = l.live.ambientIntensity;
            pos = readFixedFloats(pos, end, &v, 1, found);
            l.live.ambientIntensity = l.committed.ambientIntensity = v;
        } else {
            return hit.begin;
        }
    }
    return pos;
}

void writeDirectionalLight(std::string& out) {
    const SceneLight& l = light();
    float d[3] = {l.live.direction[0], l.live.direction[1], l.live.direction[2]};
    if (l.lightMode == 1)
        if (ViewPoint* vp = currentViewpoint()) vp->currentTransform.toGlobalDirection(l.live.direction, d);
    out += "\n\nDirectionalLight {";
    out += formatC("\n  direction  %f %f %f", double(d[0]), double(d[1]), double(d[2]));
    out += formatC("\n  color %f %f %f", double(l.live.colour[0]), double(l.live.colour[1]), double(l.live.colour[2]));
    out += formatC("\n  intensity %f", double(l.live.intensity));
    out += formatC("\n  ambientIntensity %f", double(l.live.ambientIntensity));
    out += "\n}";
}

bool writeDirectionalLight(std::FILE* file) {
    std::string out;
    writeDirectionalLight(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

void setLightModeWithoutConverting(int mode) { light().lightMode = mode; }

void setLightMode(int mode) {
    SceneLight& l = light();
    if (mode == l.lightMode) return;
    const int previous = l.lightMode;
    l.lightMode = mode;
    if (!sceneRoot()) return;
    ViewPoint* vp = currentViewpoint();
    if (!vp) {
        sceneReport("Cannot Adjust Light Because Viewpoint is Missing", 1, true);
        return;
    }
    if (mode == 1) {
        if (l.directionGiven) {
            for (LightValues* v : {&l.committed, &l.live}) {
                float local[3];
                vp->currentTransform.toLocalDirection(v->direction, local);
                std::memcpy(v->direction, local, sizeof local);
            }
        }
        l.directionGiven = true;
    } else if (previous == 1) {
        // Back to world coordinates, so that the light keeps shining the way it did.
        for (LightValues* v : {&l.committed, &l.live}) {
            float world[3];
            vp->currentTransform.toGlobalDirection(v->direction, world);
            std::memcpy(v->direction, world, sizeof world);
        }
    }
}

}  // namespace kinemo

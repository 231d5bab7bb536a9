#include "scene/sound_node.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "core/numbers.h"
#include "scene/err_tree_manipulation.h"
#include "scene/group_node.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"
#include "scene/sound_output.h"
#include "scene/tokenizer.h"
#include "scene/tree_hooks.h"
#include "scene/viewpoint.h"

namespace kinemo {
namespace {

constexpr const char* kDefaultUrl = "C:\\winnt\\media\\ringin.wav";

bool isWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The closing brace of the body that opens at open, passing over quoted texts; none when missing.
std::size_t matchingBrace(std::string_view text, std::size_t open) {
    long depth = 0;
    bool quoted = false;
    for (std::size_t i = open; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '{') ++depth;
        if (c == '}' && --depth == 0) return i;
    }
    return std::string_view::npos;
}

// The position after key standing as a word of its own outside quotes, or npos.
std::size_t findKey(std::string_view node, std::string_view key) {
    bool quoted = false;
    for (std::size_t i = 0; i + key.size() <= node.size(); ++i) {
        if (node[i] == '"') quoted = !quoted;
        if (quoted) continue;
        if (node.compare(i, key.size(), key) != 0) continue;
        if (i > 0 && isWordChar(node[i - 1])) continue;
        if (i + key.size() < node.size() && isWordChar(node[i + key.size()])) continue;
        return i + key.size();
    }
    return std::string_view::npos;
}

float floatAt(std::string_view rest, float fallback) {
    double v = 0.0;
    if (parseDoublePrefix(rest, v) == 0 || !std::isfinite(v)) return fallback;
    return float(v);
}

}  // namespace

const char* SoundNode::readBody(const char* text, const char* end) {
    if (!text) return text;
    if (!end) {
        const ReadingState& s = readingState();
        end = (s.textEnd && text >= s.textBegin && text <= s.textEnd) ? s.textEnd : text + std::strlen(text);
    }
    const std::string_view all(text, std::size_t(end - text));
    const std::size_t open = all.find_first_not_of(" \t\r\n");
    if (open == std::string_view::npos || all[open] != '{') {
        sceneReport("Parse problem in Sound node", 1, true);
        return std::min(text + 2, end);
    }
    std::size_t close = matchingBrace(all, open);
    const bool closed = close != std::string_view::npos;
    if (!closed) close = all.size();
    // Everything below is looked up inside this node only.
    const std::string_view node = all.substr(open, close - open);
    const char* after = closed ? text + close + 1 : end;

    const std::size_t urlAt = findKey(node, "url");
    if (urlAt == std::string_view::npos) {
        sceneReport("SoundNode filname not found", 1, true);
        return after;
    }
    if (!closed || node.find('}', urlAt) == std::string_view::npos) sceneReport("Parse problem in Sound node", 1, true);

    url = kDefaultUrl;
    const std::size_t q = node.find('"', urlAt);
    if (q != std::string_view::npos) {
        const std::size_t q2 = node.find('"', q + 1);
        if (q2 != std::string_view::npos) url = std::string(node.substr(q + 1, q2 - q - 1));
    }
    auto at = [&](std::string_view key) -> const char* {
        const std::size_t k = findKey(node, key);
        return k == std::string_view::npos ? nullptr : node.data() + k;
    };
    auto rest = [&](const char* p) {
        while (p < node.data() + node.size() && (*p == ' ' || *p == '\t' || *p == ':')) ++p;
        return std::string_view(p, std::size_t(node.data() + node.size() - p));
    };
    const char* nodeEnd = node.data() + node.size();
    if (const char* p = at("loop")) loop = parseBool(p, true);
    if (const char* p = at("spatialize")) spatialize = parseBool(p, true);
    if (const char* p = at("direction")) readFloatBlock(direction, p, 3, true, nodeEnd);
    if (const char* p = at("location")) readFloatBlock(location, p, 3, true, nodeEnd);
    if (const char* p = at("intensity")) intensity = floatAt(rest(p), intensity);
    if (const char* p = at("maxBack")) maxBack = floatAt(rest(p), maxBack);
    if (const char* p = at("maxFront")) maxFront = floatAt(rest(p), maxFront);
    if (const char* p = at("minBack")) minBack = floatAt(rest(p), minBack);
    if (const char* p = at("minFront")) minFront = floatAt(rest(p), minFront);

    volume = intensity;
    if (!url.empty()) wave = waveTable().findOrLoad(url, loop);
    return after;
}

void SoundNode::writeVrml(std::string& out) const {
    if (readingState().writingBinary)
        sceneReport(
            formatC("Wave file '%s' cannot be integrated in binary file. \nDistribute separately.", url.c_str()), 2,
            false);
    out += "\nSound {";
    out += "\n\tsource AudioClip {";
    out += "\n\t\turl \"" + url + "\"";
    out += loop ? "\n\t\tloop TRUE" : "\n\t\tloop FALSE";
    out += "\n\t\tstartTime 1";
    out += "\n\t\tstopTime 0";
    out += "\n\t}";
    out += formatC("\n\tdirection %f %f %f", double(direction[0]), double(direction[1]), double(direction[2]));
    out += formatC("\n\tlocation %f %f %f", double(location[0]), double(location[1]), double(location[2]));
    out += formatC("\n\tintensity %f", double(intensity));
    out += formatC("\n\tmaxBack %f", double(maxBack));
    out += formatC("\n\tmaxFront %f", double(maxFront));
    out += formatC("\n\tminBack %f", double(minBack));
    out += formatC("\n\tminFront %f", double(minFront));
    out += spatialize ? "\n\tspatialize TRUE" : "\n\tspatialize FALSE";
    out += "\n}";
}

bool SoundNode::writeToFile(std::FILE* file) {
    std::string out;
    writeVrml(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

void SoundNode::prepareFrame(const ViewPoint* current) {
    if (!visible() || wave < 0) return;
    ViewPoint* vp = const_cast<ViewPoint*>(current ? current : currentViewpoint());
    const double local[3] = {location[0], location[1], location[2]};
    double world[3] = {local[0], local[1], local[2]};
    if (GroupNode* p = parent()) p->currentTransform.toGlobalPoint(local, world);
    double seen[3] = {world[0], world[1], world[2]};
    if (vp) {
        const CameraMatrix m = vp->applyCamera(0.0);
        for (int i = 0; i < 3; ++i)
            seen[i] = m.rotation[i * 3] * world[0] + m.rotation[i * 3 + 1] * world[1] +
                      m.rotation[i * 3 + 2] * world[2] + m.translation[i];
    }
    const double d = std::sqrt(seen[0] * seen[0] + seen[1] * seen[1] + seen[2] * seen[2]);
    // Full volume inside the minimum distance, none beyond the maximum, linear between.
    const double inner = std::max(0.0, double(minFront));
    const double outer = std::max(inner, double(maxFront));
    double gain = 1.0;
    if (d > inner) gain = outer > inner ? std::clamp(1.0 - (d - inner) / (outer - inner), 0.0, 1.0) : 0.0;
    const double v = std::max(0.0, double(volume)) * gain;
    double pan = 0.0;
    if (spatialize && d > 1e-9) pan = std::clamp(seen[0] / d, -1.0, 1.0);
    waveTable().addVolume(float(v * (1.0 - pan) * 0.5), float(v * (1.0 + pan) * 0.5));
}

void SoundNode::setShapeParameter(int parameter, double value) {
    if (parameter == 10) {
        const float v = std::isfinite(value) ? float(value) : volume;
        if (v != volume) {
            volume = v;
            requestRedraw();
        }
    } else if (parameter == 11 && !loop) {
        if (!std::isfinite(value) || std::fabs(value) > 2.0e9) return;
        const int position = int(std::lround(value));
        if (position != playPosition) {
            playPosition = position;
            waveTable().setPlayPosition(wave, position);
            requestRedraw();
        }
    }
}

void SoundNode::copySoundFields(const SoundNode& o) {
    url = o.url;
    wave = o.wave;
    volume = o.volume;
    intensity = o.intensity;
    maxBack = o.maxBack;
    maxFront = o.maxFront;
    minBack = o.minBack;
    minFront = o.minFront;
    std::memcpy(location, o.location, sizeof location);
    std::memcpy(direction, o.direction, sizeof direction);
    loop = o.loop;
    spatialize = o.spatialize;
    playPosition = o.playPosition;
}

Node* SoundNode::cloneUnder(GroupNode& parent) {
    auto copy = std::make_unique<SoundNode>();
    copy->copySoundFields(*this);
    copy->name_ = name_;
    return parent.addChild(std::move(copy));
}

const char* readSoundNodeInto(GroupNode& group, const char* text, const char* end) {
    auto sound = std::make_unique<SoundNode>();
    SoundNode* raw = sound.get();
    try {
        group.addChild(std::move(sound));
    } catch (const ErrTreeManipulation& e) {
        e.report();
        SoundNode discarded;
        return discarded.readBody(text, end);
    }
    return raw->readBody(text, end);
}

}  // namespace kinemo

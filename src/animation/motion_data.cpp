#include "animation/motion_data.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "animation/section_keys.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "scene/group_node.h"
#include "scene/transform_math.h"

namespace kinemo {
namespace {

using tmath::Quat;

void rotate(const Quat& q, const double in[3], double out[3]) {
    double m[9];
    tmath::toMatrix(q, m);
    for (int i = 0; i < 3; ++i) out[i] = m[3 * i] * in[0] + m[3 * i + 1] * in[1] + m[3 * i + 2] * in[2];
}

// The numbers of a bracketed list after key: "[a b c\n# d ...]".
std::vector<float> readList(std::string_view t, std::string_view key, std::size_t& from) {
    std::vector<float> out;
    const std::size_t k = t.find(key, from);
    if (k == std::string_view::npos) return out;
    std::size_t pos = t.find('[', k);
    const std::size_t close = pos == std::string_view::npos ? pos : t.find(']', pos);
    if (close == std::string_view::npos) return out;
    ++pos;
    while (pos < close) {
        const char c = t[pos];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '#') {
            ++pos;
            continue;
        }
        double v = 0;
        const std::size_t used = parseDoublePrefix(t.substr(pos, close - pos), v);
        if (used == 0 || !std::isfinite(v)) break;  // a word or a non-finite value ends the list
        out.push_back(float(v));
        pos += used;
    }
    from = close + 1;
    return out;
}

void writeList(std::string& out, std::string_view key, const float* v, std::size_t n) {
    out += "\n#   ";
    out += key;
    out += " [";
    for (std::size_t i = 0; i < n; ++i) {
        if (i) out += ' ';
        out += formatC("%4.3f", double(v[i]));
        if ((i + 1) % 9 == 0 && i + 1 < n) out += "\n# ";
    }
    out += "]";
}

}  // namespace

std::size_t ComplexMoveAnimationObject::settleSamples() {
    std::size_t n = std::min({times.size(), translations.size(), rotations.size()});
    for (std::size_t i = 0; i < n; ++i) {
        bool finite = std::isfinite(times[i]);
        for (float v : translations[i]) finite = finite && std::isfinite(v);
        for (float v : rotations[i]) finite = finite && std::isfinite(v);
        if (!finite || (i > 0 && !(times[i] > times[i - 1]))) {
            n = i;
            break;
        }
    }
    times.resize(n);
    translations.resize(n);
    rotations.resize(n);
    return n;
}

void ComplexMoveAnimationObject::applyWeight(AnimationAtomRef& ref, double w) {
    auto* r = dynamic_cast<ComplexMoveAnimationRef*>(&ref);
    if (!r) {
        reportMessage("Fatal error in ComplexMoveAnimationObject::getAnimationValuesForWeight", 1, true);
        return;
    }
    TransformNode* node = component_;
    if (!node || times.empty()) return;
    TransformData& c = node->currentTransform;
    // Data time from the weight, so that the last sample is reached at the run time.
    const double tau = w * double(times.back());
    std::array<double, 3> td{};
    std::array<double, 4> rd{0, 0, 1, 0};
    if (tau <= times.front() || times.size() == 1) {
        const std::size_t i = (tau >= times.back()) ? times.size() - 1 : 0;
        for (int k = 0; k < 3; ++k) td[std::size_t(k)] = translations[i][std::size_t(k)];
        for (int k = 0; k < 4; ++k) rd[std::size_t(k)] = rotations[i][std::size_t(k)];
    } else if (tau >= times.back()) {
        for (int k = 0; k < 3; ++k) td[std::size_t(k)] = translations.back()[std::size_t(k)];
        for (int k = 0; k < 4; ++k) rd[std::size_t(k)] = rotations.back()[std::size_t(k)];
    } else {
        std::size_t i = 0;
        while (i + 1 < times.size() && !(tau < times[i + 1])) ++i;
        const double f = (tau - times[i]) / (double(times[i + 1]) - times[i]);
        for (std::size_t k = 0; k < 3; ++k) td[k] = (1 - f) * translations[i][k] + f * translations[i + 1][k];
        for (std::size_t k = 0; k < 4; ++k) rd[k] = (1 - f) * rotations[i][k] + f * rotations[i + 1][k];
    }
    const Quat q0 =
        tmath::fromAxisAngle(r->startRotation[0], r->startRotation[1], r->startRotation[2], r->startRotation[3]);
    const Quat q = tmath::multiply(q0, tmath::fromAxisAngle(rd[0], rd[1], rd[2], rd[3]));
    float out[4];
    tmath::toAxisAngle(q, out);
    const float* s = c.scale();
    const float* cc = c.center();
    const double arm[3] = {s[0] * double(cc[0] - center[0]), s[1] * double(cc[1] - center[1]),
                           s[2] * double(cc[2] - center[2])};
    double a[3], b[3], d[3];
    rotate(q, arm, a);
    rotate(q0, arm, b);
    const double scaled[3] = {s[0] * td[0], s[1] * td[1], s[2] * td[2]};
    rotate(q0, scaled, d);
    c.setRotation(out[0], out[1], out[2], out[3]);
    c.setTranslation(float(r->startTranslation[0] + a[0] - b[0] + d[0]),
                     float(r->startTranslation[1] + a[1] - b[1] + d[1]),
                     float(r->startTranslation[2] + a[2] - b[2] + d[2]));
}

void ComplexMoveAnimationObject::invert() {
    logLine("ComplexMoveAnimationObject::invert not yet implemented");
    if (times.empty()) return;
    const float last = times.back();
    std::reverse(times.begin(), times.end());
    for (float& t : times) t = last - t;
    std::reverse(translations.begin(), translations.end());
    std::reverse(rotations.begin(), rotations.end());
}

std::unique_ptr<MoveObject> ComplexMoveAnimationObject::copy() const {
    auto m = std::make_unique<ComplexMoveAnimationObject>(parent(), false);
    m->speed = speed;
    m->comment = comment;
    m->component_ = component_;
    m->center = center;
    m->global = global;
    m->times = times;
    m->translations = translations;
    m->rotations = rotations;
    return m;
}

void ComplexMoveAnimationObject::writeBlock(std::string& out) const {
    out += "\n#   [STEP>>COMPLEXMOVE]";
    if (global) out += "\n#   global";
    out += formatC("\n#   speed %f", double(speed));
    out += "\n#   center (";
    out += formatC("%4.3f, %4.3f, %4.3f", double(center[0]), double(center[1]), double(center[2]));
    out += ")";
    writeList(out, "times", times.data(), times.size());
    writeList(out, "translations", translations.empty() ? nullptr : translations[0].data(), translations.size() * 3);
    writeList(out, "rotations", rotations.empty() ? nullptr : rotations[0].data(), rotations.size() * 4);
    out += "\n#";
}

void ComplexMoveAnimationObject::readBlock(const BlockText& b) {
    const double s = b.number("speed", 1.0);
    speed = std::isfinite(s) ? float(s) : 1.0f;
    const std::string_view t = b.text();
    const std::size_t c = t.find("center");
    const std::size_t g = t.find("global");
    global = g != std::string_view::npos && (c == std::string_view::npos || g < c);
    double v[3];
    if (c == std::string_view::npos || !BlockText(t.substr(c)).numbers("center", v, 3)) {
        reportMessage("Parser found no cener in ComplexMoveAnimationObject", 1, true);
        return;
    }
    center = {float(v[0]), float(v[1]), float(v[2])};
    std::size_t from = c;
    const std::vector<float> ts = readList(t, "times", from);
    if (ts.empty()) reportMessage("Parser found no times in ComplexMoveAnimationObject", 1, true);
    const std::vector<float> tr = readList(t, "translations", from);
    if (tr.empty()) reportMessage("Parser found no translations in ComplexMoveAnimationObject", 1, true);
    const std::vector<float> ro = readList(t, "rotations", from);
    if (ro.empty()) reportMessage("Parser found no rotations in ComplexMoveAnimationObject", 1, true);
    times = ts;
    translations.clear();
    rotations.clear();
    for (std::size_t i = 0; i + 2 < tr.size(); i += 3) translations.push_back({tr[i], tr[i + 1], tr[i + 2]});
    for (std::size_t i = 0; i + 3 < ro.size(); i += 4) rotations.push_back({ro[i], ro[i + 1], ro[i + 2], ro[i + 3]});
    settleSamples();
}

namespace {

// Words and numbers of one line, one after the other.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}
    bool nextLine(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        std::size_t nl = text_.find('\n', pos_);
        if (nl == std::string_view::npos) nl = text_.size();
        line = text_.substr(pos_, nl - pos_);
        pos_ = nl + 1;
        return true;
    }
    // The next blank-separated word of the text (across lines), empty at the end.
    std::string_view word() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
        const std::size_t start = pos_;
        while (pos_ < text_.size() && !std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
        return text_.substr(start, pos_ - start);
    }
    // Skips to the start of the next line.
    void endLine() {
        const std::size_t nl = text_.find('\n', pos_);
        pos_ = nl == std::string_view::npos ? text_.size() : nl + 1;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool numberOf(std::string_view word, double& v) {
    if (word.empty()) return false;
    const std::size_t used = parseDoublePrefix(word, v);
    return used == word.size() && std::isfinite(v);
}

// The numbers of a line; false at the first word that is not a finite number.
bool lineNumbers(std::string_view line, std::vector<double>& out, std::size_t want) {
    out.clear();
    std::size_t pos = 0;
    while (out.size() < want) {
        while (pos < line.size() && std::isspace(static_cast<unsigned char>(line[pos]))) ++pos;
        if (pos >= line.size()) return false;
        std::size_t end = pos;
        while (end < line.size() && !std::isspace(static_cast<unsigned char>(line[end]))) ++end;
        double v = 0;
        if (!numberOf(line.substr(pos, end - pos), v)) return false;
        out.push_back(v);
        pos = end;
    }
    return true;
}

}  // namespace

std::unique_ptr<ComplexMoveAnimationObject> importMotionData(std::string_view text, std::string_view path,
                                                             GroupNode* component) {
    const std::string file(path);
    LineReader in(text);
    auto motion = std::make_unique<ComplexMoveAnimationObject>(nullptr, true);
    if (component) motion->setComponent(component);
    std::string_view w = in.word();
    if (w == "center") {
        double v[3];
        for (double& x : v) {
            if (!numberOf(in.word(), x)) {
                reportMessage(formatC("No center data (or empty first line) found in %s", file.c_str()), 1, true);
                return nullptr;
            }
        }
        motion->center = {float(v[0]), float(v[1]), float(v[2])};
    } else if (w == "defaultcenter") {
        if (component) {
            const float* c = component->currentTransform.center();
            motion->center = {c[0], c[1], c[2]};
        }
    } else {
        reportMessage(formatC("Error: found '%s' instead of 'defaultcenter' or 'center' on first line of file in %s",
                              std::string(w).c_str(), file.c_str()),
                      1, true);
        return nullptr;
    }
    w = in.word();
    if (w != "jump" && w != "nojump") {
        reportMessage(
            formatC("Error: found '%s' instead of 'jump' or 'nojump' in %s", std::string(w).c_str(), file.c_str()), 1,
            true);
        return nullptr;
    }
    const bool relative = w == "nojump";
    w = in.word();
    if (w != "global" && w != "local") {
        reportMessage(
            formatC("Error: found '%s' instead of 'global' or 'local' in %s", std::string(w).c_str(), file.c_str()), 1,
            true);
        return nullptr;
    }
    motion->global = w == "global";
    const std::string channel(in.word());
    long column = 0;
    const bool all = channel == "all";
    if (!all) {
        double c = 0;
        const bool known = channel == "x" || channel == "y" || channel == "z" || channel == "rx" || channel == "ry" || channel == "rz";
        const bool hasColumn = numberOf(in.word(), c) && c > 1 && c < 1000;
        column = hasColumn ? long(c) : 0;
        if (!known || !hasColumn) {
            reportMessage(
                formatC("Error: unexpected prameter specification '%s', index %d (excpected 'all','x','y','z',"
                        "'rx','ry' or 'rz') in file %s",
                        channel.c_str(), int(column), file.c_str()),
                1, true);
            return nullptr;
        }
    }
    in.endLine();
    std::string_view line;
    std::vector<double> v;
    int row = 0;
    while (in.nextLine(line)) {
        if (line.find_first_not_of(" \t\r") == std::string_view::npos) continue;
        ++row;
        const std::size_t want = all ? 8 : std::size_t(column);
        if (!lineNumbers(line, v, want)) {
            reportMessage(formatC("Data error: no number where one is due for row %d", row), 1, true);
            break;
        }
        std::array<float, 3> t{0, 0, 0};
        std::array<float, 4> r{0, 0, 1, 0};
        if (all) {
            t = {float(v[1]), float(v[2]), float(v[3])};
            r = {float(v[4]), float(v[5]), float(v[6]), float(v[7])};
        } else {
            const float value = float(v[std::size_t(column) - 1]);
            if (channel == "x") t[0] = value;
            if (channel == "y") t[1] = value;
            if (channel == "z") t[2] = value;
            if (channel == "rx") r = {1, 0, 0, value};
            if (channel == "ry") r = {0, 1, 0, value};
            if (channel == "rz") r = {0, 0, 1, value};
        }
        bool finite = true;
        for (float x : t) finite = finite && std::isfinite(x);
        for (float x : r) finite = finite && std::isfinite(x);
        const float time = float(v[0]);
        if (!finite || !std::isfinite(time)) {
            reportMessage(formatC("Data error: no number where one is due for row %d", row), 1, true);
            break;
        }
        if (!motion->times.empty() && !(time > motion->times.back())) {
            reportMessage(formatC("Data error: time does not increase monotonically for row %d", row), 1, true);
            break;
        }
        motion->times.push_back(time);
        motion->translations.push_back(t);
        motion->rotations.push_back(r);
    }
    if (motion->times.empty()) {
        reportMessage(formatC("No data (or empty lines) found in %s", file.c_str()), 1, true);
        return nullptr;
    }
    if (relative) {
        // Every sample relative to the first, so that the motion starts from the current pose.
        const std::array<float, 3> t0 = motion->translations.front();
        const std::array<float, 4> r0 = motion->rotations.front();
        const Quat inverse = tmath::fromAxisAngle(r0[0], r0[1], r0[2], -double(r0[3]));
        for (std::size_t i = 0; i < motion->times.size(); ++i) {
            for (std::size_t k = 0; k < 3; ++k) motion->translations[i][k] -= t0[k];
            const std::array<float, 4>& r = motion->rotations[i];
            const Quat q = tmath::multiply(tmath::fromAxisAngle(r[0], r[1], r[2], r[3]), inverse);
            float out[4];
            tmath::toAxisAngle(q, out);
            motion->rotations[i] = {out[0], out[1], out[2], out[3]};
        }
    }
    showStatus(formatC("Read %ld moves from %s", long(motion->times.size()), file.c_str()));
    if (component) motion->getRef().getCurrentState();
    return motion;
}

std::unique_ptr<ComplexMoveAnimationObject> importMotionDataFile(const std::string& path, GroupNode* component) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        reportMessage("Could not open text file " + path, 1, true);
        return nullptr;
    }
    std::stringstream s;
    s << in.rdbuf();
    return importMotionData(s.str(), path, component);
}

}  // namespace kinemo

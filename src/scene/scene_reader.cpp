// The scene reader's top level: header lines, the dispatch of the top-level keywords, the
// definitions block, nested reads for Inline files and the checks after loading.
#include "scene/scene_reader.h"

#include <chrono>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/definitions.h"
#include "core/errors.h"
#include "core/file_type.h"
#include "core/messages.h"
#include "core/numbers.h"
#include "core/paths.h"
#include "core/platform.h"
#include "core/utilities.h"
#include "geometry/image.h"
#include "scene/consumed_text.h"
#include "scene/def_registry.h"
#include "scene/err_tree_manipulation.h"
#include "scene/matchers.h"
#include "scene/node_readers.h"
#include "scene/node_table.h"
#include "scene/reading_state.h"
#include "scene/scene.h"
#include "scene/scene_binary.h"
#include "scene/scene_file_hooks.h"
#include "scene/scene_file_shapes.h"
#include "scene/scene_file_special_nodes.h"
#include "scene/scene_report.h"
#include "scene/tokenizer.h"
#include "text/text_form.h"
#include "text/text_images.h"
#include "text/translator.h"

namespace kinemo {

namespace detail {
void adoptCurrentScene(std::unique_ptr<Scene> scene);
}

SceneFileHooks& sceneFileHooks() {
    static SceneFileHooks hooks;
    return hooks;
}

namespace {

constexpr long kBodyKeywordBudget = 1000;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

const char* lineEnd(const char* p, const char* end) {
    while (p < end && *p && *p != '\n' && *p != '\r') ++p;
    return p;
}

// Passes over a node body that opens after p, to its closing brace; quoted texts and comments
// are passed over whole. Returns the position after the brace (or end).
const char* skipNodeBody(const char* p, const char* end) {
    long depth = 0;
    while (p < end && *p) {
        const char c = *p;
        if (c == '"') {
            ++p;
            while (p < end && *p && *p != '"') p += (*p == '\\' && p + 1 < end) ? 2 : 1;
        } else if (c == '#') {
            p = lineEnd(p, end);
            continue;
        } else if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth <= 0) return p + 1;
        } else if (depth == 0 && !isBlank(c)) {
            // Something other than the body's opening brace: the node has no body.
            return p;
        }
        if (p < end && *p) ++p;
    }
    return p;
}

// The first word after p (blanks skipped), without brackets.
std::string_view wordAt(const char* p, const char* end, const char*& after) {
    while (p < end && *p && isBlank(*p)) ++p;
    const char* q = p;
    while (q < end && *q && !isBlank(*q) && *q != '{' && *q != '}' && *q != '[' && *q != ']') ++q;
    after = q;
    return {p, std::size_t(q - p)};
}

// A number on the rest of the line, like readFloat.
double numberOnLine(const char* p, const char* end, bool& found) {
    const char* e = lineEnd(p, end);
    double v = 0;
    found = parseDoublePrefix(std::string_view(p, std::size_t(e - p)), v) > 0;
    return v;
}

// Reads a "{ ... }" body with a matcher, handing each keyword to take; at most the budget.
template <class Take>
const char* readSimpleBody(const KeyWordMatcher& m, const char* pos, const char* end, Take take) {
    long braces = 0, brackets = 0;
    bool opened = false;
    for (long n = 0; n < kBodyKeywordBudget; ++n) {
        KeywordHit hit = m.scan(pos, end);
        if (hit.keyword == kw::EndOfString) return hit.after;
        pos = hit.after;
        if (KeyWordMatcher::countBrackets(braces, brackets, hit.keyword)) {
            if (hit.keyword == kw::OpenBrace) opened = true;
            if (opened && braces <= 0 && brackets <= 0) return pos;
            continue;
        }
        if (!opened) return hit.begin;
        pos = take(hit.keyword, pos);
        if (pos < hit.after) pos = hit.after;
    }
    return pos;
}

// Saves the state an Inline must not change and puts it back however the read ends.
class NestedReadGuard {
public:
    NestedReadGuard() : state_(readingState()) {
        version_ = state_.fileVersion;
        own_ = state_.ownFormat;
        source_ = state_.source;
        cad_ = state_.cadSource;
        begin_ = state_.textBegin;
        end_ = state_.textEnd;
        scaling_ = state_.importScaling;
    }
    ~NestedReadGuard() {
        state_.fileVersion = version_;
        state_.ownFormat = own_;
        state_.source = source_;
        state_.cadSource = cad_;
        state_.textBegin = begin_;
        state_.textEnd = end_;
        state_.importScaling = scaling_;
    }
    NestedReadGuard(const NestedReadGuard&) = delete;
    NestedReadGuard& operator=(const NestedReadGuard&) = delete;

private:
    ReadingState& state_;
    float version_;
    bool own_;
    SourceType source_;
    CadSource cad_;
    const char* begin_;
    const char* end_;
    bool scaling_;
};

}  // namespace

float readVersionNumber(const char* text, const char* end) {
    const char* eol = lineEnd(text, end);
    const std::size_t length = std::size_t(eol - text);
    float version = -2.0f;
    if (length >= 2) {
        const char c = text[1];
        std::size_t skip = 0;
        if (c == '1') {
            version = 1.0f;
            sceneLog("Scene::readVersionNumber found version 1.0\n");
        } else if (c == 'B') {
            skip = 17;
        } else if (c == 'M') {
            skip = 26;
        } else if (c == 'P') {
            skip = 22;
        } else if (c == 'S') {
            skip = 18;
        } else {
            sceneLog(formatC("Scene::readVersionNumber found unknown version char %c\n", c));
        }
        if (skip) {
            double v = 0;
            // A line too short for its edition word, or without a number, has no version.
            if (skip < length && parseDoublePrefix(std::string_view(text + skip, length - skip), v) > 0)
                version = static_cast<float>(v);
            else
                sceneLog("Scene::readVersionNumber found no version number\n");
        }
    }
    setFileVersion(version);
    return version;
}

const char* readDefinitionsBlock(Scene& scene, const char* text, const char* end) {
    SceneFileHooks& hooks = sceneFileHooks();
    const char* headStart = lineEnd(text, end);
    if (headStart < end && *headStart == '\r') ++headStart;
    if (headStart < end && *headStart == '\n') ++headStart;
    const std::string_view rest(headStart, std::size_t(end - headStart));
    const std::size_t endTag = rest.find("</kmxDEFINITION>");
    const char* blockEnd = endTag == std::string_view::npos ? end : headStart + endTag;
    const char* blockAfter = endTag == std::string_view::npos ? end : blockEnd + std::strlen("</kmxDEFINITION>");
    if (blockAfter < end && *blockAfter == '\n') ++blockAfter;
    // The end tag's line begins with the comment mark.
    const char* blockLine = blockEnd;
    while (blockLine > headStart && blockLine[-1] != '\n') --blockLine;

    const KeyWordMatcher& m = definitionsMatcher();
    const char* pos = headStart;
    const char* headEnd = nullptr;
    const char* afterIndex = nullptr;
    auto lineStartOf = [&](const char* p) {
        while (p > headStart && p[-1] != '\n') --p;
        return p;
    };
    auto textUpTo = [&](const char* from, const char* tag) {
        const std::string_view s(from, std::size_t(blockLine - from));
        const std::size_t at = s.find(tag);
        const std::size_t n = at == std::string_view::npos ? std::size_t(0) : at;
        return std::pair<std::string, const char*>(std::string(from, n), at == std::string_view::npos ? from : from + at);
    };
    for (;;) {
        KeywordHit hit = m.scan(pos, blockLine);
        if (hit.keyword == kw::EndOfString) break;
        pos = hit.after;
        if (hit.keyword == kw::ImageData) {
            // The bytes are kept as carried; the decode below only checks and reports.
            const std::string_view record(hit.after, std::size_t(blockLine - hit.after));
            if (const std::optional<ImageDataRecord> r = splitImageDataRecord(record); r && !r->name.empty())
                scene.kept.definitionImages[std::string(r->name)] = std::string(r->bytes);
            ImageImpl image;
            const char* p = image.readImageData(hit.after, blockLine, false);
            if (p > pos) pos = p;
        } else if (hit.keyword == kw::kmxCompanyLogo) {
            auto [name, p] = textUpTo(hit.after, "</kmxCOMPANY_LOGO>");
            scene.companyLogo = name;
            pos = p;
        } else if (hit.keyword == kw::kmxMachineLogo) {
            auto [name, p] = textUpTo(hit.after, "</kmxMACHINE_LOGO>");
            scene.machineLogo = name;
            pos = p;
        } else if (hit.keyword == kw::kmxChapterIconSize) {
            // The size stands between the tags; the entries after it are read all the same.
            if (!headEnd) headEnd = lineStartOf(hit.begin);
            long long size = 0;
            if (parseLongPrefix(std::string_view(hit.after, std::size_t(blockLine - hit.after)), size) > 0 && size > 0 &&
                size <= 1024)
                scene.chapterIconSize = std::int32_t(size);
        } else if (hit.keyword == kw::kmxHighestIndex) {
            const char* line = lineStartOf(hit.begin);
            if (!headEnd) headEnd = (line > headStart && line[-1] == '\n') ? line - 1 : line;
            const char* e = lineEnd(hit.after, blockLine);
            std::string element(hit.after, std::size_t(e - hit.after));
            scene.highestStepIndex = readIntAttribute(element.c_str(), "value", -1);
            if (hooks.restoreStepIdCounter) hooks.restoreStepIdCounter(scene.highestStepIndex);
            afterIndex = e < blockLine && *e == '\n' ? e + 1 : e;
            break;
        }
        if (pos < hit.after) pos = hit.after;
    }
    if (!headEnd) headEnd = blockLine;
    scene.kept.definitionsHead.assign(headStart, std::size_t(headEnd - headStart));

    const char* tailStart = afterIndex ? afterIndex : blockLine;
    if (tailStart > blockLine) tailStart = blockLine;
    const std::string_view tail(tailStart, std::size_t(blockLine - tailStart));
    Translator::readLanguageDefinitions(tail);
    std::size_t from = 0;
    for (std::size_t at = tail.find("<kmxLANGUAGEDEF"); at != std::string_view::npos;
         at = tail.find("<kmxLANGUAGEDEF", at + 1)) {
        const std::size_t close = tail.find("/>", at);
        from = close == std::string_view::npos ? tail.size() : close + 2;
    }
    for (int i = 0; i < 3 && from < tail.size() && tail[from] == '\n'; ++i) ++from;
    std::string_view others = tail.substr(from);
    const std::size_t defs = others.find("# [DEF>>VIEWPOINT]");
    if (hooks.readViewpointDefinitions && defs != std::string_view::npos) {
        // Each viewpoint definition begins with two line feeds of its own.
        std::string_view fonts = others.substr(0, defs);
        for (int i = 0; i < 2 && !fonts.empty() && fonts.back() == '\n'; ++i) fonts.remove_suffix(1);
        scene.kept.definitionsTail.assign(fonts);
        const char* defsBegin = others.data() + defs;
        hooks.readViewpointDefinitions(scene, defsBegin, defsBegin + std::strlen("# [DEF>>VIEWPOINT]"), blockLine);
    } else {
        // The viewpoint definitions writer ends with three line feeds, even with no viewpoint.
        if (hooks.writeViewpointDefinitions && others.size() >= 3 && others.substr(others.size() - 3) == "\n\n\n")
            others.remove_suffix(3);
        scene.kept.definitionsTail.assign(others);
    }
    return blockAfter;
}

// Reads the top level of one text into a scene (outermost) or into an Inline's group (nested).
class SceneReader {
public:
    SceneReader(Scene* scene, GroupNode& target, const char* begin, const char* end)
        : scene_(scene), target_(target), begin_(begin), end_(end) {}

    // Returns the position after the text; throws OperationAbandoned when the file asks for a
    // newer program.
    const char* run();

private:
    const char* readNavigation(const char* after);
    const char* readBackground(const char* after);
    const char* readCommentedMetaInfo(Scene& scene, const char* p);
    const char* readHeaderKeyword(const KeywordHit& hit, const char* itemStart, bool& handled);

    Scene* scene_;  // none for a nested read
    GroupNode& target_;
    const char* begin_;
    const char* end_;
    bool refused_ = false;
    bool stop_ = false;
};

const char* SceneReader::readNavigation(const char* after) {
    return readSimpleBody(navigationMatcher(), after, end_, [&](Keyword k, const char* pos) {
        if (k == kw::headlight) {
            const char* p;
            std::string_view word = wordAt(pos, end_, p);
            const bool on = !word.empty() && (word[0] == 'T' || word[0] == 't' || word[0] == 'Y' || word[0] == 'y');
            if (scene_) scene_->headlight = on;
            return p;
        }
        return pos;
    });
}

const char* SceneReader::readBackground(const char* after) {
    return readSimpleBody(navigationMatcher(), after, end_, [&](Keyword k, const char* pos) {
        if (k == kw::skyColor) {
            float rgb[3] = {0, 0, 0};
            const char* p = pos;
            for (float& c : rgb) {
                while (p < end_ && *p && isBlank(*p)) ++p;
                double v = 0;
                const std::size_t used = parseDoublePrefix(std::string_view(p, std::size_t(end_ - p)), v);
                if (!used) break;
                c = static_cast<float>(v);
                p += used;
            }
            if (scene_) std::memcpy(scene_->skyColor, rgb, sizeof rgb);
            return p;
        }
        return pos;
    });
}

// The meta information as the writer puts it after the definitions block: comment lines
// between "# <kmxMETA_INFO>" and "# </kmxMETA_INFO>". Returns p when there is none.
const char* SceneReader::readCommentedMetaInfo(Scene& scene, const char* p) {
    constexpr std::string_view kOpen = "# <kmxMETA_INFO>", kClose = "# </kmxMETA_INFO>";
    const char* q = p;
    while (q < end_ && *q && isBlank(*q)) ++q;
    if (std::string_view(q, std::size_t(end_ - q)).substr(0, kOpen.size()) != kOpen) return p;
    if (sceneFileHooks().readMetaInfo) return sceneFileHooks().readMetaInfo(scene, q, q + kOpen.size(), end_);
    q = lineEnd(q, end_);
    if (q < end_ && *q == '\r') ++q;
    if (q < end_ && *q == '\n') ++q;
    std::string text;
    while (q < end_ && *q) {
        const char* e = lineEnd(q, end_);
        std::string_view line(q, std::size_t(e - q));
        // Lines end in a line feed, CR LF or a lone CR; each is passed over, or the loop would
        // stand on it for ever.
        q = e < end_ && *e == '\r' ? e + 1 : e;
        if (q < end_ && *q == '\n') ++q;
        if (line.substr(0, kClose.size()) == kClose) {
            q = e;
            break;
        }
        if (line.substr(0, 2) == "# ")
            line.remove_prefix(2);
        else if (line.substr(0, 1) == "#")
            line.remove_prefix(1);
        text += line;
        text += '\n';
    }
    scene.kept.metaInfo = std::move(text);
    scene.kept.hasMetaInfo = true;
    return q;
}

const char* SceneReader::readHeaderKeyword(const KeywordHit& hit, const char* itemStart, bool& handled) {
    ReadingState& s = readingState();
    SceneFileHooks& hooks = sceneFileHooks();
    const Keyword k = hit.keyword;
    const char* after = hit.after;
    handled = true;
    if (k == kw::hashRequiresProgramVersion) {
        bool found = false;
        const float required = static_cast<float>(numberOnLine(after, end_, found));
        if (found && kProgramVersion < required) {
            sceneReport(formatC("Current file requires program version >=%4.2f, program has only version %4.2f",
                                double(required), double(kProgramVersion)),
                        3, true);
            refused_ = true;
            stop_ = true;
        }
        return lineEnd(after, end_);
    }
    if (k == kw::hashKinemo || k == kw::hashOrvandel) {
        const float v = readVersionNumber(after, end_);
        setTextFormFromVersion(v);
        return lineEnd(after, end_);
    }
    if (k == kw::hashVRML || k == kw::hashKINEMML || k == kw::hashInventor) {
        if (k == kw::hashInventor || s.cadSource == CadSource::Inventor) {
            s.source = SourceType::Vrml1;
            s.cadSource = CadSource::Inventor;
        } else {
            s.ownFormat = k == kw::hashKINEMML;
            detectVrmlVersion(after, end_);
        }
        if (s.isVrml1()) target_.readFromVrml1 = true;
        return lineEnd(after, end_);
    }
    if (k == kw::hashCreationDate) {
        const char* e = lineEnd(after, end_);
        if (scene_) scene_->creationDate.assign(after, std::size_t(e - after));
        return e;
    }
    if (k == kw::NavigationInfo) return readNavigation(after);
    if (k == kw::Background) return readBackground(after);
    if (k == kw::Fog) {
        sceneLog(formatC("Ignoring Scene VRML keyword %s\n", k));
        return skipNodeBody(after, end_);
    }
    if (k == kw::headlight) return after;
    if (k == kw::kmxMetaInfoEnd) return after;
    if (!scene_) {
        // The guide's own sections of an Inline file belong to that file alone.
        if (k == kw::commentKmxDefinition) {
            const char* e = std::strstr(after, "</kmxDEFINITION>");
            return e && e < end_ ? e + std::strlen("</kmxDEFINITION>") : end_;
        }
        if (k == kw::commentAnimations || k == kw::kmxMetaInfo) {
            stop_ = true;
            return end_;
        }
        if (k == kw::DirectionalLight) return skipNodeBody(after, end_);
        if (k == kw::commentDefViewpoint) return lineEnd(after, end_);
        handled = false;
        return after;
    }
    Scene& scene = *scene_;
    if (k == kw::DirectionalLight) {
        if (hooks.readLight) return hooks.readLight(scene, hit.begin, after, end_);
        const char* e = skipNodeBody(after, end_);
        scene.kept.light.assign(itemStart, std::size_t(e - itemStart));
        return e;
    }
    if (k == kw::Viewpoint) {
        if (hooks.readViewpoint) {
            const std::size_t before = scene.root().childCount();
            const char* p = hooks.readViewpoint(scene, hit.begin, after, end_);
            // The first top-level Viewpoint is the initial one; later ones do not displace it.
            if (scene.root().childCount() > before && !scene.initialViewpoint) {
                scene.initialViewpoint = scene.root().child(scene.root().childCount() - 1);
                scene.currentViewpoint = scene.initialViewpoint;
            }
            return p;
        }
        const char* e = skipNodeBody(after, end_);
        scene.kept.viewpoint.assign(itemStart, std::size_t(e - itemStart));
        defRegistry().clearPendingName();
        return e;
    }
    if (k == kw::commentKmxDefinition) {
        scene.root().updateBounds();
        return readCommentedMetaInfo(scene, readDefinitionsBlock(scene, after, end_));
    }
    if (k == kw::commentDefViewpoint) {
        if (hooks.readViewpointDefinitions) return hooks.readViewpointDefinitions(scene, hit.begin, after, end_);
        return lineEnd(after, end_);
    }
    if (k == kw::commentAnimations) {
        if (hooks.readAnimations) return hooks.readAnimations(scene, hit.begin, after, end_);
        const char* p = after;
        if (p < end_ && *p == '\n') ++p;
        const char* e = end_;
        if (e > p && e[-1] == '\n') --e;
        scene.kept.animations.assign(p, std::size_t(e - p));
        scene.kept.hasAnimations = true;
        stop_ = true;
        return end_;
    }
    if (k == kw::kmxMetaInfo) {
        if (hooks.readMetaInfo) return hooks.readMetaInfo(scene, hit.begin, after, end_);
        const char* p = after;
        if (p < end_ && *p == '\n') ++p;
        const std::string_view rest(p, std::size_t(end_ - p));
        const std::size_t close = rest.find("</kmxMETA_INFO>");
        const std::size_t n = close == std::string_view::npos ? rest.size() : close;
        scene.kept.metaInfo.assign(p, n);
        scene.kept.hasMetaInfo = true;
        return close == std::string_view::npos ? end_ : p + n + std::strlen("</kmxMETA_INFO>");
    }
    handled = false;
    return after;
}

const char* SceneReader::run() {
    ReadingState& s = readingState();
    const char* pos = begin_;
    long braces = 0, brackets = 0;
    const KeyWordMatcher& m = headerMatcher();
    // The loop runs to the end of the text: every keyword moves reading on, so it ends.
    while (!stop_ && pos < end_) {
        const char* itemStart = pos;
        KeywordHit hit = m.scan(pos, end_);
        if (hit.keyword == kw::EndOfString) break;
        pos = hit.after;
        if (KeyWordMatcher::countBrackets(braces, brackets, hit.keyword)) continue;
        const Keyword k = hit.keyword;
        bool handled = false;
        const char* p = readHeaderKeyword(hit, itemStart, handled);
        if (!handled) {
            if (k == kw::DEF) {
                const char* q;
                std::string_view word = wordAt(hit.after, end_, q);
                defRegistry().setPendingName(word);
                p = q;
            } else {
                if (k == kw::MatrixTransform || k == kw::Separator || k == kw::WWWAnchor || k == kw::WWWInline ||
                    k == kw::Coordinate3) {
                    if (s.source == SourceType::Vrml2) sceneReport("VRML claims to be VRML2 but is VRML1", 1, true);
                } else if (k == kw::Transform || k == kw::transform || k == kw::Collision || k == kw::Anchor ||
                           k == kw::Billboard || k == kw::LOD || k == kw::Group || k == kw::Inline || k == kw::Shape) {
                    if (s.isVrml1() && s.cadSource != CadSource::Inventor && k != kw::Transform && k != kw::transform)
                        sceneReport(std::string("VRML claims to be VRML1 but is VRML2: ") + k, 1, true);
                } else if (s.isVrml1()) {
                    target_.readFromVrml1 = true;
                }
                p = target_.readFromText(hit.begin);
                if (!p) break;
            }
        }
        if (p > pos) pos = p;
        if (pos > end_) pos = end_;
    }
    if (refused_) throw OperationAbandoned("Loading terminated");
    return pos;
}

const char* Scene::readFromString(const char* text, std::size_t length) {
    if (!text) return nullptr;
    // The readers need a zero byte after the text.
    const char* p = readOwnedText(std::string(text, length));
    const char* result = p ? text + (p - lastText.data()) : nullptr;
    // Nothing read keeps a pointer into the text: its copy goes at once.
    std::string().swap(lastText);
    return result;
}

const char* Scene::readOwnedText(std::string&& text) {
    lastText = std::move(text);
    std::string* buffer = &lastText;
    const char* p = nullptr;
    {
        ReadingState& s = readingState();
        s.fileVersion = -1.0f;
        s.source = SourceType::Unknown;
        s.cadSource = CadSource::None;
        defRegistry().clear();
        nodeTable().clearEntries();
        nodeTable().place(0, root_);
        nodeTable().place(1, superRoot_);
        if (nodeTable().nextNodeId() < 2) nodeTable().setNextNodeId(2);
        headlight = false;
        skyColor[0] = skyColor[1] = skyColor[2] = 0;
        kept = KeptBlocks{};
        s.textBegin = buffer->data();
        s.textEnd = buffer->data() + buffer->size();
        ++s.readDepth;
        struct DepthGuard {
            ~DepthGuard() {
                ReadingState& st = readingState();
                --st.readDepth;
                st.textBegin = st.textEnd = nullptr;
            }
        } depth;
        // The text is this scene's own copy: its read part can go while the rest is read.
        ConsumedTextRelease release(buffer->data(), buffer->data() + buffer->size());
        SceneReader reader(this, *root_, buffer->data(), buffer->data() + buffer->size());
        p = reader.run();
    }
    // After the loop: viewpoints of inline files go, the viewpoint stands under the root, one
    // exists, bounds are current.
    if (getDefinitionBool("EllimianteInlineViewpoints", true)) {
        const long n = eliminateInlineViewpoints(*root_);
        if (n > 0) sceneLog(formatC("Scene::readFromString removed %ld viewpoints of inline files\n", n));
    }
    SceneFileHooks& hooks = sceneFileHooks();
    if (!currentViewpoint && hooks.firstViewpointRead) {
        currentViewpoint = hooks.firstViewpointRead();
        initialViewpoint = currentViewpoint;
    }
    if (hooks.setHeadlight) hooks.setHeadlight(headlight);
    if (currentViewpoint && currentViewpoint->parent() != root_) {
        try {
            currentViewpoint->moveTo(*root_);
        } catch (const ErrTreeManipulation& e) {
            e.report();
        }
    }
    if (!currentViewpoint && kept.viewpoint.empty() && hooks.createDefaultViewpoint) {
        root_->updateBounds();
        currentViewpoint = hooks.createDefaultViewpoint(*this);
        initialViewpoint = currentViewpoint;
    }
    root_->updateBounds();
    return p;
}

bool readNestedContent(GroupNode& group, std::string_view text) {
    NestedReadGuard guard;
    ReadingState& s = readingState();
    const std::string copy(text);
    s.textBegin = copy.data();
    s.textEnd = copy.data() + copy.size();
    s.fileVersion = -1.0f;
    SceneReader reader(nullptr, group, copy.data(), copy.data() + copy.size());
    try {
        reader.run();
    } catch (const OperationAbandoned&) {
        return false;
    }
    return true;
}

void installSceneReader() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    setInlineContentReader(&readNestedContent);
    installSpecialNodeSupport();
    installShapeSupport();
}

void postLoad(Scene& scene) {
    ReadingState& s = readingState();
    if (s.emptyFaces > 10) sceneReport(formatC("The loaded model had %ld empty faces", s.emptyFaces), 1, true);
    if (s.recoverableSyntaxErrors > 10)
        sceneReport(formatC("The loaded model had %ld recoverable VRML syntax errors", s.recoverableSyntaxErrors), 1, true);
    if (versionBelow(s.fileVersion, 3.0)) {
        const TreeStatistics stats = collectStatistics(scene.root());
        const long perShape = stats.triangles / (stats.shapes + 1);
        if (perShape < 20 && stats.triangles > 1000)
            sceneReport(formatC("The loaded model has only %ld triangles per face unit.\n'Optimize Parts' or 'Merge "
                                  "Leaves of Assembly Tree' might improve performance.",
                                  perShape),
                          4, false);
    }
    // Older guides kept viewpoints that nothing flies to; the author may drop them (Cancel keeps them).
    if (versionBelow(s.fileVersion, 3.14)) {
        const std::vector<Node*> unused = unusedViewpoints(scene);
        if (!unused.empty() &&
            showMessageBox(
                formatC("This file contains %ld unused viewpoints, do you want to remove them?", long(unused.size())),
                "Brevalonix Kinemo Builder", MessageIcon::Question, MessageButtons::OkCancel,
                MessageAnswer::Cancel) == MessageAnswer::Ok)
            for (Node* v : unused) v->detachFromParent();
    }
    s.ownFormat = false;
    if (sceneFileHooks().handOver) sceneFileHooks().handOver(scene);
    defRegistry().clear();
}

Scene* Scene::readFromFile(std::string_view path) {
    const std::string file(path);
    sceneLog(formatC("Scene::readFromFile loading %s\n", file.c_str()));
    const FileType type = fileTypeOf(path);
    if (type == FileTypeExe) {
        sceneReport("Unxpected file type", 3, true);
        return nullptr;
    }
    std::string bytes;
    if (readFileText(path, bytes) != ReadResult::Ok || bytes.empty()) {
        sceneReport(formatC("Could not open file %s", file.c_str()), 5, true);
        return nullptr;
    }
    const auto started = std::chrono::steady_clock::now();
    std::optional<std::string> text = documentText(path, std::move(bytes));
    if (!text) return nullptr;

    // The new text is at hand: the previous scene goes, the new one is built.
    destroyCurrentScene();
    resetReadingState();
    ReadingState& s = readingState();
    s.ownFormat = type == FileTypeBvr || type == FileTypeRos;
    const std::string full = absolutePath(path);
    const std::size_t slash = full.find_last_of("/\\");
    s.documentDirectory = slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
    installSceneReader();
    if (sceneFileHooks().prepareRead) sceneFileHooks().prepareRead();
    auto owned = std::make_unique<Scene>();
    Scene* scene = owned.get();
    detail::adoptCurrentScene(std::move(owned));
    scene->fileName = file;
    scene->chapterIconSize = getDefinitionLong("ChapterIconSize", 16);
    const char* result = nullptr;
    try {
        result = scene->readOwnedText(std::move(*text));
    } catch (const ErrTreeManipulation& e) {
        e.report();
    } catch (const OperationAbandoned& e) {
        sceneLog(formatC("Exception in Scene::readFromString: %s\n", e.what()));
    } catch (const std::exception& e) {
        sceneReport("Error during file parsing", 1, true);
        sceneLog(formatC("Exception in Scene::readFromString: %s\n", e.what()));
    }
    sceneLog(formatC("Scene::readFromFile loaded %s\n", file.c_str()));
    if (!result) {
        destroyCurrentScene();
        resetReadingState();
        return nullptr;
    }
    scene->root().setName("root");
    scene->root().updateBounds();
    // Foreign files and those before version 3.0 repeat identical parts: each is kept once.
    if (versionBelow(readingState().fileVersion, 3.0)) {
        const int shared = shareIdenticalFaceSets(scene->root());
        if (shared > 0) showStatus(formatC("Replaced %d identical faces by reference", shared));
    }
    showStatus("File loaded");
    // Everything read was copied out of the text, which is as large as the file: it goes now.
    std::string().swap(scene->lastText);
    postLoad(*scene);
    scene->loadSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return scene;
}

}  // namespace kinemo

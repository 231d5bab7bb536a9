// The group reader: VRML 2 group bodies, VRML 1 separator bodies with their elements, DEF and
// USE, and the Inline body.
#include <string>

#include "core/messages.h"
#include "core/numbers.h"
#include "scene/consumed_text.h"
#include "scene/def_registry.h"
#include "scene/err_tree_manipulation.h"
#include "scene/group_node.h"
#include "scene/inline_loader.h"
#include "scene/matchers.h"
#include "scene/node_readers.h"
#include "scene/node_table.h"
#include "scene/reading_state.h"
#include "scene/scene_report.h"
#include "scene/scene_settings.h"
#include "scene/tokenizer.h"
#include "scene/transform_reader.h"

namespace kinemo {
namespace {

constexpr long kKeywordBudget = 1000;
constexpr int kInlineKeywordLimit = 1000;

// How the body of a node is passed over while no reader is registered for its keyword.
enum class Skip { Body, List, Value, Nothing };

struct HookKeyword {
    Keyword keyword;
    Skip skip;
};

// Keywords that the layers above read: shapes and geometry, the VRML 1 state, special nodes.
const HookKeyword kHookKeywords[] = {
    {kw::Shape, Skip::Body},
    {kw::Sphere, Skip::Body},
    {kw::ElevationGrid, Skip::Body},
    {kw::Extrusion, Skip::Body},
    {kw::Cylinder, Skip::Body},
    {kw::Cube, Skip::Body},
    {kw::Box, Skip::Body},
    {kw::Cone, Skip::Body},
    {kw::IndexedFaceSet, Skip::Body},
    {kw::IndexedTriangleStripSet, Skip::Body},
    {kw::IndexedLineSet, Skip::Body},
    {kw::Coordinate3, Skip::Body},
    {kw::Normal, Skip::Body},
    {kw::vector, Skip::List},
    {kw::normalIndex, Skip::List},
    {kw::creaseAngle, Skip::Value},
    {kw::Material, Skip::Body},
    {kw::Texture2, Skip::Body},
    {kw::TextureCoordinate2, Skip::Body},
    {kw::Viewpoint, Skip::Body},
    {kw::PerspectiveCamera, Skip::Body},
    {kw::LOD, Skip::Body},
    {kw::range, Skip::List},
    {kw::DirectionalLight, Skip::Body},
    {kw::Sound, Skip::Body},
    {kw::NavigationInfo, Skip::Body},
    {kw::Background, Skip::Body},
    {kw::KvxChildren, Skip::Nothing},
    {kw::KvxChEnd, Skip::Nothing},
};

// VRML nodes the program does not use: passed over with their fields.
const Keyword kIgnoredNodes[] = {kw::FontStyle, kw::MovieTexture, kw::AudioClip,    kw::PointLight,  kw::SpotLight,
                                 kw::Fog,       kw::PointSet,     kw::PixelTexture, kw::ImageTexture};

const HookKeyword* hookKeyword(Keyword k) {
    for (const HookKeyword& h : kHookKeywords)
        if (h.keyword == k) return &h;
    return nullptr;
}

bool isIgnoredNode(Keyword k) {
    for (Keyword i : kIgnoredNodes)
        if (i == k) return true;
    return false;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The word after a position: blanks skipped, then up to a blank or a bracket.
std::string_view readWord(const char* p, const char* end, const char*& after) {
    while (p != end && *p && isSpace(*p)) ++p;
    const char* q = p;
    while (q != end && *q && !isSpace(*q) && *q != '{' && *q != '}' && *q != '[' && *q != ']') ++q;
    after = q;
    return std::string_view(p, std::size_t(q - p));
}

// Passes over a bracketed block that opens after p: to its closing bracket, by brace counting.
// Returns p unchanged when another keyword comes before the block opens.
const char* skipBlock(const char* p, const char* end) {
    const KeyWordMatcher& m = transformMatcher();
    long braces = 0, brackets = 0;
    bool opened = false;
    const char* pos = p;
    for (;;) {
        KeywordHit hit = m.scan(pos, end);
        if (hit.keyword == kw::EndOfString) return hit.after;
        if (!KeyWordMatcher::countBrackets(braces, brackets, hit.keyword)) {
            if (!opened) return hit.begin;
            pos = hit.after;
            continue;
        }
        pos = hit.after;
        if (hit.keyword == kw::OpenBrace || hit.keyword == kw::OpenBracket) opened = true;
        if (opened && braces <= 0 && brackets <= 0) return pos;
        if (!opened) return pos;  // a stray closing bracket: it was the only thing to pass
    }
}

const char* skipValue(const char* p, const char* end, Skip kind) {
    const char* q = p;
    while (q != end && *q && isSpace(*q)) ++q;
    switch (kind) {
        case Skip::Body:
            return skipBlock(p, end);
        case Skip::List:
            if (q != end && *q == '[') return skipBlock(p, end);
            [[fallthrough]];
        case Skip::Value: {
            const char* after;
            readWord(q, end, after);
            return after;
        }
        case Skip::Nothing:
            break;
    }
    return p;
}

// The end of the text for the readers below, when the caller told it (nullptr: the zero byte).
// The text is never measured here: the top level calls the root once per node, and measuring
// the rest of a large file each time would cost its length every time.
const char* knownEnd(const char* text) {
    const ReadingState& s = readingState();
    if (s.textEnd && s.textBegin && text >= s.textBegin && text <= s.textEnd) return s.textEnd;
    return nullptr;
}

}  // namespace

struct GroupNode::BodyReader {
    GroupNode& g;
    const char* end;
    long braces = 0;
    long brackets = 0;
    bool done = false;

    // Attaches a new child group, named by a pending DEF; a group past the deepest level is reported (once per read)
    // and its body passed over, so that a hostile nesting cannot end the whole read.
    GroupNode* attachChild(std::unique_ptr<GroupNode> child) {
        try {
            GroupNode* raw = static_cast<GroupNode*>(g.addChild(std::move(child)));
            defRegistry().registerDef(raw);
            return raw;
        } catch (const ErrTreeManipulation& e) {
            ReadingState& s = readingState();
            if (!s.treeLevelReported) e.report();
            s.treeLevelReported = true;
            defRegistry().clearPendingName();
            return nullptr;
        }
    }

    // A child group and its body; a VRML 1 Separator inherits the current state.
    const char* readChildGroup(const char* after, bool vrml1Body) {
        auto child = std::make_unique<GroupNode>(true);
        child->shapeSettings = g.shapeSettings;
        if (vrml1Body && vrml1StateInheritor()) vrml1StateInheritor()(g, *child);
        GroupNode* raw = attachChild(std::move(child));
        if (!raw) return skipBlock(after, end);
        return raw->readFromText(after);
    }

    const char* readUse(const char* after) {
        const char* p;
        std::string_view word = readWord(after, end, p);
        std::string name = word.empty() ? std::string("missingUSE!!") : std::string(word);
        BasicObject* object = defRegistry().findDef(name);
        if (!object) return p;
        const bool vrml1 = readingState().isVrml1();
        if (Node* node = object->asNode()) {
            try {
                // A DEF in front of the USE names the copy.
                if (Node* copy = node->cloneUnder(g)) defRegistry().registerDef(copy);
            } catch (const ErrTreeManipulation& e) {
                e.report();
            }
            defRegistry().clearPendingName();
            return p;
        }
        if (vrml1 && vrml1UseHandler() && vrml1UseHandler()(g, *object)) return p;
        sceneReport((vrml1 ? "GroupNode cannot USE " : "cannot USE ") + name, 1, true);
        return p;
    }

    // A hook keyword: its reader, else its body passed over. The pending DEF name goes to what the
    // reader made, and never to a later object.
    const char* readHooked(const HookKeyword& h, const char* start, const char* after) {
        const NodeReader* reader = findNodeReader(h.keyword);
        if (!reader) {
            defRegistry().clearPendingName();
            return skipValue(after, end, h.skip);
        }
        std::size_t before = g.childCount();
        const char* p = nullptr;
        try {
            p = (*reader)(g, h.keyword, start, after);
        } catch (const ErrTreeManipulation& e) {
            // A node the tree refused (too deep): reported once, its body passed over.
            ReadingState& s = readingState();
            if (!s.treeLevelReported) e.report();
            s.treeLevelReported = true;
            defRegistry().clearPendingName();
            return skipValue(after, end, h.skip);
        }
        if (defRegistry().hasPendingName()) {
            if (g.childCount() > before)
                defRegistry().registerDef(g.child(before));
            else
                defRegistry().clearPendingName();
        }
        // A reader that did not move on would read the same keyword for ever.
        return (p && p > start) ? p : after;
    }

    const char* readInlineChild(const char* after) {
        auto child = std::make_unique<GroupNode>(true);
        child->shapeSettings = g.shapeSettings;
        child->isInline = true;
        GroupNode* raw = attachChild(std::move(child));
        if (!raw) return skipBlock(after, end);
        showStatus(formatC("%s %ld", "loading inline", long(nodeTable().size())));
        ReadingState& s = readingState();
        const SourceType source = s.source;
        const CadSource cad = s.cadSource;
        const char* p = readInlineBody(*raw, after);
        s.source = source;
        s.cadSource = cad;
        return p;
    }

    const char* readInlineBody(GroupNode& group, const char* text) {
        const KeyWordMatcher& m = groupMatcher();
        long braces = 0, brackets = 0;
        const char* pos = text;
        for (int n = 0; n < kInlineKeywordLimit; ++n) {
            KeywordHit hit = m.scan(pos, end);
            if (hit.keyword == kw::EndOfString) return hit.after;
            pos = hit.after;
            if (KeyWordMatcher::countBrackets(braces, brackets, hit.keyword)) {
                if (braces <= 0 && brackets <= 0) return pos;
                continue;
            }
            if (hit.keyword == kw::url || (hit.keyword == kw::name && readingState().isVrml1())) {
                std::string file = readQuoted(pos, "");
                // Past the quoted name, so that its text is not scanned for keywords.
                const char* q = pos;
                int quotes = 0;
                while (q != end && *q && quotes < 2 && q - pos < 5100) {
                    if (*q == '"') ++quotes;
                    ++q;
                }
                if (quotes == 2) pos = q;
                if (!file.empty()) loadInline(file, group);
                continue;
            }
        }
        return pos;
    }

    // The VRML 1 elements; nullptr when the keyword is none of them.
    const char* readVrml1Element(Keyword k, const char* start, const char* after) {
        if (k == kw::hashDateSolidworks) {
            readingState().cadSource = CadSource::Solidworks;
            return after;
        }
        if (k == kw::Translation) return readVrml1Translation(g, after, end);
        if (k == kw::Rotation) return readVrml1Rotation(g, after, end);
        if (k == kw::Scale) return readVrml1Scaling(g, after, end);
        if (k == kw::MatrixTransform) return readMatrixTransform(g, after, end);
        if (k == kw::Separator || k == kw::WWWAnchor) return readChildGroup(after, true);
        if (k == kw::WWWInline) return readInlineChild(after);
        return nullptr;
    }

    // The group's own table; sets done when the body ends.
    const char* readOwn(Keyword k, const char* start, const char* after) {
        ReadingState& s = readingState();
        if (k == kw::DEF) {
            const char* p;
            std::string_view word = readWord(after, end, p);
            defRegistry().setPendingName(word);
            return p;
        }
        if (k == kw::USE) return readUse(after);
        if (k == kw::Inline) return readInlineChild(after);
        if (k == kw::hashVRML) {
            detectVrmlVersion(after, end);
            return after;
        }
        if (k == kw::Transform || k == kw::transform) {
            if (s.isVrml1()) {
                sceneReport(std::string("VRML1 Parser Problem in GroupNode: ") + k, 1, true);
                return after;
            }
            return readChildGroup(after, false);
        }
        if (k == kw::Billboard || k == kw::Collision || k == kw::Anchor || k == kw::Group)
            return readChildGroup(after, false);
        if (k == kw::url) {
            sceneLog(" ignoring url in group node\n");
            return after;
        }
        if (k == kw::actors) return after;
        if (k == kw::level || k == kw::children) {
            if (g.name_ == "noName") g.setName("setDefault");
            return after;
        }
        if (k == kw::NormalBinding) return readNormalBinding(after);
        if (k == kw::MaterialBinding) return skipBlock(after, end);
        if (Binding b; bindingOf(k, b)) {
            g.shapeSettings->currentBinding = b;
            return after;
        }
        if (isIgnoredNode(k)) {
            sceneLog(formatC("Ignoring VRML keyword %s\n", k));
            return skipBlock(after, end);
        }
        if (k == kw::commentKmxDefinition) {
            done = true;
            return start;
        }
        if (g.fromInline) {
            sceneReport(std::string("Parser Problem in Inline: ") + k, 1, true);
            return after;
        }
        sceneReport(std::string("Parser Problem in GroupNode: ") + k, 1, true);
        done = true;
        return start;
    }

    static bool bindingOf(Keyword k, Binding& b) {
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

    // "NormalBinding { value PER_VERTEX }": the binding word inside the body.
    const char* readNormalBinding(const char* after) {
        const char* close = skipBlock(after, end);
        const KeyWordMatcher& m = transformMatcher();
        for (const char* pos = after; pos < close;) {
            KeywordHit hit = m.scan(pos, close);
            if (hit.keyword == kw::EndOfString) break;
            Binding b;
            if (bindingOf(hit.keyword, b)) g.shapeSettings->normalBinding = b;
            pos = hit.after;
        }
        return close;
    }

    const char* run(const char* text) {
        ReadingState& s = readingState();
        const char* pos = text;
        // The guard scales with the text: at least one character per keyword, checked every
        // kKeywordBudget keywords, so a body of any number of children is read whole while a
        // reader that stops moving on is caught.
        const char* checkPos = text;
        long checkCount = 0;
        for (long n = 0; !done; ++n) {
            if (n - checkCount >= kKeywordBudget) {
                if (pos - checkPos < n - checkCount) {
                    sceneReport(formatC("GroupNode %s: reading stopped after %ld keywords that did not move on",
                                        g.name_.c_str(), n),
                                1, true);
                    break;
                }
                checkPos = pos;
                checkCount = n;
            }
            const KeyWordMatcher& m = s.isVrml1() ? transformMatcher() : separatorMatcher();
            KeywordHit hit = m.scan(pos, end);
            if (hit.keyword == kw::EndOfString) return hit.after;
            pos = hit.after;
            if (KeyWordMatcher::countBrackets(braces, brackets, hit.keyword)) {
                if (braces <= 0 && brackets <= 0 && !g.isInline) {
                    if (g.bareKeyword && pos > text) --pos;
                    return pos;
                }
                continue;
            }
            pos = dispatch(hit);
            // Every keyword moves reading on, whatever its reader returned.
            if (!done && pos < hit.after) pos = hit.after;
            // What came before this child's keyword is read for good.
            ConsumedTextRelease::releaseBefore(hit.begin);
            ConsumedTextRelease::reportProgress(hit.begin);
            if (stopAfterShape) return pos;
        }
        return pos;
    }

    bool stopAfterShape = false;

    const char* dispatch(const KeywordHit& hit) {
        const Keyword k = hit.keyword;
        const char* after = hit.after;
        if (const char* p = readVrml1Element(k, hit.begin, after)) return p;
        if (const HookKeyword* h = hookKeyword(k)) {
            const bool bare = braces == 0 && brackets == 0;
            const char* p = readHooked(*h, hit.begin, after);
            // A bare shape (not inside the body's brackets) is the whole body.
            if (k == kw::Shape && bare && !g.isInline) stopAfterShape = true;
            return p;
        }
        if (const FieldReader& fields = shapeFieldReader())
            if (const char* p = fields(g, k, hit.begin, after)) return p;
        if (const char* p = readTransformField(g, k, after, end)) return p;
        return readOwn(k, hit.begin, after);
    }
};

const char* GroupNode::readFromText(const char* text) { return readBody(text); }

const char* GroupNode::readVrml1Body(const char* text) { return readBody(text); }

const char* GroupNode::readBody(const char* text) {
    if (!text) return text;
    BodyReader reader{*this, knownEnd(text)};
    const char* pos = reader.run(text);
    finishBody();
    return pos;
}

void GroupNode::finishBody() {
    if (name_ == "noName") setName("setDefault");
    fixNegativeScale(*this);
    currentTransform.copyFrom(initialTransform);
    initialTransform.invalidate();
    if (!keepVrml1State) {
        prototypeShape.reset();
        currentMaterial.reset();
    }
}

}  // namespace kinemo

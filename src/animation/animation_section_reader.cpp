#include <cstring>
#include <string_view>

#include "animation/animation_group.h"
#include "animation/animation_group_ref.h"
#include "animation/animation_section.h"
#include "animation/colour_steps.h"
#include "animation/light_step.h"
#include "animation/move_animation.h"
#include "animation/parameter_step.h"
#include "animation/section_keys.h"
#include "animation/stop_pause_steps.h"
#include "animation/text_move_step.h"
#include "animation/text_step.h"
#include "animation/viewpoint_step.h"
#include "animation/visibility_steps.h"
#include "core/messages.h"
#include "scene/group_node.h"
#include "scene/node_table.h"
#include "scene/reading_state.h"
#include "scene/scene_settings.h"
#include "text/text_form.h"

namespace kinemo {

bool versionAtLeast(float version, double threshold) { return version >= float(threshold); }
bool versionAbove(float version, double threshold) { return version > float(threshold); }

namespace {

enum class Key {
    NewGroup,
    GroupEnd,
    Appear,
    Disappear,
    Stop,
    Pause,
    Position,
    Move,
    Viewpoint,
    Color,
    Light,
    AnimRef,
    ShapeParameter,
    Text,
    Blink,
    MoveText,
    Unknown
};

struct KeywordEntry {
    std::string_view word;
    Key key;
};

// "ACTION>>MOVE]" with its bracket, so that "[ACTION>>MOVE_TEXT]" is not taken for it.
constexpr KeywordEntry kKeywords[] = {
    {"ACTION>>NEWGROUP", Key::NewGroup},   {"ACTION>>APPEAR", Key::Appear},
    {"ACTION>>DISAPPEAR", Key::Disappear}, {"ACTION>>STOP", Key::Stop},
    {"ACTION>>PAUSE", Key::Pause},         {"ACTION>>POSITION", Key::Position},
    {"ACTION>>MOVE]", Key::Move},          {"ACTION>>VIEWPOINT", Key::Viewpoint},
    {"ACTION>>COLOR", Key::Color},         {"ACTION>>LIGHT", Key::Light},
    {"ACTION>>ANIM_REF", Key::AnimRef},    {"ACTION>>SHAPE_PARAMETER", Key::ShapeParameter},
    {"ACTION>>TEXT", Key::Text},           {"ACTION>>BLINK", Key::Blink},
    {"ACTION>>MOVE_TEXT", Key::MoveText},
};

class SectionReader {
public:
    SectionReader(const char* text, float version) : text_(text), version_(version) {}

    void run() {
        const char* pos = text_;
        while (true) {
            const char* action = std::strstr(pos, "ACTION>>");
            // The next group end is searched again only once reading has passed it.
            if (!noGroupEnd_ && (!groupEnd_ || groupEnd_ < pos)) {
                groupEnd_ = std::strstr(pos, "ANIMGROUP_END");
                noGroupEnd_ = groupEnd_ == nullptr;
            }
            const char* groupEnd = noGroupEnd_ ? nullptr : groupEnd_;
            if (!action && !groupEnd) break;
            if (groupEnd && (!action || groupEnd < action)) {
                closeChapter();
                pos = groupEnd + std::strlen("ANIMGROUP_END");
                continue;
            }
            Key key = Key::Unknown;
            std::size_t length = std::strlen("ACTION>>");
            for (const KeywordEntry& k : kKeywords) {
                if (k.word.size() > length && std::strncmp(action, k.word.data(), k.word.size()) == 0) {
                    key = k.key;
                    length = k.word.size();
                }
            }
            const char* after = action + length;
            pos = handle(key, action, after);
            if (pos <= action) pos = action + 1;
        }
    }

private:
    void closeChapter() {
        AnimationGroup* parent = current_->parentChapter();
        if (current_ == &rootChapter() || !parent) {
            reportMessage("Unexpected animation group end", 1, true);
            current_ = &rootChapter();
            return;
        }
        current_ = parent;
    }

    // A step met outside any chapter goes into a new chapter, never into the root.
    AnimationGroup& stepHolder() {
        if (current_ != &rootChapter() && current_->contentKind() != AnimationGroup::HoldsChapters) return *current_;
        reportMessage("Animation step outside any chapter: put into a new chapter", 1, true);
        auto chapter = std::make_unique<AnimationGroup>(nullptr, true);
        AnimationGroup* raw = chapter.get();
        std::unique_ptr<AnimationAtom> a = std::move(chapter);
        if (!current_->appendChild(a)) {
            current_ = &rootChapter();
            std::unique_ptr<AnimationAtom> again = std::move(a);
            rootChapter().appendChild(again);
        }
        current_ = raw;
        return *raw;
    }

    void append(std::unique_ptr<AnimationAtom> step) {
        AnimationGroup& holder = stepHolder();
        holder.appendChild(step);
    }

    static GroupNode* groupAt(std::int32_t id) {
        Node* n = id >= 0 ? nodeTable().at(id) : nullptr;
        return n ? n->asGroupNode() : nullptr;
    }

    const char* handle(Key key, const char* action, const char* after) {
        switch (key) {
            case Key::NewGroup:
                return newChapter(after);
            case Key::GroupEnd:
                closeChapter();
                return after;
            case Key::Appear:
            case Key::Disappear: {
                const bool appear = key == Key::Appear;
                const std::int32_t id = BlockText(after, nullptr).integer("id", 0);
                GroupNode* node = groupAt(id);
                if (!node && !sceneSettings().useLateLoadingForBuilder) {
                    reportMessage(appear ? "invalid node referenced by APPEAR" : "invalid node referenced by DISAPPEAR",
                                  1, true);
                    return after;
                }
                std::unique_ptr<ShowHideAnimationObject> s;
                if (appear)
                    s = std::make_unique<AppearAnimationObject>();
                else
                    s = std::make_unique<DisappearAnimationObject>();
                if (node) s->setComponent(node);
                s->componentId = id;
                append(std::move(s));
                return after;
            }
            case Key::Stop:
                append(std::make_unique<StopAnimationObject>());
                return after;
            case Key::Pause: {
                const std::int32_t delay = BlockText(after, nullptr).integer("delay", 0);
                append(std::make_unique<PauseAnimationObject>(nullptr, false, delay));
                return after;
            }
            case Key::Move: {
                auto m = std::make_unique<MoveAnimationObject>();
                const char* next = m->readFromText(after, &stepHolder());
                if (version_ > 5.01f) {
                    for (std::size_t i = 0; i < m->moveCount(); ++i)
                        if (auto* s = dynamic_cast<ScaleAnimationObject*>(m->move(i))) s->speedAdjusted = true;
                } else {
                    for (std::size_t i = 0; i < m->moveCount(); ++i)
                        if (auto* s = dynamic_cast<ScaleAnimationObject*>(m->move(i))) s->speedAdjusted = false;
                }
                append(std::move(m));
                return next;
            }
            case Key::AnimRef: {
                auto r = std::make_unique<AnimationGroupRef>(nullptr, false);
                r->dowait = false;
                const char* next = r->readFromText(after);
                refs_.push_back(r.get());
                append(std::move(r));
                return next;
            }
            case Key::Text: {
                auto t = std::make_unique<TextAnimationObject>(nullptr, false);
                const char* next = t->readFromText(after);
                append(std::move(t));
                return next;
            }
            case Key::Color: {
                auto c = std::make_unique<ColorAnimationObject>();
                c->readFromText(after);
                append(std::move(c));
                return after;
            }
            case Key::Blink: {
                auto c = std::make_unique<BlinkAnimationAtom>();
                c->readFromText(after);
                append(std::move(c));
                return after;
            }
            case Key::ShapeParameter: {
                auto p = std::make_unique<ParameterAnimationAtom>();
                p->readFromText(after);
                append(std::move(p));
                return after;
            }
            case Key::Light: {
                auto l = std::make_unique<LightAnimationObject>();
                const char* next = l->readFromText(after);
                append(std::move(l));
                return next > after ? next : after;
            }
            case Key::Viewpoint: {
                auto v = std::make_unique<ViewpointAnimationObject>(nullptr, !versionAbove(version_, 2.015));
                v->readFromText(after);
                append(std::move(v));
                return after;
            }
            case Key::MoveText: {
                auto m = std::make_unique<MoveTextObject>();
                m->readFromText(after);
                append(std::move(m));
                return after;
            }
            case Key::Position: {
                auto m = std::make_unique<MoveAnimationObject>();
                const char* next = m->readPositionBlock(after);
                append(std::move(m));
                return next;
            }
            case Key::Unknown:
                return after;
        }
        return after;
    }

    const char* newChapter(const char* after) {
        AnimationGroup* parent = versionAtLeast(version_, 6.11) ? current_ : &rootChapter();
        const bool oldForm = !versionAbove(version_, 2.015);
        auto chapter = std::make_unique<AnimationGroup>(nullptr, oldForm);
        BlockText block(after, "[END]");
        const std::string_view t = block.text();
        if (oldForm) {
            if (!block.hadEnd()) reportMessage("Parser error in TextAnimationAtom->readFrom: missing [END]\n", 1, true);
            chapter->readBracketBlock(t);
        } else {
            if (versionAtLeast(version_, 5.03)) chapter->displayInChapter = block.boolean("DisplayInChapter", true);
            // A file name may hold blanks: the name is the rest of its line.
            if (versionAtLeast(version_, 5.11)) chapter->chapterIconName = block.line("ChapterIconName", "");
            const std::size_t tag = t.find("<kmxTEXT");
            if (tag != std::string_view::npos) {
                int id = -1;
                chapter->readTagBlock(t.substr(tag), id);
                if (id >= 0) chapter->setId(id);
            }
        }
        AnimationGroup* raw = chapter.get();
        std::unique_ptr<AnimationAtom> a = std::move(chapter);
        if (parent->contentKind() == AnimationGroup::HoldsSteps) parent = &rootChapter();
        if (parent->appendChild(a)) current_ = raw;
        return block.after();
    }

public:
    std::vector<AnimationGroupRef*> refs_;

private:
    const char* text_;
    float version_;
    AnimationGroup* current_ = &rootChapter();
    const char* groupEnd_ = nullptr;
    bool noGroupEnd_ = false;
};

}  // namespace

const char* readAnimations(const char* text, const char* end) {
    const std::string_view all(text, std::size_t(end - text));
    const std::size_t at = all.find("ANIMATIONS");
    if (at == std::string_view::npos) {
        reportMessage("No Animations available", 0, false);
        return text;
    }
    // One zero-terminated copy of the section, so that no search runs past its end.
    const std::string section(all.substr(at + 10));
    showStatus("Loading animation");
    AnimationState& s = animationState();
    s.animationEnabled = false;
    const float version = readingState().fileVersion;
    const bool tagForm = textTagForm();
    setTextFormFromVersion(version);
    SectionReader reader(section.c_str(), version);
    reader.run();
    setTextTagForm(tagForm);

    const std::int32_t allChapters = AnimationGroup::Empty | AnimationGroup::HoldsSteps | AnimationGroup::HoldsChapters;
    for (AnimationGroupRef* r : reader.refs_) {
        if (r->referencedChapter() || r->pendingIndex < 0) continue;
        AnimationGroup* target = chapterAt(r->pendingIndex, allChapters);
        if (!target) continue;
        // A reference that would play itself is refused; it stays without chapter.
        AnimationGroup* holder = r->parentChapter();
        if (holder && !acceptsReference(*holder, *target)) {
            reportMessage("Rejected chapter reference that would play itself: " + target->getName(), 1, true);
            continue;
        }
        r->setGroup(target);
    }
    chapterTreeChanged();
    showStatus("Animation loaded");
    s.animationEnabled = true;
    captureInitialSceneState();
    initializeAnimation();
    AnimationGroup* chosen = nullptr;
    for (AnimationGroup* c : chapterList())
        if (c->displayInChapter) {
            chosen = c;
            break;
        }
    if (!chosen && !chapterList().empty()) chosen = chapterList().back();
    if (chosen) setCurrentSection(chosen);
    return end;
}

}  // namespace kinemo

#include "animation/text_step.h"

#include <cstring>
#include <map>

#include "animation/animation_group.h"
#include "animation/section_keys.h"
#include "animation/step_ids.h"
#include "core/numbers.h"
#include "text/text_form.h"
#include "text/translator.h"

namespace kinemo {
namespace {

struct ShownTexts {
    TextShower shower;
    std::map<std::int32_t, const TextAnimationObject*> shown;
};
// Never destroyed: chapters held in other statics delete their text steps at exit, and those
// look here.
ShownTexts& shownTexts() {
    static ShownTexts* s = new ShownTexts;
    return *s;
}

void show(const TextAnimationObject* step, std::int32_t area) {
    ShownTexts& s = shownTexts();
    s.shown[area] = step;
    if (s.shower) s.shower(step, area, step ? step->displayText() : std::string());
}

}  // namespace

void setTextShower(TextShower shower) { shownTexts().shower = std::move(shower); }

const TextAnimationObject* shownTextStep(std::int32_t area) {
    auto it = shownTexts().shown.find(area);
    return it == shownTexts().shown.end() ? nullptr : it->second;
}

void clearShownTexts() {
    ShownTexts& s = shownTexts();
    for (auto& [area, step] : s.shown)
        if (step && s.shower) s.shower(nullptr, area, std::string());
    s.shown.clear();
}

TextAnimationObject::~TextAnimationObject() {
    for (auto& [area, step] : shownTexts().shown)
        if (step == this) show(nullptr, area);
}

std::unique_ptr<AnimationAtomRef> TextAnimationObject::createRef() {
    return std::make_unique<TextAnimationObjectRef>(*this);
}

bool TextAnimationObject::animate(AnimationAtomRef& ref, double, bool forward) {
    const TextAnimationObject* chosen = this;
    if (!forward) {
        // The previous text step of the same place; the first of its place shows its own text.
        auto* r = dynamic_cast<TextAnimationObjectRef*>(&ref);
        const AnimationAtom* previous = r ? r->previousTextStep : nullptr;
        const TextAnimationObject* p = dynamic_cast<const TextAnimationObject*>(previous);
        if (p) chosen = p;
    }
    show(chosen, textAreaIndex);
    return true;
}

std::unique_ptr<AnimationAtom> TextAnimationObject::clone() const {
    auto c = std::make_unique<TextAnimationObject>(parent(), true);
    static_cast<TextHolder&>(*c) = static_cast<const TextHolder&>(*this);
    c->textAreaIndex = textAreaIndex;
    c->dowait = dowait;
    return c;
}

StepList TextAnimationObject::createReverseSteps(AnimationGroup& chapter) {
    if (AnimationGroup* own = parentChapter())
        for (long i = own->indexOf(this) - 1; i >= 0; --i) {
            const auto* earlier = dynamic_cast<const TextAnimationObject*>(own->child(std::size_t(i)));
            if (earlier && earlier->textAreaIndex == textAreaIndex) return reverseStepOf(earlier->clone(), chapter);
        }
    std::unique_ptr<AnimationAtom> blank = clone();
    static_cast<TextAnimationObject&>(*blank).clearTexts();
    return reverseStepOf(std::move(blank), chapter);
}

void TextAnimationObject::writeBlock(std::string& out) const {
    out += "\n\n# [ACTION>>TEXT]";
    out += formatC("\n# id %ld", long(textAreaIndex));
    writeTagBlock(out, id());
    out += "\n# [END]\n";
}

bool TextAnimationObject::writeToFile(std::FILE* file) {
    std::string out;
    writeBlock(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

const char* TextAnimationObject::readFromText(const char* text) {
    BlockText block(text, "[END]");
    const std::string_view t = block.text();
    if (!textTagForm()) {
        readBracketBlock(t);
        if (id() < 0) setId(takeStepId());
        return block.after();
    }
    textAreaIndex = block.integer("id", -1);
    if (textAreaIndex < -1) textAreaIndex = -1;
    const std::size_t tag = t.find("<kmxTEXT");
    if (tag != std::string_view::npos) {
        int readId = -1;
        readTagBlock(t.substr(tag), readId);
        if (readId >= 0) setId(readId);
    }
    return block.after();
}

}  // namespace kinemo

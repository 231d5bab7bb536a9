#include "animation/text_move_step.h"

#include <cmath>

#include "animation/animation_section.h"
#include "animation/section_keys.h"
#include "core/numbers.h"
#include "scene/reading_state.h"
#include "scene/transform_math.h"

namespace kinemo {
namespace {

TextAreaHooks& hooks() {
    static TextAreaHooks h;
    return h;
}

std::int32_t clampSize(std::int32_t v) { return v < 0 ? 0 : v; }

}  // namespace

void setTextAreaHooks(TextAreaHooks h) { hooks() = std::move(h); }
const TextAreaHooks& textAreaHooks() { return hooks(); }

std::unique_ptr<AnimationAtomRef> MoveTextObject::createRef() { return std::make_unique<MoveTextObjectRef>(*this); }

std::string MoveTextObject::getName() const {
    if (textAreaIndex >= 0 && hooks().name) {
        TextAreaLayout unused;
        if (!hooks().savedLayout || hooks().savedLayout(textAreaIndex, unused)) return hooks().name(textAreaIndex);
    }
    return "NULL TextArea";
}

void MoveTextObject::setDuration(double seconds) { duration_ = clampDuration(seconds, 1.0e6); }

bool MoveTextObject::animate(AnimationAtomRef& ref, double t, bool forward) {
    const TextAreaHooks& h = hooks();
    TextAreaLayout start;
    if (textAreaIndex < 0 || !h.savedLayout || !h.setLayout || !h.savedLayout(textAreaIndex, start)) return true;
    double w;
    bool finished;
    if (duration_ > 0 && !std::isnan(t)) {
        w = t / duration_;
        finished = forward ? w > 1 : w < 0;
        w = w < 0 ? 0 : w > 1 ? 1 : w;
    } else {
        w = forward ? 1 : 0;
        finished = true;
    }
    const MoveTextObject* previous = previousMove;
    if (!previous)
        if (auto* r = dynamic_cast<MoveTextObjectRef*>(&ref)) previous = r->previousMove;
    if (previous) start = previous->target;
    TextAreaLayout now;
    now.x = tmath::clampToFloat(start.x + w * (double(target.x) - start.x));
    now.y = tmath::clampToFloat(start.y + w * (double(target.y) - start.y));
    // Sizes are whole pixels: the blend is truncated.
    now.width = std::int32_t(start.width + w * (double(target.width) - start.width));
    now.height = std::int32_t(start.height + w * (double(target.height) - start.height));
    h.setLayout(textAreaIndex, now);
    return finished;
}

std::unique_ptr<AnimationAtom> MoveTextObject::clone() const {
    auto c = std::make_unique<MoveTextObject>(parent(), true);
    c->textAreaIndex = textAreaIndex;
    c->target = target;
    c->previousMove = previousMove;
    c->duration_ = duration_;
    c->dowait = dowait;
    return c;
}

void MoveTextObject::writeBlock(std::string& out) const {
    out += "\n# [ACTION>>MOVE_TEXT]";
    out += formatC("\n# index %ld", long(textAreaIndex));
    out += formatC("\n# posX %f", double(target.x));
    out += formatC("\n# posY %f", double(target.y));
    out += formatC("\n# sizeX %ld", long(target.width));
    out += formatC("\n# sizeY %ld", long(target.height));
    out += formatC("\n# duration %5.2f", duration_);
    out += "\n";
}

bool MoveTextObject::writeToFile(std::FILE* file) {
    std::string out;
    writeBlock(out);
    return std::fwrite(out.data(), 1, out.size(), file) == out.size();
}

const char* MoveTextObject::readFromText(const char* text) {
    BlockText b(text, nullptr);
    textAreaIndex = b.integer("index", 0);
    if (textAreaIndex < -1) textAreaIndex = -1;
    if (versionAtLeast(readingState().fileVersion, 2)) {
        target.x = tmath::clampToFloat(b.number("posX", 0));
        target.y = tmath::clampToFloat(b.number("posY", 0));
        target.width = clampSize(b.integer("sizeX", 0));
        target.height = clampSize(b.integer("sizeY", 0));
        setDuration(b.number("duration", 0));
    } else {
        setDuration(0);
    }
    return text;
}

}  // namespace kinemo

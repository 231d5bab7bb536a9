#pragma once
// A text step shows its text in the current language, in a text area or in the player's text
// panel. Played backward it shows the text step before it in the same place.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "animation/text_animation_atom.h"

namespace kinemo {

class TextAnimationObject : public TextAnimationAtom {
public:
    explicit TextAnimationObject(TextAnimationAtom* parent = nullptr, bool assignId = false)
        : TextAnimationAtom(parent, assignId) {}
    ~TextAnimationObject() override;

    std::int32_t kindMask() const override { return KindText; }
    std::unique_ptr<AnimationAtomRef> createRef() override;
    bool animate(AnimationAtomRef& ref, double time, bool forward) override;
    bool animate(double time, bool forward) override { return animate(getRef(), time, forward); }
    bool showsTextArea() const override { return textAreaIndex >= 0; }
    std::unique_ptr<AnimationAtom> clone() const override;
    // The nearest earlier text step of the chapter shown in the same place; none: this step
    // without texts.
    StepList createReverseSteps(AnimationGroup& chapter) override;
    // "\n\n# [ACTION>>TEXT]", "\n# id %ld" with the text-area index (-1: the panel), then the
    // text element with the step's id.
    void writeBlock(std::string& out) const override;
    bool writeToFile(std::FILE* file) override;
    // Reads the text-area index and the text element of a block that begins at text.
    const char* readFromText(const char* text) override;

    // Index of the text area that shows the text, as read; -1 for the player's panel.
    std::int32_t textAreaIndex = -1;
};

// Where shown texts go: the text and the text-area index (-1: the panel); a step that goes away
// while shown calls it with an empty text. Set by the player and the text areas.
using TextShower = std::function<void(const TextAnimationObject* step, std::int32_t area, const std::string& text)>;
void setTextShower(TextShower shower);
// The step each place shows now (area -1: the panel), none when nothing is shown there.
const TextAnimationObject* shownTextStep(std::int32_t area);
// Clears the panel and every text area.
void clearShownTexts();

}  // namespace kinemo

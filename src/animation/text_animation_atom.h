#pragma once
// A step that carries a text in several languages: the base of chapters (their titles) and of
// text steps. The texts and their file forms are the text holder's.
#include <string>

#include "animation/animation_atom.h"
#include "text/text_holder.h"

namespace kinemo {

class TextAnimationAtom : public AnimationAtom, public TextHolder {
public:
    using AnimationAtom::AnimationAtom;

    // The text in the current language, with the holder's fallback.
    std::string getName() const override { return displayText(); }
};

}  // namespace kinemo

#include "animation/stop_pause_steps.h"

#include <cstdio>

#include "core/numbers.h"

namespace kinemo {
namespace {

bool writeText(std::FILE* file, const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

}  // namespace

std::unique_ptr<AnimationAtom> StopAnimationObject::clone() const {
    return std::make_unique<StopAnimationObject>(parent(), true);
}

bool StopAnimationObject::writeToFile(std::FILE* file) { return writeText(file, "\n# [ACTION>>STOP]\n"); }

std::string PauseAnimationObject::getName() const { return formatC("ms:%ld", long(delay_)); }

bool PauseAnimationObject::animate(double time, bool forward) {
    if (forward) return !(time < getRunTime());
    return !(time > 0);
}

std::unique_ptr<AnimationAtom> PauseAnimationObject::clone() const {
    return std::make_unique<PauseAnimationObject>(parent(), true, delay_);
}

void PauseAnimationObject::writeBlock(std::string& out) const {
    out += "\n# [ACTION>>PAUSE]";
    out += formatC("\n# delay %ld\n", long(delay_));
    out += "\n\n";
}

bool PauseAnimationObject::writeToFile(std::FILE* file) {
    std::string out;
    writeBlock(out);
    return writeText(file, out);
}

}  // namespace kinemo

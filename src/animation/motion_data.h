#pragma once
// A motion sampled from data: times with a translation and a rotation each, played between the
// samples; and the importer of motion data files.
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "animation/move_animation.h"
#include "animation/section_keys.h"

namespace kinemo {

class ComplexMoveAnimationObject : public MoveObject {
public:
    explicit ComplexMoveAnimationObject(TextAnimationAtom* parent = nullptr, bool assignId = false)
        : MoveObject(parent, assignId, 1.0f) {}
    std::unique_ptr<AnimationAtomRef> createRef() override { return std::make_unique<ComplexMoveAnimationRef>(*this); }
    std::string getName() const override { return "Data motion"; }
    // The last sample time: with the speed, the run time is the last time / |speed|.
    double getMaxParameter() const override { return times.empty() ? 0.0 : double(times.back()); }
    void applyWeight(AnimationAtomRef& ref, double w) override;
    // Reverses the samples and mirrors their times.
    void invert() override;
    std::unique_ptr<MoveObject> copy() const override;
    void writeBlock(std::string& out) const override;
    // "global", "center", then the "times", "translations" and "rotations" lists; lists of
    // different lengths are cut to the shortest, and the samples end where times stop increasing.
    void readBlock(const BlockText& block) override;
    // Keeps samples while times increase and every value is finite; returns the count kept.
    std::size_t settleSamples();

    std::array<float, 3> center{0, 0, 0};
    bool global = false;
    std::vector<float> times;
    std::vector<std::array<float, 3>> translations;
    std::vector<std::array<float, 4>> rotations;

protected:
    double hugeDuration() const override { return 1.0e-6; }
    void mapDirections(const std::function<void(float v[3], bool isAxis)>& map) override {
        for (auto& t : translations) map(t.data(), false);
        for (auto& r : rotations) map(r.data(), true);
    }
};

// Reads a motion data file's text (path names it in messages). Reports and gives none when the
// header is wrong or there is no sample; a row whose time does not increase, or that holds no
// number where one is due, ends the data with a report and the rows before it are kept.
std::unique_ptr<ComplexMoveAnimationObject> importMotionData(std::string_view text, std::string_view path,
                                                             GroupNode* component);
// The same from a file; "Could not open text file " and the path when it cannot be read.
std::unique_ptr<ComplexMoveAnimationObject> importMotionDataFile(const std::string& path, GroupNode* component);

}  // namespace kinemo

#pragma once
// A stand-in step kind and a fixture that starts every test with an empty chapter tree, a fresh
// id counter and a recording platform.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "animation/animation_group.h"
#include "animation/step_ids.h"
#include "core/clock.h"
#include "core/headless_platform.h"
#include "core/messages.h"
#include "core/platform.h"
#include "text/translator.h"

namespace kinemo::testing {

// A step that takes any node as component and reports the kind mask it is given.
class TestStep : public AnimationAtom {
public:
    explicit TestStep(std::string name = "step", std::int32_t kind = KindOther, bool assignId = true)
        : AnimationAtom(nullptr, assignId), name_(std::move(name)), kind_(kind) {}
    std::string getName() const override { return name_; }
    std::int32_t kindMask() const override { return kind_; }
    Node* getComponent() const override { return component_; }
    bool setComponent(Node* node) override {
        component_ = node;
        return node != nullptr;
    }
    bool animatesNode(const Node* node) const override { return node && node == component_; }
    std::unique_ptr<AnimationAtomRef> createRef() override {
        if (kind_ == KindMoveContainer) return std::make_unique<MoveObjectRef>(*this);
        return AnimationAtom::createRef();
    }

private:
    std::string name_;
    std::int32_t kind_;
    Node* component_ = nullptr;
};

class AnimationTest : public ::testing::Test {
protected:
    void SetUp() override {
        Translator::resetToStartupState();
        resetRootChapter();
        setStepIdCounter(0);
        resetMessageService();
        setMessageClock(&clock_);
        setPlatform(&platform_);
    }
    void TearDown() override {
        resetRootChapter();
        setPlatform(nullptr);
        resetMessageService();
        Translator::resetToStartupState();
    }

    bool reported(std::string_view text) const {
        for (const PlatformRecord& record : platform_.recordsOf("status"))
            if (record.text.find(text) != std::string::npos) return true;
        for (const MessageBoxRequest& box : platform_.messageBoxes())
            if (box.text.find(text) != std::string::npos) return true;
        return false;
    }

    // A chapter appended to parent (the root when none), titled name.
    AnimationGroup* chapter(std::string_view name, AnimationGroup* parent = nullptr) {
        auto c = std::make_unique<AnimationGroup>(nullptr, true);
        c->addTranslation(name, Translator::currentLanguage());
        AnimationGroup* raw = c.get();
        std::unique_ptr<AnimationAtom> a = std::move(c);
        EXPECT_TRUE((parent ? *parent : rootChapter()).appendChild(a));
        return raw;
    }
    TestStep* step(AnimationGroup& in, std::string name = "step", std::int32_t kind = KindOther) {
        auto s = std::make_unique<TestStep>(std::move(name), kind);
        TestStep* raw = s.get();
        std::unique_ptr<AnimationAtom> a = std::move(s);
        EXPECT_TRUE(in.appendChild(a));
        return raw;
    }

    FakeClock clock_;
    HeadlessPlatform platform_;
};

}  // namespace kinemo::testing

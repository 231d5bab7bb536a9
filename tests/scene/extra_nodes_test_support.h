#pragma once
// Every special-node test starts from a fresh scene (root at table position 0), no viewpoints, the
// scene light reset, the special readers registered, and records the reports.
#include <gtest/gtest.h>

#include <string>

#include "core/clock.h"
#include "core/headless_platform.h"
#include "core/messages.h"
#include "core/platform.h"
#include "scene/node_readers.h"
#include "scene/scene_light.h"
#include "scene/extra_node_readers.h"
#include "scene/testing/tree_builder.h"
#include "scene/viewpoint.h"
#include "text/text_form.h"
#include "text/translator.h"

namespace kinemo::testing {

// A leaf that stands for a part with the given box in its parent's frame.
class BoxNode : public Node {
public:
    BoxNode(float x0, float y0, float z0, float x1, float y1, float z1) : Node(true) {
        box.extend(x0, y0, z0);
        box.extend(x1, y1, z1);
    }
    void extendLocalBounds(BoundingBox& b) const override { b.extend(box); }
    BoundingBox box;
};

class SpecialNodesTest : public ::testing::Test {
protected:
    void SetUp() override {
        Translator::resetToStartupState();
        setTextTagForm(true);
        resetMessageService();
        setMessageClock(&clock_);
        setPlatform(&platform_);
        scene_ = std::make_unique<TestScene>();
        prepareSpecialNodesForRead();
        setCurrentViewpoint(nullptr);
        registerSpecialNodeReaders();
    }
    void TearDown() override {
        clearNodeReaders();
        scene_.reset();
        clearViewpoints();
        setCurrentViewpoint(nullptr);
        prepareSceneLightForRead();
        setPlatform(nullptr);
        resetMessageService();
        setTextTagForm(false);
        Translator::resetToStartupState();
    }

    GroupNode& root() { return *scene_->root; }
    GroupNode& superRoot() { return *scene_->superRoot; }

    FakeClock clock_;
    HeadlessPlatform platform_;
    std::unique_ptr<TestScene> scene_;
    ReportRecorder recorder_;
};

// The viewpoints directly below a group, in order.
inline std::vector<ViewPoint*> viewpointsIn(GroupNode& g) {
    std::vector<ViewPoint*> out;
    for (std::size_t i = 0; i < g.childCount(); ++i)
        if (auto* vp = dynamic_cast<ViewPoint*>(g.child(i))) out.push_back(vp);
    return out;
}

}  // namespace kinemo::testing

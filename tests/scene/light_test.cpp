#include "scene/light.h"

#include <gtest/gtest.h>

#include <cmath>

#include "extra_nodes_test_support.h"

namespace kinemo::testing {
namespace {

using LightTest = SpecialNodesTest;

TEST_F(LightTest, BlockWriteReadWriteIsByteIdentical) {
    Light a;
    a.ambient = 0.25f;
    a.intensity = 0.75f;
    a.direction[0] = 0.5f, a.direction[1] = -1.0f, a.direction[2] = 0.0f;
    std::string first;
    a.writeBlock(first);
    EXPECT_EQ(first, "\n# ambient 0.250000 \n# intensity 0.750000 \n# direction (0.500, -1.000, 0.000)\n");
    Light b;
    const char* after = b.readBlock(first.c_str(), first.c_str() + first.size());
    EXPECT_EQ(after, first.c_str() + first.size());
    std::string second;
    b.writeBlock(second);
    EXPECT_EQ(first, second);
}

TEST_F(LightTest, MissingKeyIsReportedAndNeverTakenFromTheNextBlock) {
    const std::string text = "\n# ambient 0.5 \n# direction (1, 0, 0)\n# [END]\n# [ACTION>>LIGHT]\n# intensity 0.1 \n";
    Light l;
    const char* after = l.readBlock(text.c_str(), text.c_str() + text.size());
    EXPECT_EQ(after, text.c_str() + 2);
    EXPECT_TRUE(recorder_.reported("Parsing Error!"));
    EXPECT_FLOAT_EQ(l.ambient, 0.0f);
    EXPECT_FLOAT_EQ(l.intensity, 1.0f);
}

TEST_F(LightTest, DrawingSetupTurnsTheDirectionWithItsGroup) {
    TreeBuilder(root()).group("lamp").rotate(0, 0, 1, float(M_PI / 2));
    Light* l = findGroup(root(), "lamp")->createChild<Light>();
    l->ambient = 0.3f;
    l->intensity = 0.6f;
    l->direction[0] = 1, l->direction[1] = 0, l->direction[2] = 0;
    const LightNodeSetup s = l->glSetup();
    EXPECT_FLOAT_EQ(s.ambient[2], 0.3f);
    EXPECT_FLOAT_EQ(s.ambient[3], 0.0f);
    EXPECT_FLOAT_EQ(s.diffuse[1], 0.6f);
    EXPECT_FLOAT_EQ(s.diffuse[3], 1.0f);
    EXPECT_NEAR(s.position[1], 1.0, 1e-6);
    EXPECT_FLOAT_EQ(s.position[3], 0.0f);
}

TEST_F(LightTest, CurrentLightIsForgottenWhenItGoes) {
    auto l = std::make_unique<Light>();
    makeCurrent(l.get());
    EXPECT_EQ(currentLight(), l.get());
    l.reset();
    EXPECT_EQ(currentLight(), nullptr);
}

}  // namespace
}  // namespace kinemo::testing

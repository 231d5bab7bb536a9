#include "scene/viewpoint.h"

#include <gtest/gtest.h>

#include <cmath>

#include "scene/err_tree_manipulation.h"
#include "scene/reading_state.h"
#include "scene/scene_settings.h"
#include "extra_nodes_test_support.h"
#include "text/text_holder.h"

namespace kinemo::testing {
namespace {

using ViewPointTest = SpecialNodesTest;

// Rotation of v by an axis-angle rotation (Rodrigues), written out here so that the camera
// checks do not rest on the program's own maths.
void rotateVector(const double axis[3], double angle, const double v[3], double out[3]) {
    const double len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
    const double k[3] = {axis[0] / len, axis[1] / len, axis[2] / len};
    const double c = std::cos(angle), s = std::sin(angle);
    const double dot = k[0] * v[0] + k[1] * v[1] + k[2] * v[2];
    const double cross[3] = {k[1] * v[2] - k[2] * v[1], k[2] * v[0] - k[0] * v[2], k[0] * v[1] - k[1] * v[0]};
    for (int i = 0; i < 3; ++i) out[i] = v[i] * c + cross[i] * s + k[i] * dot * (1 - c);
}

void toCamera(const CameraMatrix& m, const double w[3], double out[3]) {
    for (int i = 0; i < 3; ++i)
        out[i] =
            m.rotation[i * 3] * w[0] + m.rotation[i * 3 + 1] * w[1] + m.rotation[i * 3 + 2] * w[2] + m.translation[i];
}

std::string definitionText(const std::string& body) { return "# [DEF>>VIEWPOINT]" + body; }

TEST_F(ViewPointTest, FirstOfTwoVrmlViewpointsBecomesInitialAndCurrent) {
    readInto(root(),
             "Viewpoint { position 0 0 10 description \"Front\" }\n"
             "Viewpoint { position 1 2 3 orientation 0 1 0 1.5 description \"Side\" }\n");
    const auto vps = viewpointsIn(root());
    ASSERT_EQ(vps.size(), 2u);
    EXPECT_EQ(initialViewpoint(), vps[0]);
    EXPECT_EQ(currentViewpoint(), vps[0]);
    EXPECT_EQ(vps[0]->getName(), "Front");
    EXPECT_FLOAT_EQ(vps[1]->initialTransform.translation()[1], 2.0f);
    EXPECT_FLOAT_EQ(vps[1]->currentTransform.rotation()[3], 1.5f);
    EXPECT_EQ(viewpointCount(), 0);
}

TEST_F(ViewPointTest, ViewpointInsideATransformHangsBelowIt) {
    readInto(root(), "DEF Arm Transform { translation 5 0 0 children [ Viewpoint { position 0 0 3 } ] }\n");
    GroupNode* arm = findGroup(root(), "Arm");
    ASSERT_NE(arm, nullptr);
    const auto vps = viewpointsIn(*arm);
    ASSERT_EQ(vps.size(), 1u);
    EXPECT_EQ(currentViewpoint(), vps[0]);
    double world[3];
    float rotation[4];
    vps[0]->worldPose(world, rotation);
    EXPECT_NEAR(world[0], 5.0, 1e-6);
    EXPECT_NEAR(world[2], 3.0, 1e-6);
}

TEST_F(ViewPointTest, ViewpointThatCannotBeAttachedIsReadOverAndNeverBecomesCurrent) {
    ViewPoint* first = root().createChild<ViewPoint>();
    activate(*first);
    // A viewpoint too deep for the tree: its body is passed over.
    GroupNode* g = &root();
    for (long i = 0; i < sceneSettings().maxTreeLevel + 2; ++i) {
        try {
            g = g->createChild<GroupNode>(true);
        } catch (const ErrTreeManipulation&) {
            break;
        }
    }
    const std::string text = "{ position 1 2 3 } rest";
    const char* after = readViewpointNode(*g, text.c_str(), text.c_str() + text.size());
    EXPECT_EQ(std::string(after), " rest");
    EXPECT_TRUE(viewpointsIn(*g).empty());
    EXPECT_EQ(currentViewpoint(), first);
    EXPECT_EQ(initialViewpoint(), nullptr);
}

TEST_F(ViewPointTest, UnnamedViewpointsAreNumberedOnAcrossReads) {
    readInto(root(), "Viewpoint { position 0 0 10 }");
    const std::string first = viewpointsIn(root())[0]->getName();
    ASSERT_EQ(first.rfind("noname", 0), 0u);
    const long n = std::stol(first.substr(6));
    clearViewpoints();
    readInto(root(), "Viewpoint { position 0 0 5 }");
    EXPECT_EQ(viewpointsIn(root())[1]->getName(), "noname" + std::to_string(n + 1));
}

TEST_F(ViewPointTest, VrmlViewpointWriteReadWriteIsByteIdentical) {
    readInto(root(), "Viewpoint { orientation 0.3 0.9 0.1 0.75 position 1.25 -2 30.5 description \"x\" }");
    std::string first;
    viewpointsIn(root())[0]->writeVrml(first);
    EXPECT_NE(first.find("\n  description \"Initial\""), std::string::npos);
    readInto(root(), first);
    std::string second;
    viewpointsIn(root())[1]->writeVrml(second);
    EXPECT_EQ(first, second);
}

TEST_F(ViewPointTest, VrmlWriterGivesTheRootFramePoseOfAViewpointBelowAMovedGroup) {
    TreeBuilder(root()).group("arm").translate(100, 0, 0).rotate(0, 1, 0, float(M_PI / 2));
    GroupNode* arm = findGroup(root(), "arm");
    ViewPoint* vp = arm->createChild<ViewPoint>();
    vp->currentTransform.setTranslation(0, 0, 5);
    std::string out;
    vp->writeVrml(out);
    // At (100, 0, 0) + Ry(90) (0, 0, 5) = (105, 0, 0), looking the way the arm turned it.
    EXPECT_NE(out.find("\n  position 105.000 0.000 0.000"), std::string::npos) << out;
    EXPECT_NE(out.find("\n  orientation 0.000 1.000 0.000 1.571"), std::string::npos) << out;
}

TEST_F(ViewPointTest, DefinitionsWriteReadWriteKeepsEveryLanguageByteForByte) {
    ViewPoint* vp = root().createChild<ViewPoint>();
    vp->initialTransform.setTranslation(1, 2, 3);
    vp->initialTransform.setRotation(0, 1, 0, 0.5f);
    vp->names().addTranslation("Vorne", "Deutsch");
    vp->names().addTranslation("Devant", "Francais");
    vp->names().addTranslation("Front", "English");
    registerViewpoint(*vp);
    std::string first;
    writeViewpointDefinitions(first);
    EXPECT_NE(first.find("\n# partId 0\n# pos (1.000, 2.000, 3.000)\n# rot (0.000, 1.000, 0.000, 0.500)"),
              std::string::npos)
        << first;

    clearViewpoints();
    loadViewpoints(first.c_str(), first.c_str() + first.size(), nodeTable());
    ASSERT_EQ(viewpointCount(), 1);
    ViewPoint* back = viewpointAt(0);
    EXPECT_NE(back, vp);
    ASSERT_NE(back->names().findText("Francais"), nullptr);
    EXPECT_EQ(back->names().findText("Francais")->text(), "Devant");
    std::string second;
    writeViewpointDefinitions(second);
    EXPECT_EQ(first, second);
}

TEST_F(ViewPointTest, NameHoldingTheEndMarkerSurvivesASaveAndReload) {
    ViewPoint* vp = root().createChild<ViewPoint>();
    vp->setName("Step [END] # 3");
    registerViewpoint(*vp);
    std::string first;
    writeViewpointDefinitions(first);
    clearViewpoints();
    loadViewpoints(first.c_str(), first.c_str() + first.size(), nodeTable());
    ASSERT_EQ(viewpointCount(), 1);
    EXPECT_EQ(viewpointAt(0)->getName(), "Step [END] # 3");
    std::string second;
    writeViewpointDefinitions(second);
    EXPECT_EQ(first, second);
}

TEST_F(ViewPointTest, DefinitionNamingAShapeOrNoNodeIsReportedAndNotListed) {
    Node* shape = root().createChild<BoxNode>(0, 0, 0, 1, 1, 1);
    const std::string text =
        definitionText("\n# partId " + std::to_string(shape->id()) + "\n# pos (1, 2, 3)\n# rot (0, 0, 1, 0)\n# [END]") +
        definitionText("\n# partId 4000\n# pos (1, 2, 3)\n# [END]");
    loadViewpoints(text.c_str(), text.c_str() + text.size(), nodeTable());
    EXPECT_TRUE(recorder_.reported("cannot attach viewpoint to node that is not Group"));
    EXPECT_TRUE(recorder_.reported("cannot attach viewpoint to unknown node"));
    EXPECT_EQ(viewpointCount(), 0);
    EXPECT_EQ(currentViewpoint(), nullptr);
    EXPECT_TRUE(viewpointsIn(root()).empty());
}

TEST_F(ViewPointTest, DiscardedDefinitionIsNeverActivatedAndTheNextGoodOneIs) {
    const std::string text = definitionText("\n# partId 4000\n# pos (1, 2, 3)\n# [END]") +
                             definitionText("\n# partId 0\n# pos (4, 5, 6)\n# [END]");
    loadViewpoints(text.c_str(), text.c_str() + text.size(), nodeTable());
    ASSERT_EQ(viewpointCount(), 1);
    EXPECT_EQ(currentViewpoint(), viewpointAt(0));
    EXPECT_FLOAT_EQ(currentViewpoint()->currentTransform.translation()[0], 4.0f);
}

TEST_F(ViewPointTest, MissingKeyTakesItsDefaultAndNeverTheNextBlocksValue) {
    const std::string text =
        definitionText(
            "\n# partId 0\n# <kmxTEXT id = \"-1\">\n# <kmxLANGUAGE id = \"0\">Top position</kmxLANGUAGE>"
            "\n# </kmxTEXT>\n# [END]") +
        definitionText("\n# partId 0\n# pos (4, 5, 6)\n# rot (1, 0, 0, 2)\n# [END]");
    loadViewpoints(text.c_str(), text.c_str() + text.size(), nodeTable());
    ASSERT_EQ(viewpointCount(), 2);
    const float* t = viewpointAt(0)->initialTransform.translation();
    EXPECT_FLOAT_EQ(t[0], 0.0f);
    EXPECT_FLOAT_EQ(t[2], 0.0f);
    EXPECT_FLOAT_EQ(viewpointAt(0)->initialTransform.rotation()[3], 0.0f);
    EXPECT_EQ(viewpointAt(0)->getName(), "Top position");
}

TEST_F(ViewPointTest, DefinitionWithoutEndReadsNothingAndMovesThreeCharacters) {
    const std::string text = "\n# partId 0\n# pos (4, 5, 6)\n";
    const char* after = nullptr;
    EXPECT_EQ(readViewpointDefinition(std::make_unique<ViewPoint>(), text.c_str(), text.c_str() + text.size(),
                                      nodeTable(), after),
              nullptr);
    EXPECT_EQ(after, text.c_str() + 3);
    EXPECT_EQ(viewpointCount(), 0);
}

TEST_F(ViewPointTest, DefinitionsBlockWithoutViewpointsIsReported) {
    const std::string text = "\n# nothing here\n";
    loadViewpoints(text.c_str(), text.c_str() + text.size(), nodeTable());
    EXPECT_TRUE(recorder_.reported("No animation viewpoints available"));
}

TEST_F(ViewPointTest, ImportScalingScalesTheDefinitionsPosition) {
    readingState().importScaling = true;
    readingState().importScaleFactor = 0.001;
    const std::string text = definitionText("\n# partId 0\n# pos (1000, 2000, 3000)\n# [END]");
    loadViewpoints(text.c_str(), text.c_str() + text.size(), nodeTable());
    ASSERT_EQ(viewpointCount(), 1);
    EXPECT_FLOAT_EQ(viewpointAt(0)->initialTransform.translation()[1], 2.0f);
}

TEST_F(ViewPointTest, ClearingViewpointsResetsTheIndexOffset) {
    ViewPoint* a = root().createChild<ViewPoint>();
    registerViewpoint(*a);
    readInto(root(), "Viewpoint { position 0 0 10 }");
    EXPECT_EQ(viewpointIndexOffset(), 1);
    clearViewpoints();
    EXPECT_EQ(viewpointIndexOffset(), 0);
    EXPECT_EQ(initialViewpoint(), nullptr);
    EXPECT_EQ(viewpointCount(), 0);
}

TEST_F(ViewPointTest, RegisteringTwiceKeepsOneEntryAndIndicesTellAbsentFromNone) {
    ViewPoint* a = root().createChild<ViewPoint>();
    ViewPoint* b = root().createChild<ViewPoint>();
    registerViewpoint(*a);
    registerViewpoint(*a);
    EXPECT_EQ(viewpointCount(), 1);
    EXPECT_FALSE(hasSeveralViewpoints());
    EXPECT_EQ(viewpointIndex(a), 0);
    EXPECT_EQ(viewpointIndex(b), -1);
    EXPECT_EQ(viewpointIndex(nullptr), -2);
    EXPECT_EQ(viewpointAt(1), nullptr);
    EXPECT_EQ(viewpointAt(-1), nullptr);
}

TEST_F(ViewPointTest, DeletedViewpointLeavesTheListAndIsNoLongerCurrent) {
    ViewPoint* a = root().createChild<ViewPoint>();
    registerViewpoint(*a);
    activate(*a);
    root().removeChild(a);
    EXPECT_EQ(viewpointCount(), 0);
    EXPECT_EQ(currentViewpoint(), nullptr);
}

TEST_F(ViewPointTest, LabelNamesThePartAViewpointHangsBelow) {
    TreeBuilder(root()).group("Gearbox");
    ViewPoint* top = root().createChild<ViewPoint>();
    top->setName("Overview");
    ViewPoint* detail = findGroup(root(), "Gearbox")->createChild<ViewPoint>();
    detail->setName("Detail");
    ViewPoint loose;
    loose.setName("Loose");
    EXPECT_EQ(viewpointLabel(*top), "Overview");
    EXPECT_EQ(viewpointLabel(*detail), "Detail (Gearbox)");
    EXPECT_EQ(viewpointLabel(loose), "Loose (no parent part!!)");
}

TEST_F(ViewPointTest, FittingAFlatWideBoxLooksFromBelowAtItsCentre) {
    root().createChild<BoxNode>(0, 0, 0, 10, 2, 10);
    ViewPoint* vp = root().createChild<ViewPoint>();
    fitToBoundingBox(*vp, root());
    const double d = std::sqrt(200.0) / std::tan(22.5 * M_PI / 180.0) * 0.5;
    const float* t = vp->currentTransform.translation();
    const float* r = vp->currentTransform.rotation();
    EXPECT_NEAR(t[0], 5.0, 1e-4);
    EXPECT_NEAR(t[1], -d, 1e-3);
    EXPECT_NEAR(t[2], 5.0, 1e-4);
    EXPECT_FLOAT_EQ(r[0], 1.0f);
    EXPECT_NEAR(r[3], M_PI / 2, 1e-6);
}

TEST_F(ViewPointTest, FittingEmptyPointAndFlatBoxesGivesFinitePoses) {
    ViewPoint* vp = root().createChild<ViewPoint>();
    fitToBoundingBox(*vp, root());
    EXPECT_FLOAT_EQ(vp->currentTransform.translation()[2], 10.0f);

    TreeBuilder(root()).group("point");
    GroupNode* point = findGroup(root(), "point");
    point->createChild<BoxNode>(3, 3, 3, 3, 3, 3);
    fitToBoundingBox(*vp, *point);
    const float* t = vp->currentTransform.translation();
    EXPECT_TRUE(std::isfinite(t[0]) && std::isfinite(t[1]) && std::isfinite(t[2]));
    EXPECT_NEAR(t[0], 3.0 + smallestNearClipping() * 1.01, 1e-5);

    TreeBuilder(root()).group("sheet");
    GroupNode* sheet = findGroup(root(), "sheet");
    sheet->createChild<BoxNode>(0, 0, 0, 4, 0, 4);
    fitToBoundingBox(*vp, *sheet);
    EXPECT_TRUE(std::isfinite(vp->currentTransform.translation()[1]));
    EXPECT_LT(vp->currentTransform.translation()[1], 0.0f);
}

TEST_F(ViewPointTest, FittingFromAViewpointBelowAMovedGroupPlacesItInWorldCoordinates) {
    root().createChild<BoxNode>(0, 0, 0, 10, 2, 10);
    TreeBuilder(root()).group("carriage").translate(100, 0, 0).rotate(0, 0, 1, float(M_PI / 2));
    ViewPoint* vp = findGroup(root(), "carriage")->createChild<ViewPoint>();
    fitToBoundingBox(*vp, root());
    double world[3];
    float rotation[4];
    vp->worldPose(world, rotation);
    const double d = std::sqrt(200.0) / std::tan(22.5 * M_PI / 180.0) * 0.5;
    EXPECT_NEAR(world[0], 5.0, 1e-3);
    EXPECT_NEAR(world[1], -d, 1e-3);
    EXPECT_NEAR(world[2], 5.0, 1e-3);
    EXPECT_NEAR(rotation[0], 1.0, 1e-5);
    EXPECT_NEAR(rotation[3], M_PI / 2, 1e-5);
}

TEST_F(ViewPointTest, CameraMatrixAgreesWithAnIndependentComputation) {
    TreeBuilder(root()).group("arm").translate(10, -2, 4).rotate(0, 1, 0, 0.7f);
    ViewPoint* vp = findGroup(root(), "arm")->createChild<ViewPoint>();
    vp->currentTransform.setTranslation(1, 2, 5);
    vp->currentTransform.setRotation(1, 0, 0, 0.4f);

    const double armAxis[3] = {0, 1, 0}, ownAxis[3] = {1, 0, 0};
    const double local[3] = {1, 2, 5};
    double eye[3];
    rotateVector(armAxis, 0.7, local, eye);
    eye[0] += 10, eye[1] += -2, eye[2] += 4;
    auto cameraAxis = [&](const double v[3], double out[3]) {
        double once[3];
        rotateVector(ownAxis, 0.4, v, once);
        rotateVector(armAxis, 0.7, once, out);
    };
    const double minusZ[3] = {0, 0, -1}, plusY[3] = {0, 1, 0};
    double view[3], up[3];
    cameraAxis(minusZ, view);
    cameraAxis(plusY, up);

    const CameraMatrix m = vp->applyCamera(0.0);
    double c[3];
    toCamera(m, eye, c);
    for (double v : c) EXPECT_NEAR(v, 0.0, 1e-5);
    const double ahead[3] = {eye[0] + 3 * view[0], eye[1] + 3 * view[1], eye[2] + 3 * view[2]};
    toCamera(m, ahead, c);
    EXPECT_NEAR(c[0], 0.0, 1e-5);
    EXPECT_NEAR(c[1], 0.0, 1e-5);
    EXPECT_NEAR(c[2], -3.0, 1e-5);
    const double above[3] = {eye[0] + up[0], eye[1] + up[1], eye[2] + up[2]};
    toCamera(m, above, c);
    EXPECT_NEAR(c[1], 1.0, 1e-5);

    // A stereo offset shifts the picture sideways and moves the eye against it.
    const CameraMatrix s = vp->applyCamera(0.25);
    EXPECT_NEAR(s.translation[0], m.translation[0] + 0.25, 1e-12);
    toCamera(s, s.eye, c);
    for (double v : c) EXPECT_NEAR(v, 0.0, 1e-5);
}

TEST_F(ViewPointTest, CopyingAPoseAcrossParentsKeepsTheWorldPoseAndTheNames) {
    TreeBuilder(root()).group("a").translate(5, 0, 0).end().group("b").rotate(0, 0, 1, 1.0f);
    ViewPoint* source = findGroup(root(), "a")->createChild<ViewPoint>();
    source->currentTransform.setTranslation(0, 1, 2);
    source->currentTransform.setRotation(0, 1, 0, 0.3f);
    source->names().addTranslation("Quelle", "Deutsch");
    ViewPoint* target = findGroup(root(), "b")->createChild<ViewPoint>();
    copyPoseFrom(*target, *source);
    double ws[3], wt[3];
    float rs[4], rt[4];
    source->worldPose(ws, rs);
    target->worldPose(wt, rt);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(ws[i], wt[i], 1e-5);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(rs[i], rt[i], 1e-5);
    EXPECT_FLOAT_EQ(target->initialTransform.translation()[0], target->currentTransform.translation()[0]);
    ASSERT_NE(target->names().findText("Deutsch"), nullptr);
    EXPECT_EQ(target->names().findText("Deutsch")->text(), "Quelle");
}

TEST_F(ViewPointTest, ClippingFollowsTheSceneAndItsLimits) {
    ViewPoint* vp = root().createChild<ViewPoint>();
    float handedNear = 0, handedFar = 0;
    setPerspectiveHandler([&](float n, float f) { handedNear = n, handedFar = f; });
    ClippingDistances c = vp->updateClippingPlanes(100.0f, true, 11.0f, 50.0f);
    EXPECT_FLOAT_EQ(c.nearPlane, 0.55f);  // 11 / 1.1 is cut to far * 0.01
    EXPECT_FLOAT_EQ(c.farPlane, 55.0f);
    EXPECT_FLOAT_EQ(handedNear, c.nearPlane);
    EXPECT_FLOAT_EQ(handedFar, c.farPlane);
    EXPECT_FLOAT_EQ(smallestNearClipping(), 0.1f);

    c = vp->updateClippingPlanes(5000.0f, false, 0.0f, 10.0f);
    EXPECT_FLOAT_EQ(c.smallestNear, 1.0f);
    EXPECT_FLOAT_EQ(c.nearPlane, 0.11f);
    c = vp->updateClippingPlanes(0.0f, false, 0.0f, 0.0f);
    EXPECT_GT(c.nearPlane, 0.0f);
    EXPECT_GT(c.farPlane, c.nearPlane);
    setPerspectiveHandler(nullptr);
}

TEST_F(ViewPointTest, ActivatingResetsTheCurrentPoseToTheInitialOne) {
    ViewPoint* vp = root().createChild<ViewPoint>();
    vp->initialTransform.setTranslation(1, 1, 1);
    vp->currentTransform.setTranslation(9, 9, 9);
    vp->processMenuSelect();
    EXPECT_EQ(currentViewpoint(), vp);
    EXPECT_FLOAT_EQ(vp->currentTransform.translation()[0], 1.0f);
}

}  // namespace
}  // namespace kinemo::testing

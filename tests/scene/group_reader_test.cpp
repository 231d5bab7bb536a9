#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>

#include "scene/def_registry.h"
#include "scene/group_node.h"
#include "scene/inline_loader.h"
#include "scene/keywords.h"
#include "scene/node_readers.h"
#include "scene/node_table.h"
#include "scene/reading_state.h"
#include "scene/scene_settings.h"
#include "scene/testing/tree_builder.h"

namespace kinemo {
namespace {

using testing::findGroup;
using testing::readInto;
using testing::ReportRecorder;
using testing::TestScene;

constexpr double kPi = 3.14159265358979323846;

std::string fixtureDir() { return std::string(KINEMO_TEST_DATA) + "/scene/"; }

std::string fixture(const char* name) {
    std::ifstream in(fixtureDir() + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Sets the source as the scene reader does from the header.
void asVrml2() { readingState().source = SourceType::Vrml2; }
void asVrml1() { readingState().source = SourceType::Vrml1; }

// Hooks filled by a test and emptied again when it ends.
struct HookScope {
    ~HookScope() {
        clearNodeReaders();
        setShapeTransformer(nullptr);
        setInlineContentReader(nullptr);
    }
};

TEST(GroupReaderVrml2, BuildsTheTreeWithNamesIdsAndWorldMatrices) {
    TestScene scene;
    asVrml2();
    readInto(*scene.root, fixture("assembly_v2.wrl"));
    GroupNode* top = findGroup(*scene.root, "top_assembly");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->parent(), scene.root);
    EXPECT_EQ(top->id(), 2);
    GroupNode* arm = findGroup(*top, "arm");
    GroupNode* hand = findGroup(*top, "hand");
    GroupNode* plate = findGroup(*top, "plate");
    ASSERT_TRUE(arm && hand && plate);
    EXPECT_EQ(arm->id(), 3);
    EXPECT_EQ(hand->id(), 4);
    EXPECT_EQ(plate->parent()->parent(), top) << "Group made a level of its own";
    EXPECT_EQ(defRegistry().findDef("Top"), top);
    // hand origin: arm rotates about (1,0,0) by 90 degrees, so (2,0,0) of the arm's frame lies
    // at (1,1,0) in the top frame, then 10 along x.
    const double o[3] = {0, 0, 0};
    double w[3];
    hand->currentTransform.toGlobalPoint(o, w);
    EXPECT_NEAR(w[0], 11.0, 1e-5);
    EXPECT_NEAR(w[1], 1.0, 1e-5);
    EXPECT_NEAR(w[2], 0.0, 1e-5);
    // The mirror stays in the transform while no shape transformer is registered.
    EXPECT_EQ(hand->initialTransform.scale()[2], -1.0f);
    const double p[3] = {0, 0, 1};
    hand->currentTransform.toGlobalPoint(p, w);
    EXPECT_NEAR(w[2], -1.0, 1e-5);
}

TEST(GroupReaderVrml2, ReadsScaleOrientationBack) {
    TestScene scene;
    asVrml2();
    readInto(*scene.root, "Transform { #name g\n scaleOrientation 0 1 0 0.5 scale 2 1 1 }");
    GroupNode* g = findGroup(*scene.root, "g");
    ASSERT_NE(g, nullptr);
    EXPECT_FLOAT_EQ(g->initialTransform.scaleOrientation()[1], 1.0f);
    EXPECT_FLOAT_EQ(g->initialTransform.scaleOrientation()[3], 0.5f);
    EXPECT_NE(g->transformText().find("scaleOrientation 0.0000 1.0000 0.0000 0.5000"), std::string::npos);
}

TEST(GroupReaderVrml2, AFlatAssemblyOfThousandsOfChildrenIsReadWhole) {
    TestScene scene;
    asVrml2();
    std::string text = "Group { children [\n";
    for (int i = 0; i < 3000; ++i) text += "Transform { translation 1 2 3 }\n";
    text += "] }\nTransform { #name after\n }";
    ReportRecorder rec;
    readInto(*scene.root, text);
    ASSERT_EQ(scene.root->childCount(), 2u);
    EXPECT_EQ(scene.root->child(0)->asGroupNode()->childCount(), 3000u);
    EXPECT_NE(findGroup(*scene.root, "after"), nullptr);
    EXPECT_FALSE(rec.reported("keyword limit"));
}

TEST(GroupReaderVrml2, UnknownKeywordEndsTheBodyWithAReport) {
    TestScene scene;
    asVrml2();
    ReportRecorder rec;
    readInto(*scene.root, "Transform { #name a\n children [ headlight TRUE Transform { #name lost\n } ] }");
    EXPECT_TRUE(rec.reported("Parser Problem in GroupNode: headlight "));
    EXPECT_NE(findGroup(*scene.root, "a"), nullptr);
    EXPECT_EQ(findGroup(*scene.root, "lost"), nullptr);
}

TEST(GroupReaderHooks, AnUnfilledHookSkipsTheNodesBody) {
    TestScene scene;
    asVrml2();
    ReportRecorder rec;
    readInto(*scene.root,
             "Transform { #name t\n children [ Shape { geometry Box { size 1 2 3 } appearance Appearance { } }\n"
             "  DEF Light DirectionalLight { direction 0 0 -1 } Transform { #name after\n } ] }");
    GroupNode* t = findGroup(*scene.root, "t");
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->childCount(), 1u);
    EXPECT_EQ(t->child(0)->getName(), "after");
    EXPECT_TRUE(rec.reports.empty());
    // The DEF name of the skipped light does not stick to the next object.
    EXPECT_EQ(defRegistry().size(), 0u);
}

TEST(GroupReaderHooks, ARegisteredReaderGetsItsKeywordAndItsDefName) {
    TestScene scene;
    HookScope hooks;
    asVrml2();
    int calls = 0;
    registerNodeReader(kw::Sound, [&](GroupNode& g, Keyword k, const char* start, const char* after) {
        ++calls;
        EXPECT_EQ(k, kw::Sound);
        EXPECT_EQ(std::string_view(start, 5), "Sound");
        g.addChild(std::make_unique<Node>(true));
        const char* close = std::strchr(after, '}');
        return close ? close + 1 : after;
    });
    readInto(*scene.root, "Transform { #name t\n children [ DEF Bell Sound { source AudioClip { } } ] }");
    EXPECT_EQ(calls, 1);
    GroupNode* t = findGroup(*scene.root, "t");
    ASSERT_EQ(t->childCount(), 1u);
    EXPECT_EQ(defRegistry().findDef("Bell"), t->child(0));
}

TEST(GroupReaderDefUse, UseClonesAGroupUnderTheUsingGroup) {
    TestScene scene;
    asVrml2();
    readInto(*scene.root,
             "DEF Wheel Transform { translation 1 0 0 children [ Transform { #name rim\n } ] }\n"
             "Transform { #name car\n children [ USE Wheel USE Wheel ] }");
    GroupNode* car = findGroup(*scene.root, "car");
    ASSERT_EQ(car->childCount(), 2u);
    GroupNode* copy = car->child(1)->asGroupNode();
    EXPECT_EQ(copy->getName(), "Wheel");
    EXPECT_FLOAT_EQ(copy->initialTransform.translation()[0], 1.0f);
    ASSERT_EQ(copy->childCount(), 1u);
    EXPECT_EQ(copy->child(0)->getName(), "rim");
}

TEST(GroupReaderDefUse, UseOfAGroupInsideItselfIsRefused) {
    TestScene scene;
    asVrml2();
    ReportRecorder rec;
    readInto(*scene.root, "DEF Loop Transform { children [ Transform { children [ USE Loop ] } ] }");
    EXPECT_TRUE(rec.reported("Parser problem due to recursively used references"));
    GroupNode* loop = findGroup(*scene.root, "Loop");
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->child(0)->asGroupNode()->childCount(), 0u);
}

TEST(GroupReaderDefUse, AMissingUseIsReported) {
    TestScene scene;
    asVrml2();
    ReportRecorder rec;
    readInto(*scene.root, "Transform { #name t\n children [ USE Nowhere ] }");
    EXPECT_TRUE(rec.reported("Missing USE : Nowhere"));
}

TEST(GroupReaderDefUse, ExponentialUseIsCappedPerRead) {
    TestScene scene;
    asVrml2();
    long saved = sceneSettings().maxClonedNodesPerRead;
    sceneSettings().maxClonedNodesPerRead = 5000;
    std::string text = "DEF L0 Transform { }\n";
    for (int i = 1; i <= 30; ++i)
        text += "DEF L" + std::to_string(i) + " Transform { children [ USE L" + std::to_string(i - 1) + " USE L" +
                std::to_string(i - 1) + " ] }\n";
    ReportRecorder rec;
    readInto(*scene.root, text);
    sceneSettings().maxClonedNodesPerRead = saved;
    EXPECT_TRUE(rec.reported("Too many nodes created by USE"));
    EXPECT_LE(readingState().clonedNodes, 5000);
    EXPECT_LT(nodeTable().size(), 6000u);
}

TEST(GroupReaderVrml1, TwoTranslationsAddUp) {
    TestScene scene;
    asVrml1();
    readInto(*scene.root, fixture("assembly_v1.wrl"));
    GroupNode* outer = scene.root->child(0)->asGroupNode();
    ASSERT_NE(outer, nullptr);
    GroupNode* base = findGroup(*outer, "Base");
    ASSERT_NE(base, nullptr);
    EXPECT_FLOAT_EQ(base->initialTransform.translation()[0], 2.0f);
    // Rotation, then scale, then a translation in the scaled and rotated frame.
    GroupNode* second = outer->child(1)->asGroupNode();
    EXPECT_NEAR(second->initialTransform.translation()[1], 2.0, 1e-5);
    EXPECT_NEAR(second->initialTransform.translation()[0], 0.0, 1e-5);
    EXPECT_FLOAT_EQ(second->initialTransform.scale()[0], 2.0f);
    // USE Base made a copy as the third child.
    ASSERT_EQ(outer->childCount(), 3u);
    EXPECT_FLOAT_EQ(outer->child(2)->asGroupNode()->initialTransform.translation()[0], 2.0f);
}

TEST(GroupReaderVrml1, MatrixTransformGivesRotationScaleAndTranslation) {
    TestScene scene;
    asVrml1();
    // Rows: x axis scaled by 2 turned to +y, y axis to -x, z kept; translation (1, 2, 3).
    readInto(*scene.root, "Separator { MatrixTransform { matrix 0 2 0 0  -2 0 0 0  0 0 2 0  1 2 3 1 } }");
    GroupNode* g = scene.root->child(0)->asGroupNode();
    const float* s = g->initialTransform.scale();
    EXPECT_NEAR(s[0], 2.0f, 1e-5);
    EXPECT_NEAR(s[2], 2.0f, 1e-5);
    EXPECT_NEAR(g->initialTransform.translation()[2], 3.0f, 1e-5);
    const double p[3] = {1, 0, 0};
    double w[3];
    g->currentTransform.toGlobalPoint(p, w);
    EXPECT_NEAR(w[0], 1.0, 1e-4);
    EXPECT_NEAR(w[1], 4.0, 1e-4);
    EXPECT_NEAR(w[2], 3.0, 1e-4);
}

TEST(GroupReaderImportScaling, ScalesTranslationsCentresAndMatrixTranslations) {
    TestScene scene;
    asVrml2();
    readingState().importScaling = true;
    readingState().importScaleFactor = 10.0;
    readInto(*scene.root, "Transform { #name g\n translation 1 0 0 center 0 1 0 rotation 0 0 1 1 }");
    GroupNode* g = findGroup(*scene.root, "g");
    EXPECT_FLOAT_EQ(g->initialTransform.translation()[0], 10.0f);
    EXPECT_FLOAT_EQ(g->initialTransform.center()[1], 10.0f);
    asVrml1();
    readInto(*scene.root, "Separator { MatrixTransform { matrix 1 0 0 0 0 1 0 0 0 0 1 0 0 0 2 1 } }");
    GroupNode* m = scene.root->child(1)->asGroupNode();
    EXPECT_FLOAT_EQ(m->initialTransform.translation()[2], 20.0f);
}

TEST(GroupReaderNegativeScale, AMirrorMovesIntoTheShapesWhenTheyCanBeTransformed) {
    TestScene scene;
    HookScope hooks;
    asVrml2();
    struct Shape : Node {
        ShapeNode* asShapeNode() override { return reinterpret_cast<ShapeNode*>(this); }
        double point[3] = {1, 2, 3};
    };
    registerNodeReader(kw::Shape, [](GroupNode& g, Keyword, const char*, const char* after) {
        g.addChild(std::make_unique<Shape>());
        const char* close = std::strchr(after, '}');
        return close ? close + 1 : after;
    });
    setShapeTransformer([](Node& n, const tmath::Affine& map) {
        Shape& s = static_cast<Shape&>(n);
        map.apply(s.point, s.point);
    });
    readInto(*scene.root, "Transform { #name m\n center 1 0 0 scale -1 1 1 children [ Shape { } ] }");
    GroupNode* m = findGroup(*scene.root, "m");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->initialTransform.scale()[0], 1.0f);
    EXPECT_EQ(m->currentTransform.scale()[0], 1.0f);
    Shape& s = static_cast<Shape&>(*m->child(0));
    // Mirrored about x = 1: the world point stays where the mirror put it.
    EXPECT_NEAR(s.point[0], 1.0, 1e-9);
    EXPECT_NEAR(s.point[1], 2.0, 1e-9);
    double w[3];
    m->currentTransform.toGlobalPoint(s.point, w);
    EXPECT_NEAR(w[0], 1.0, 1e-6);
}

TEST(GroupReaderRenumber, WrittenIdsNameTheSameNodesWhenReadAgain) {
    TestScene scene;
    asVrml2();
    readInto(*scene.root, fixture("assembly_v2.wrl"));
    // Edits scramble the creation order.
    GroupNode* plate = findGroup(*scene.root, "plate");
    plate->moveTo(*findGroup(*scene.root, "arm"));
    scene.root->insertChild(std::make_unique<GroupNode>(true), 0, true)->setName("inserted");
    nodeTable().renumberIds(*scene.root);
    std::vector<std::pair<std::int32_t, std::string>> ids;
    std::function<std::string(GroupNode&)> write = [&](GroupNode& g) {
        std::string out = g.transformText() + "\n children [";
        for (std::size_t i = 0; i < g.childCount(); ++i) {
            GroupNode* c = g.child(i)->asGroupNode();
            ids.emplace_back(c->id(), c->getName());
            out += write(*c);
        }
        return out + " ] }";
    };
    std::string text = "#VRML V2.0 utf8\n";
    for (std::size_t i = 0; i < scene.root->childCount(); ++i) {
        GroupNode* c = scene.root->child(i)->asGroupNode();
        ids.emplace_back(c->id(), c->getName());
        text += write(*c);
    }
    TestScene reread;
    asVrml2();
    readInto(*reread.root, text);
    ASSERT_FALSE(ids.empty());
    for (auto& [id, name] : ids) {
        Node* n = nodeTable().at(id);
        ASSERT_NE(n, nullptr) << name;
        EXPECT_EQ(n->getName(), name) << id;
    }
}

TEST(GroupReaderVrml2, ANestedHeaderSwitchesTheSource) {
    TestScene scene;
    asVrml2();
    readInto(*scene.root, "Transform { children [ #VRML V1.0 ascii\n ] }");
    EXPECT_EQ(readingState().source, SourceType::Vrml1);
    ReportRecorder rec;
    readInto(*scene.root, "#VRML V3.0 utf8\n");
    EXPECT_TRUE(rec.reported("Unknown VRML type"));
}

TEST(GroupReaderVrml2, ChildrenOfAnUnnamedGroupGiveItADefaultName) {
    TestScene scene;
    asVrml2();
    readInto(*scene.root, "Group { children [ ] }");
    ASSERT_EQ(scene.root->childCount(), 1u);
    EXPECT_TRUE(scene.root->child(0)->getName().starts_with("noname"));
}

TEST(GroupReaderDefUse, AnEmptyDefinitionNameIsReported) {
    TestScene scene;
    asVrml2();
    ReportRecorder rec;
    readInto(*scene.root, "Transform { children [ DEF ] }");
    EXPECT_TRUE(rec.reported("Parser problem in definition"));
}

TEST(GroupReaderVrml1, UseOfAMaterialGoesToTheRegisteredHandler) {
    TestScene scene;
    HookScope hooks;
    asVrml1();
    struct Material : BasicObject {};
    Material material;
    int used = 0;
    registerNodeReader(kw::Material, [&](GroupNode&, Keyword, const char*, const char* after) {
        defRegistry().registerDef(&material);
        const char* close = std::strchr(after, '}');
        return close ? close + 1 : after;
    });
    setVrml1UseHandler([&](GroupNode&, BasicObject& object) {
        used += &object == &material;
        return true;
    });
    ReportRecorder rec;
    readInto(*scene.root, "Separator { DEF Red Material { diffuseColor 1 0 0 } Separator { USE Red } }");
    setVrml1UseHandler(nullptr);
    EXPECT_EQ(used, 1);
    EXPECT_TRUE(rec.reports.empty());
    defRegistry().clear();
}

TEST(GroupReaderVrml1, ATransformNodeComposesIntoTheSeparator) {
    TestScene scene;
    asVrml1();
    readInto(*scene.root, "Separator { Transform { translation 1 0 0 translation 0 2 0 rotation 0 0 1 0.5 } }");
    GroupNode* g = scene.root->child(0)->asGroupNode();
    EXPECT_FLOAT_EQ(g->initialTransform.translation()[0], 1.0f);
    EXPECT_FLOAT_EQ(g->initialTransform.translation()[1], 2.0f);
    EXPECT_NEAR(g->initialTransform.rotation()[3], 0.5f, 1e-6);
    EXPECT_EQ(g->childCount(), 0u);
}

TEST(GroupReaderVrml1, AnUnexpectedKeywordInATranslationIsLogged) {
    TestScene scene;
    asVrml1();
    ReportRecorder rec;
    readInto(*scene.root, "Separator { Translation { rotation 0 0 1 1 } }");
    EXPECT_TRUE(rec.logged("Unexpected keyword in TransformNode.readVrml1TranslationFromString rotation"));
}

TEST(LateLoading, LateContentGetsTheIdsItHadWhenWritten) {
    TestScene scene;
    HookScope hooks;
    std::string seen;
    registerNodeReader(kw::KvxChildren, [&](GroupNode& g, Keyword, const char*, const char* after) {
        const char* close = std::strchr(after, ']');
        seen.assign(after, close ? std::size_t(close - after) : 0);
        g.createChild<GroupNode>(true)->setName("late_part");
        return close ? close : after;
    });
    for (int i = 0; i < 3; ++i) scene.root->createChild<GroupNode>(true);
    GroupNode* sub = scene.root->createChild<GroupNode>(true);
    sub->setName("sub");
    sub->lateFile = "parts/sub.bvr";
    sub->lateFirstId = 20;
    loadLateGroups(*scene.root);
    EXPECT_EQ(seen, "0 20 parts/sub.bvr ");
    EXPECT_TRUE(sub->lateFile.empty());
    ASSERT_EQ(sub->childCount(), 1u);
    EXPECT_EQ(sub->child(0)->id(), 21);
    EXPECT_EQ(nodeTable().at(21), sub->child(0));
    EXPECT_EQ(sub->getName(), "sub");
    EXPECT_EQ(lateGroupNode(21), sub->child(0));
    ReportRecorder rec;
    EXPECT_EQ(lateGroupNode(500), nullptr);
    EXPECT_TRUE(rec.reported("getLateGroupNode cannot find unique id in parent of node 500"));
}

class InlineTest : public ::testing::Test {
protected:
    void SetUp() override {
        asVrml2();
        readingState().documentDirectory = fixtureDir();
    }
    TestScene scene;
    HookScope hooks;
};

TEST_F(InlineTest, AnInlineFileIsReadIntoAGroupNamedAfterIt) {
    readInto(*scene.root, "Transform { #name holder\n children [ Inline { url \"bracket.wrl\" } ] }");
    GroupNode* holder = findGroup(*scene.root, "holder");
    ASSERT_EQ(holder->childCount(), 1u);
    GroupNode* inlineChild = holder->child(0)->asGroupNode();
    EXPECT_TRUE(inlineChild->isInline);
    ASSERT_EQ(inlineChild->childCount(), 1u);
    GroupNode* file = inlineChild->child(0)->asGroupNode();
    EXPECT_EQ(file->getName(), "bracket");
    EXPECT_TRUE(file->fromInline);
    EXPECT_NE(findGroup(*file, "bracket_plate"), nullptr);
    EXPECT_TRUE(readingState().inlineStack.empty());
}

TEST_F(InlineTest, AFileThatInlinesItselfIsRefused) {
    ReportRecorder rec;
    readInto(*scene.root, "Inline { url \"self_inline.wrl\" }");
    EXPECT_TRUE(rec.reported("Ignoring Inline self_inline.wrl"));
    EXPECT_EQ(rec.reports.size(), 1u);
}

TEST_F(InlineTest, TwoFilesThatInlineEachOtherAreReadOnceEach) {
    ReportRecorder rec;
    readInto(*scene.root, "Inline { url \"ping.wrl\" }");
    EXPECT_TRUE(rec.reported("Ignoring Inline ping.wrl"));
    EXPECT_NE(findGroup(*scene.root, "pong_part"), nullptr);
}

TEST_F(InlineTest, TheLevelGuardAppliesToTheUrlForm) {
    ReportRecorder rec;
    long saved = sceneSettings().maxTreeLevel;
    // root 2, the two transforms 3 and 4, the Inline group 5: the file's group would be 6.
    sceneSettings().maxTreeLevel = 6;
    readInto(*scene.root, "Transform { children [ Transform { children [ Inline { url \"bracket.wrl\" } ] } ] }");
    sceneSettings().maxTreeLevel = saved;
    EXPECT_TRUE(rec.reported("maximum tree level(6) exceed, probably due to recursive Inline calls."));
}

TEST(GroupReaderVrml2, NestingPastTheDeepestLevelIsReportedOnceAndReadingGoesOn) {
    TestScene scene;
    asVrml2();
    std::string text;
    for (int i = 0; i < 60; ++i) text += "Transform { children [\n";
    for (int i = 0; i < 60; ++i) text += "] }\n";
    text += "Transform { #name after\n }";
    ReportRecorder rec;
    readInto(*scene.root, text);
    EXPECT_EQ(rec.reports.size(), 1u);
    EXPECT_TRUE(rec.reported("Rejected attempt to generate cyclic tree structure"));
    EXPECT_NE(findGroup(*scene.root, "after"), nullptr);
}

TEST_F(InlineTest, AVrml1InlineIsNamedByItsNameField) {
    asVrml1();
    readInto(*scene.root, "Separator { WWWInline { name \"bracket.wrl\" } }");
    asVrml2();
    EXPECT_NE(findGroup(*scene.root, "bracket_plate"), nullptr);
}

TEST_F(InlineTest, AMissingFileIsReported) {
    ReportRecorder rec;
    readInto(*scene.root, "Inline { url \"not_there.wrl\" }");
    EXPECT_TRUE(rec.reported("Could not find file: not_there.wrl"));
}

TEST_F(InlineTest, ADirectoryOrAnOversizedFileIsNotOpened) {
    ReportRecorder rec;
    readInto(*scene.root, "Inline { url \".\" }");
    EXPECT_TRUE(rec.reported("no regular file"));
    long saved = sceneSettings().maxInlineFileBytes;
    sceneSettings().maxInlineFileBytes = 10;
    readInto(*scene.root, "Inline { url \"bracket.wrl\" }");
    sceneSettings().maxInlineFileBytes = saved;
    EXPECT_EQ(findGroup(*scene.root, "bracket"), nullptr);
}

TEST_F(InlineTest, TheInlineFilesOfOneReadShareASizeLimit) {
    long long saved = sceneSettings().maxInlineBytesPerRead;
    sceneSettings().maxInlineBytesPerRead = 300;
    ReportRecorder rec;
    readInto(*scene.root,
             "Inline { url \"bracket.wrl\" } Inline { url \"bracket.wrl\" } Inline { url \"bracket.wrl\" }");
    sceneSettings().maxInlineBytesPerRead = saved;
    EXPECT_TRUE(rec.reported("the Inline files of this scene exceed 300 bytes"));
    EXPECT_EQ(scene.root->childCount(), 3u);
    EXPECT_EQ(scene.root->child(0)->asGroupNode()->childCount(), 1u);
    EXPECT_EQ(scene.root->child(2)->asGroupNode()->childCount(), 0u);
}

TEST_F(InlineTest, AFailedInlineLeavesNoEntriesBehind) {
    registerNodeReader(kw::Sound, [](GroupNode&, Keyword, const char*, const char*) -> const char* {
        throw std::runtime_error("bad sound");
    });
    ReportRecorder rec;
    std::size_t before = nodeTable().size();
    readInto(*scene.root, "Inline { url \"throws_in_sound.wrl\" }");
    EXPECT_TRUE(rec.reported("Exception in GroupNode::readFromString: bad sound"));
    for (std::size_t i = before + 1; i < nodeTable().size(); ++i)
        EXPECT_EQ(nodeTable().at(std::int32_t(i)), nullptr) << "entry " << i;
    EXPECT_EQ(findGroup(*scene.root, "inner"), nullptr);
}

TEST_F(InlineTest, TheIncludingFileSeesTheInlinesNamesButNotTheOtherWay) {
    ReportRecorder rec;
    readInto(*scene.root, fixture("uses_bracket_name.wrl") + "\nTransform { #name user\n children [ USE Bracket ] }");
    GroupNode* user = findGroup(*scene.root, "user");
    ASSERT_NE(user, nullptr);
    ASSERT_EQ(user->childCount(), 1u);
    EXPECT_EQ(user->child(0)->getName(), "bracket");
    EXPECT_FALSE(rec.reported("Missing USE"));
    readInto(*scene.root, "DEF Outer Transform { }\nInline { url \"uses_outer.wrl\" }");
    EXPECT_TRUE(rec.reported("Missing USE : Outer"));
}

}  // namespace
}  // namespace kinemo

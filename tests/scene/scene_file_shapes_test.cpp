#include "scene/scene_file_shapes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "geometry/face_ref.h"
#include "geometry/shape_node.h"
#include "scene/scene.h"
#include "scene/scene_file_hooks.h"
#include "scene/scene_reader.h"
#include "scene/scene_writer.h"
#include "scene_files_support.h"

namespace kinemo {
namespace {

using testing::fileText;
using testing::putFile;
using testing::TempFolder;

class FaceSharingAtLoad : public ::testing::Test {
protected:
    void SetUp() override {
        installSceneReader();
        setCreationDateSource([] { return std::string("2009/03/05"); });
    }
    void TearDown() override {
        setCreationDateSource(nullptr);
        destroyCurrentScene();
    }
};

const char* kPlate =
    "IndexedFaceSet { coord Coordinate { point [ 0 0 0, 1 0 0, 1 1 0, 0 1 0 ] } coordIndex [ 0, 1, 2, 3, -1 ] }";

std::string part(const char* colour, const char* geometry) {
    return std::string("Transform { translation 1 2 3 children [ Shape { appearance Appearance { material Material { "
                       "diffuseColor ") +
           colour + " } } geometry " + geometry + " } ] }\n";
}

// Three equal plates in different places and colours, and one other face set.
std::string exportWithRepeatedParts(const std::string& header) {
    return header + part("1 0 0", kPlate) + part("0 1 0", kPlate) + part("0 0 1", kPlate) +
           part("1 1 0",
                "IndexedFaceSet { coord Coordinate { point [ 0 0 0, 2 0 0, 0 2 0 ] } coordIndex [ 0, 1, 2, -1 ] }");
}

// The face sets the shapes below g show through references, each once.
void referencedFaceSets(GroupNode& g, std::set<const FaceObject*>& targets, int& references) {
    for (std::size_t i = 0; i < g.childCount(); ++i) {
        if (GroupNode* c = g.child(i)->asGroupNode()) referencedFaceSets(*c, targets, references);
        ShapeNode* s = g.child(i)->asShapeNode();
        if (const auto* ref = s ? dynamic_cast<const FaceRef*>(s->geometry()) : nullptr) {
            targets.insert(&ref->target());
            ++references;
        }
    }
}

int references(GroupNode& g) {
    std::set<const FaceObject*> targets;
    int n = 0;
    referencedFaceSets(g, targets, n);
    return n;
}

std::size_t occurrences(const std::string& text, const std::string& word) {
    std::size_t n = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
    return n;
}

TEST_F(FaceSharingAtLoad, AForeignFileHoldsEachRepeatedFaceSetOnceAndCountsItInEveryShape) {
    TempFolder dir;
    putFile(dir.file("export.wrl"), exportWithRepeatedParts("#VRML V2.0 utf8\n"));
    Scene* scene = Scene::readFromFile(dir.file("export.wrl"));
    ASSERT_NE(scene, nullptr);
    std::set<const FaceObject*> targets;
    int shown = 0;
    referencedFaceSets(scene->root(), targets, shown);
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(targets.size(), 1u);
    const SceneCounts counts = countScene(*scene);
    EXPECT_EQ(counts.shapes, 4);
    EXPECT_EQ(counts.faceSets, 4);
    EXPECT_EQ(counts.triangles, 3 * 2 + 1);

    // Saved once with its geometry and used twice; read back, every shape shows its plate again.
    ASSERT_TRUE(writeToFile(*scene, dir.file("guide.iv")));
    const std::string saved = fileText(dir.file("guide.iv"));
    EXPECT_EQ(occurrences(saved, "coordIndex"), 2u);
    Scene* again = Scene::readFromFile(dir.file("guide.iv"));
    ASSERT_NE(again, nullptr);
    const SceneCounts back = countScene(*again);
    EXPECT_EQ(back.shapes, 4);
    EXPECT_EQ(back.triangles, 3 * 2 + 1);
    ASSERT_TRUE(writeToFile(*again, dir.file("again.iv")));
    EXPECT_EQ(fileText(dir.file("again.iv")), saved);
}

TEST_F(FaceSharingAtLoad, FilesOfVersionThreeAndLaterAreLeftAsTheyWereSaved) {
    TempFolder dir;
    putFile(dir.file("guide.iv"), exportWithRepeatedParts("#VRML V2.0 utf8\n\n#Kinemo Builder Version 3.00\n"));
    Scene* scene = Scene::readFromFile(dir.file("guide.iv"));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(references(scene->root()), 0);
    EXPECT_EQ(countScene(*scene).faceSets, 4);
}

}  // namespace
}  // namespace kinemo

#include "scene/sound_node.h"

#include <gtest/gtest.h>

#include "scene/sound_output.h"
#include "extra_nodes_test_support.h"

namespace kinemo::testing {
namespace {

class SoundNodeTest : public SpecialNodesTest {
protected:
    void SetUp() override {
        SpecialNodesTest::SetUp();
        waveTable().clear();
    }
    void TearDown() override {
        waveTable().clear();
        SpecialNodesTest::TearDown();
    }
    std::vector<SoundNode*> sounds() {
        std::vector<SoundNode*> out;
        for (std::size_t i = 0; i < root().childCount(); ++i)
            if (auto* s = dynamic_cast<SoundNode*>(root().child(i))) out.push_back(s);
        return out;
    }
};

TEST_F(SoundNodeTest, ReadsEveryFieldOfTheNodeAndItsClip) {
    readInto(root(),
             "Sound {\n source AudioClip { url \"bell.wav\" loop FALSE }\n direction 0 1 0\n"
             " location 1 2 3\n intensity 0.8\n maxBack 50\n maxFront 60\n minBack 2\n minFront 3\n"
             " spatialize FALSE\n}\n");
    auto s = sounds();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0]->url, "bell.wav");
    EXPECT_EQ(s[0]->getName(), "bell.wav");
    EXPECT_FALSE(s[0]->loop);
    EXPECT_FALSE(s[0]->spatialize);
    EXPECT_FLOAT_EQ(s[0]->direction[1], 1.0f);
    EXPECT_FLOAT_EQ(s[0]->location[2], 3.0f);
    EXPECT_FLOAT_EQ(s[0]->intensity, 0.8f);
    EXPECT_FLOAT_EQ(s[0]->volume, 0.8f);
    EXPECT_FLOAT_EQ(s[0]->maxFront, 60.0f);
    EXPECT_FLOAT_EQ(s[0]->minBack, 2.0f);
    EXPECT_EQ(s[0]->wave, 0);
}

TEST_F(SoundNodeTest, LoopIsFalseWhenAbsentAndTrueForAWordThatIsNoBoolean) {
    readInto(root(),
             "Sound { source AudioClip { url \"a.wav\" } }\nSound { source AudioClip { url \"a.wav\" loop maybe } }\n");
    auto s = sounds();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_FALSE(s[0]->loop);
    EXPECT_TRUE(s[1]->loop);
    // Same file, other loop flag: two waves.
    EXPECT_NE(s[0]->wave, s[1]->wave);
}

TEST_F(SoundNodeTest, FieldsOfALaterNodeAreNeverTaken) {
    readInto(root(),
             "Sound { source AudioClip { url \"loop intensity.wav\" } }\n"
             "Sound { source AudioClip { url \"b.wav\" loop TRUE } intensity 0.9 spatialize FALSE }\n");
    auto s = sounds();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0]->url, "loop intensity.wav");
    EXPECT_FALSE(s[0]->loop);
    EXPECT_FLOAT_EQ(s[0]->intensity, 0.3f);
    EXPECT_TRUE(s[0]->spatialize);
    EXPECT_FLOAT_EQ(s[1]->intensity, 0.9f);
}

TEST_F(SoundNodeTest, NodesNamingTheSameFileAndLoopShareAWave) {
    readInto(root(), "Sound { source AudioClip { url \"a.wav\" } }\nSound { source AudioClip { url \"a.wav\" } }\n");
    auto s = sounds();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0]->wave, s[1]->wave);
    EXPECT_EQ(waveTable().size(), 1u);
}

TEST_F(SoundNodeTest, NodeWithoutUrlIsReportedAndReadingGoesOnAfterIt) {
    readInto(root(), "Sound { intensity 0.5 }\nSound { source AudioClip { url \"c.wav\" } }\n");
    EXPECT_TRUE(recorder_.reported("SoundNode filname not found"));
    auto s = sounds();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[1]->url, "c.wav");
}

TEST_F(SoundNodeTest, UnclosedNodeIsReportedAndEndsTheText) {
    const std::string text = "{ source AudioClip { url \"x.wav\" ";
    SoundNode n;
    EXPECT_EQ(n.readBody(text.c_str(), text.c_str() + text.size()), text.c_str() + text.size());
    EXPECT_TRUE(recorder_.reported("Parse problem in Sound node"));
}

TEST_F(SoundNodeTest, WriteReadWriteIsByteIdentical) {
    readInto(root(), "Sound { source AudioClip { url \"door.wav\" loop TRUE } location 1 2 3 intensity 0.45 }");
    std::string first;
    sounds()[0]->writeVrml(first);
    EXPECT_EQ(first.rfind("\nSound {\n\tsource AudioClip {\n\t\turl \"door.wav\"\n\t\tloop TRUE", 0), 0u);
    readInto(root(), first);
    std::string second;
    sounds()[1]->writeVrml(second);
    EXPECT_EQ(first, second);
}

TEST_F(SoundNodeTest, ParametersSetTheVolumeAndThePlayPositionOfANonLoopingSound) {
    readInto(root(), "Sound { source AudioClip { url \"a.wav\" } }");
    SoundNode* s = sounds()[0];
    s->setShapeParameter(10, 0.7);
    EXPECT_FLOAT_EQ(s->volume, 0.7f);
    s->setShapeParameter(11, 41.6);
    EXPECT_EQ(s->playPosition, 42);
    EXPECT_EQ(waveTable().entry(s->wave)->playPosition, 42);
    s->loop = true;
    s->setShapeParameter(11, 7.0);
    EXPECT_EQ(s->playPosition, 42);
}

TEST_F(SoundNodeTest, CloneCopiesEverySoundField) {
    readInto(root(), "Sound { source AudioClip { url \"a.wav\" loop TRUE } location 4 5 6 minFront 7 }");
    TreeBuilder(root()).group("other");
    GroupNode* other = findGroup(root(), "other");
    auto* copy = dynamic_cast<SoundNode*>(sounds()[0]->cloneUnder(*other));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->parent(), other);
    EXPECT_EQ(copy->url, "a.wav");
    EXPECT_TRUE(copy->loop);
    EXPECT_FLOAT_EQ(copy->location[1], 5.0f);
    EXPECT_FLOAT_EQ(copy->minFront, 7.0f);
    EXPECT_EQ(copy->wave, sounds()[0]->wave);
}

TEST_F(SoundNodeTest, NearbySoundIsHeardAtFullVolumeAndFarOneNotAtAll) {
    readInto(root(),
             "Sound { source AudioClip { url \"a.wav\" } location 0 0 0 minFront 1 maxFront 10 "
             "spatialize FALSE intensity 0.6 }");
    ViewPoint* vp = root().createChild<ViewPoint>();
    activate(*vp);
    waveTable().beginFrame();
    sounds()[0]->prepareFrame(vp);
    EXPECT_FLOAT_EQ(waveTable().leftVolume() + waveTable().rightVolume(), 0.6f);
    vp->currentTransform.setTranslation(0, 0, 50);
    waveTable().beginFrame();
    sounds()[0]->prepareFrame(vp);
    EXPECT_FLOAT_EQ(waveTable().leftVolume() + waveTable().rightVolume(), 0.0f);
    waveTable().endFrame();
}

}  // namespace
}  // namespace kinemo::testing

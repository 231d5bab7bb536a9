#include "animation/animation_group.h"

#include <gtest/gtest.h>

#include "animation_test_support.h"
#include "scene/testing/tree_builder.h"

namespace kinemo::testing {
namespace {

using AnimationGroupTest = AnimationTest;

TEST_F(AnimationGroupTest, RootIsMadeOnceWithAFreshIdAndNoParent) {
    setStepIdCounter(3);
    AnimationGroup& root = rootChapter();
    EXPECT_EQ(&root, &rootChapter());
    EXPECT_EQ(root.id(), 3);
    EXPECT_EQ(root.parent(), nullptr);
}

TEST_F(AnimationGroupTest, SectionRefusesStepsAndChapterRefusesChaptersLeavingThemWithTheCaller) {
    AnimationGroup* section = chapter("Section");
    AnimationGroup* c = chapter("Chapter", section);
    step(*c);

    std::unique_ptr<AnimationAtom> s = std::make_unique<TestStep>();
    EXPECT_FALSE(section->appendChild(s));
    EXPECT_TRUE(s);
    EXPECT_TRUE(reported("Rejected attempt to add animation step to chapter Section"));
    EXPECT_FALSE(section->insertChild(s, 0));
    EXPECT_TRUE(reported("Rejected attempt to insert animation step into chapter Section"));

    std::unique_ptr<AnimationAtom> g = std::make_unique<AnimationGroup>(nullptr, true);
    EXPECT_FALSE(c->appendChild(g));
    EXPECT_TRUE(g);
    EXPECT_TRUE(reported("Rejected attempt to add animation group to section Chapter"));

    std::unique_ptr<AnimationAtom> none;
    EXPECT_FALSE(c->appendChild(none));
    EXPECT_TRUE(reported("Cannot insert NULL AnimationAtom"));
}

TEST_F(AnimationGroupTest, ChapterCannotGoIntoItsOwnSubtree) {
    AnimationGroup* outer = chapter("outer");
    AnimationGroup* inner = chapter("inner", outer);
    std::unique_ptr<AnimationAtom> taken = rootChapter().removeChild(outer);
    ASSERT_TRUE(taken);
    EXPECT_FALSE(inner->appendChild(taken));
    EXPECT_TRUE(taken);
}

TEST_F(AnimationGroupTest, ContentKindFollowsTheFirstChildAndEmptiesWithTheLast) {
    AnimationGroup* c = chapter("c");
    EXPECT_EQ(c->contentKind(), AnimationGroup::Empty);
    TestStep* s = step(*c);
    EXPECT_EQ(c->contentKind(), AnimationGroup::HoldsSteps);
    EXPECT_EQ(rootChapter().contentKind(), AnimationGroup::HoldsChapters);
    c->removeChild(s);
    EXPECT_EQ(c->contentKind(), AnimationGroup::Empty);
    // An empty chapter takes a chapter again.
    chapter("sub", c);
    EXPECT_EQ(c->contentKind(), AnimationGroup::HoldsChapters);
}

TEST_F(AnimationGroupTest, ChapterListHoldsTheStepChaptersDepthFirst) {
    AnimationGroup* a = chapter("A");
    AnimationGroup* a1 = chapter("A1", a);
    AnimationGroup* a2 = chapter("A2", a);
    AnimationGroup* b = chapter("B");
    step(*a1);
    step(*a2);
    step(*b);
    const std::vector<AnimationGroup*> list = chaptersInOrder();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0], a1);
    EXPECT_EQ(list[1], a2);
    EXPECT_EQ(list[2], b);
    EXPECT_EQ(chapterIndex(b), 2);
    EXPECT_EQ(chapterAt(1), a2);
    EXPECT_EQ(chapterAt(3), nullptr);
    EXPECT_EQ(chapterIndex(a, 7), 0);
    EXPECT_EQ(chapterIndex(b, 7), 3);
}

TEST_F(AnimationGroupTest, StepIndexAndStepAtAreInverseAndIdSearchFindsSteps) {
    AnimationGroup* a = chapter("A");
    TestStep* s1 = step(*a);
    TestStep* s2 = step(*a);
    EXPECT_EQ(stepIndex(a), 0);
    EXPECT_EQ(stepIndex(s2), 2);
    EXPECT_EQ(stepAt(1), s1);
    EXPECT_EQ(stepAt(3), nullptr);
    EXPECT_EQ(findStepById(s2->id()), s2);
    EXPECT_EQ(findStepById(-1), nullptr);
}

TEST_F(AnimationGroupTest, MovingAStepDownAndUpFollowsItsLimits) {
    AnimationGroup* c = chapter("c");
    TestStep* first = step(*c, "first");
    TestStep* second = step(*c, "second");
    EXPECT_FALSE(c->moveChild(first, true));
    EXPECT_TRUE(c->moveChild(first, false));
    EXPECT_EQ(c->child(0), second);
    EXPECT_EQ(c->child(1), first);
    EXPECT_FALSE(c->moveChild(first, false));
    EXPECT_TRUE(c->moveChild(first, true));
    EXPECT_EQ(c->child(0), first);
}

TEST_F(AnimationGroupTest, InsertingPastTheEndAppends) {
    AnimationGroup* c = chapter("c");
    TestStep* first = step(*c);
    std::unique_ptr<AnimationAtom> s = std::make_unique<TestStep>("late");
    AnimationAtom* raw = s.get();
    ASSERT_TRUE(c->insertChild(s, 99));
    EXPECT_EQ(c->child(1), raw);
    std::unique_ptr<AnimationAtom> t = std::make_unique<TestStep>("early");
    AnimationAtom* early = t.get();
    ASSERT_TRUE(c->insertChild(t, 0));
    EXPECT_EQ(c->child(0), early);
    EXPECT_EQ(c->child(1), first);
}

TEST_F(AnimationGroupTest, LoadingResolvesComponentsOfVisibilityColourAndMoveStepsOnly) {
    TestScene scene;
    TreeBuilder(*scene.root).leaf("part");
    GroupNode* part = findGroup(*scene.root, "part");
    AnimationGroup* c = chapter("c");
    TestStep* appear = step(*c, "appear", KindVisibility);
    TestStep* colour = step(*c, "colour", KindColor);
    TestStep* move = step(*c, "move", KindMoveContainer);
    TestStep* text = step(*c, "text", KindText);
    TestStep* unknown = step(*c, "unknown", KindVisibility);
    for (TestStep* s : {appear, colour, move, text}) s->componentId = part->id();
    unknown->componentId = 4000;

    EXPECT_EQ(resolveComponents(rootChapter()), 3);
    EXPECT_EQ(appear->getComponent(), part);
    EXPECT_EQ(colour->getComponent(), part);
    EXPECT_EQ(move->getComponent(), part);
    EXPECT_EQ(text->getComponent(), nullptr);
    EXPECT_EQ(unknown->getComponent(), nullptr);
    EXPECT_TRUE(anyStepAnimates(part));
    EXPECT_EQ(stepsInvolving(scene.root).size(), 3u);
}

}  // namespace
}  // namespace kinemo::testing

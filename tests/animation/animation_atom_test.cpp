#include "animation/animation_atom.h"

#include <gtest/gtest.h>

#include <set>

#include "animation_test_support.h"
#include "scene/testing/tree_builder.h"

namespace kinemo::testing {
namespace {

using AnimationAtomTest = AnimationTest;

TEST_F(AnimationAtomTest, NewStepWaitsHasNoComponentNoRecordAndItsPlainName) {
    TestStep s("Show housing");
    EXPECT_TRUE(s.dowait);
    EXPECT_EQ(s.componentId, -1);
    EXPECT_EQ(s.ownRef(), nullptr);
    EXPECT_EQ(s.getDisplayName(), "Show housing");
}

TEST_F(AnimationAtomTest, ParallelStepDisplayNameStartsWithBars) {
    TestStep s("Turn screw");
    s.dowait = false;
    EXPECT_EQ(s.getDisplayName(), "| |  Turn screw");
    s.dowait = true;
    EXPECT_EQ(s.getDisplayName(), "Turn screw");
}

TEST_F(AnimationAtomTest, StepsMadeWithIdTakeSuccessiveIdsAndOthersNone) {
    setStepIdCounter(7);
    TestStep a, b;
    TestStep c("no id", KindOther, false);
    EXPECT_EQ(a.id(), 7);
    EXPECT_EQ(b.id(), 8);
    EXPECT_EQ(c.id(), -1);
    EXPECT_EQ(stepIdCounter(), 9);
}

TEST_F(AnimationAtomTest, BaseKindDefaults) {
    AnimationAtom a(nullptr, false);
    EXPECT_DOUBLE_EQ(a.getRunTime(), 0.0001);
    EXPECT_EQ(a.getName(), "Unknown Atom");
    EXPECT_EQ(a.readFromText("x"), nullptr);
    EXPECT_FALSE(a.setComponent(nullptr));
    EXPECT_EQ(a.clone(), nullptr);
}

TEST_F(AnimationAtomTest, AnimatingAKindThatNeedsARecordIsReportedAndFinishes) {
    AnimationAtom a(nullptr, false);
    EXPECT_TRUE(a.animate(a.getRef(), 0.5, true));
    EXPECT_TRUE(reported("AnimationAtom::animate: unexpected call to animate(double, bool)"));
}

TEST_F(AnimationAtomTest, OwnRecordIsMadeOnceAtDepthZeroWithTheKindOfItsClass) {
    TestStep s("stop", KindStop);
    AnimationAtomRef& r = s.getRef();
    EXPECT_EQ(&r, &s.getRef());
    EXPECT_TRUE(r.ownedByAtom);
    EXPECT_EQ(r.depth, 0);
    EXPECT_EQ(r.kind, KindStop);
    EXPECT_EQ(r.atom, &s);
    EXPECT_EQ(r.startEntry.ref, &r);
    EXPECT_TRUE(r.startEntry.isStart);
    EXPECT_FALSE(r.endEntry.isStart);
    EXPECT_EQ(r.name(), "Ref(stop)");
}

TEST_F(AnimationAtomTest, StepInTheTreeIsUsedAndOneRemovedOrOutsideIsNot) {
    AnimationGroup* c = chapter("Assembly");
    TestStep* s = step(*c);
    EXPECT_TRUE(s->isUsed());
    EXPECT_TRUE(c->isUsed());

    std::unique_ptr<AnimationAtom> taken = c->removeChild(s);
    ASSERT_TRUE(taken);
    EXPECT_FALSE(taken->isUsed());

    AnimationGroup loose(nullptr, true);
    std::unique_ptr<AnimationAtom> again = std::move(taken);
    ASSERT_TRUE(loose.appendChild(again));
    EXPECT_FALSE(loose.child(0)->isUsed());
}

TEST_F(AnimationAtomTest, FirstStepCannotMoveUpLastCannotMoveDownAndAnOnlyStepNeither) {
    AnimationGroup* c = chapter("c");
    TestStep* only = step(*c);
    EXPECT_FALSE(only->canMoveUp());
    EXPECT_FALSE(only->canMoveDown());
    TestStep* second = step(*c);
    EXPECT_FALSE(only->canMoveUp());
    EXPECT_TRUE(only->canMoveDown());
    EXPECT_TRUE(second->canMoveUp());
    EXPECT_FALSE(second->canMoveDown());
    TestStep loose;
    EXPECT_FALSE(loose.canMoveUp());
    EXPECT_FALSE(loose.canMoveDown());
}

TEST_F(AnimationAtomTest, StepInvolvesItsComponentAndTheGroupsAboveItUpToTheRoot) {
    TestScene scene;
    TreeBuilder(*scene.root).group("frame").group("axle").leaf("wheel");
    GroupNode* frame = findGroup(*scene.root, "frame");
    GroupNode* wheel = findGroup(*scene.root, "wheel");
    GroupNode* axle = findGroup(*scene.root, "axle");
    TestStep s;
    s.setComponent(axle);
    EXPECT_TRUE(s.involvesNode(axle));
    EXPECT_TRUE(s.involvesNode(frame));
    EXPECT_TRUE(s.involvesNode(scene.root));
    EXPECT_FALSE(s.involvesNode(wheel));
    // Above the scene root the walk stops.
    EXPECT_FALSE(s.involvesNode(scene.superRoot));
}

TEST_F(AnimationAtomTest, CapturedTranslationIsCopiedIntoAnotherStepsRecord) {
    TestScene scene;
    TreeBuilder(*scene.root).group("slider").translate(1, 2, 3);
    GroupNode* slider = findGroup(*scene.root, "slider");
    TestStep a("a", KindMoveContainer), b("b", KindMoveContainer), fresh("c", KindMoveContainer);
    a.setComponent(slider);
    a.getRef().getCurrentState();
    b.copyCapturedStateFrom(a);
    const auto& r = static_cast<MoveObjectRef&>(b.getRef());
    EXPECT_FLOAT_EQ(r.startTranslation[0], 1);
    EXPECT_FLOAT_EQ(r.startTranslation[2], 3);
    // A step without a record gives nothing, and makes none.
    b.copyCapturedStateFrom(fresh);
    EXPECT_EQ(fresh.ownRef(), nullptr);
    EXPECT_FLOAT_EQ(r.startTranslation[1], 2);
}

TEST_F(AnimationAtomTest, CopyWithTheIdOfAStepInTheTreeTakesAFreshIdAndAnUnusedIdIsKept) {
    AnimationGroup* c = chapter("c");
    TestStep* original = step(*c);
    TestStep copy("copy", KindOther, false);
    copy.setId(original->id());
    const std::int32_t next = stepIdCounter();
    copy.ensureUniqueId(copy);
    EXPECT_EQ(copy.id(), next);

    TestStep other("other", KindOther, false);
    other.setId(5000);
    other.ensureUniqueId(other);
    EXPECT_EQ(other.id(), 5000);
}

TEST_F(AnimationAtomTest, PastedChapterGetsFreshIdsForEveryStepBelowItThatClashes) {
    AnimationGroup* c = chapter("c");
    TestStep* s1 = step(*c);
    TestStep* s2 = step(*c);

    // A pasted chapter whose own id is new but whose steps repeat the ids of s1 and s2, and one
    // that repeats an id inside the copy itself.
    auto pasted = std::make_unique<AnimationGroup>(nullptr, false);
    pasted->setId(900);
    for (std::int32_t id : {s1->id(), s2->id(), 901, 901}) {
        auto t = std::make_unique<TestStep>("t", KindOther, false);
        t->setId(id);
        std::unique_ptr<AnimationAtom> a = std::move(t);
        ASSERT_TRUE(pasted->appendChild(a));
    }
    AnimationGroup* raw = pasted.get();
    std::unique_ptr<AnimationAtom> a = std::move(pasted);
    ASSERT_TRUE(rootChapter().appendChild(a));
    raw->ensureUniqueId(*raw);

    EXPECT_EQ(raw->id(), 900);
    std::set<std::int32_t> ids{s1->id(), s2->id(), c->id(), rootChapter().id()};
    for (std::size_t i = 0; i < raw->childCount(); ++i)
        EXPECT_TRUE(ids.insert(raw->child(i)->id()).second) << "child " << i;
    EXPECT_EQ(raw->child(2)->id(), 901);
}

}  // namespace
}  // namespace kinemo::testing

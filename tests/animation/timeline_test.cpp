#include <gtest/gtest.h>

#include <random>

#include "animation/animation_group.h"
#include "animation/animation_group_ref.h"
#include "animation/colour_steps.h"
#include "animation/light_step.h"
#include "animation/move_animation.h"
#include "animation/parameter_step.h"
#include "animation/stop_pause_steps.h"
#include "animation/visibility_steps.h"
#include "animation_test_support.h"
#include "geometry/face_object.h"
#include "geometry/shape_node.h"
#include "scene/light.h"
#include "scene/testing/tree_builder.h"

namespace kinemo::testing {
namespace {

class TimelineTest : public AnimationTest {
protected:
    TestScene scene;
    GroupNode* partA = nullptr;
    GroupNode* partB = nullptr;

    void SetUp() override {
        AnimationTest::SetUp();
        TreeBuilder(*scene.root).leaf("A").leaf("B");
        partA = findGroup(*scene.root, "A");
        partB = findGroup(*scene.root, "B");
        captureInitialSceneState();
    }

    template <class T>
    T* add(AnimationGroup& c, std::unique_ptr<T> s, bool wait = true) {
        s->dowait = wait;
        T* raw = s.get();
        std::unique_ptr<AnimationAtom> a = std::move(s);
        EXPECT_TRUE(c.appendChild(a));
        return raw;
    }
    PauseAnimationObject* pause(AnimationGroup& c, long ms, bool wait = true) {
        return add(c, std::make_unique<PauseAnimationObject>(nullptr, true, ms), wait);
    }
    StopAnimationObject* stop(AnimationGroup& c) { return add(c, std::make_unique<StopAnimationObject>()); }
    // A move container with one translation along z, lasting seconds at speed 10.
    MoveAnimationObject* moveZ(AnimationGroup& c, GroupNode* part, float distance, bool wait = true) {
        auto m = std::make_unique<MoveAnimationObject>(nullptr, true);
        auto t = std::make_unique<TranslationAnimationObject>();
        t->displ = {0, 0, distance};
        t->speed = 10;
        m->appendMove(std::move(t));
        m->setComponent(part);
        return add(c, std::move(m), wait);
    }
    ShowHideAnimationObject* visibility(AnimationGroup& c, GroupNode* part, bool appear) {
        std::unique_ptr<ShowHideAnimationObject> s;
        if (appear)
            s = std::make_unique<AppearAnimationObject>();
        else
            s = std::make_unique<DisappearAnimationObject>();
        s->setComponent(part);
        return add(c, std::move(s));
    }
    void play(AnimationGroup& c) {
        rebuildTimelines(c);
        animationState().currentChapter = &c;
        animationState().currentIndex = 0;
    }
    float z(GroupNode* part) const { return part->currentTransform.translation()[2]; }
};

TEST_F(TimelineTest, ParallelStepsStartTogetherAndTheChapterLastsUntilTheLatestEnd) {
    AnimationGroup* c = chapter("c");
    PauseAnimationObject* a = pause(*c, 1000);
    PauseAnimationObject* b = pause(*c, 1000, false);
    PauseAnimationObject* d = pause(*c, 1000);
    rebuildTimelines(*c);
    const auto& t = c->timeline();
    ASSERT_EQ(t.size(), 6u);
    const std::vector<std::pair<AnimationAtom*, bool>> expected = {{a, true}, {a, false}, {b, true},
                                                                   {d, true}, {b, false}, {d, false}};
    const double times[] = {0, 1, 1, 1, 2, 2};
    for (std::size_t i = 0; i < t.size(); ++i) {
        EXPECT_EQ(t[i]->ref->atom, expected[i].first) << i;
        EXPECT_EQ(t[i]->isStart, expected[i].second) << i;
        EXPECT_DOUBLE_EQ(t[i]->time, times[i]) << i;
        EXPECT_EQ(t[i]->index, std::int32_t(i));
    }
    EXPECT_DOUBLE_EQ(c->getRunTime(), 2.0);
}

TEST_F(TimelineTest, RebuildingIsIdempotentWithTwoSortedEntriesPerRecord) {
    AnimationGroup* c = chapter("c");
    moveZ(*c, partA, 10);
    pause(*c, 300, false);
    stop(*c);
    visibility(*c, partB, false);
    rebuildTimelines(*c);
    std::vector<std::pair<AnimationAtomRef*, bool>> first;
    for (TimelineEntry* e : c->timeline()) first.emplace_back(e->ref, e->isStart);
    rebuildTimelines(*c);
    std::vector<std::pair<AnimationAtomRef*, bool>> second;
    for (TimelineEntry* e : c->timeline()) second.emplace_back(e->ref, e->isStart);
    EXPECT_EQ(first, second);
    // Container, its move, pause, stop, disappear: five records.
    EXPECT_EQ(c->timeline().size(), 10u);
    for (std::size_t i = 1; i < c->timeline().size(); ++i)
        EXPECT_LE(c->timeline()[i - 1]->time, c->timeline()[i]->time);
}

TEST_F(TimelineTest, RunningToATimeMovesThePartAlongItsOwnAxis) {
    AnimationGroup* c = chapter("c");
    moveZ(*c, partA, 100);  // 10 s
    play(*c);
    c->runTo(5, true, true, false, KindAll, -1, false);
    EXPECT_NEAR(z(partA), 50, 1e-4);
    c->runTo(1e30, true, true, false, KindAll, -1, false);
    EXPECT_NEAR(z(partA), 100, 1e-4);
    // The initial record is untouched.
    EXPECT_EQ(partA->initialTransform.translation()[2], 0);
}

TEST_F(TimelineTest, ForwardHaltsAtAStopStartAndBackwardAtAStopEndNeverUndoingTheOpening) {
    AnimationGroup* c = chapter("c");
    moveZ(*c, partA, 10);  // 0..1
    stop(*c);              // 1..1.0001
    moveZ(*c, partA, 10);  // ..2.0001
    stop(*c);
    moveZ(*c, partA, 10);
    play(*c);
    c->rewindChapter();
    EXPECT_NEAR(z(partA), 10, 1e-4);  // the opening is applied, halted at the first stop
    EXPECT_TRUE(c->runTo(1e30, true, false, false, KindAll, -1, false));
    EXPECT_NEAR(z(partA), 20, 1e-4);
    EXPECT_NEAR(animationState().currentTime, 2.0001, 1e-9);
    EXPECT_TRUE(c->runTo(1e30, true, false, false, KindAll, -1, false));
    EXPECT_NEAR(z(partA), 30, 1e-4);
    // Backward: one passage, then never before the end of the first stop.
    EXPECT_TRUE(c->runTo(0, false, false, false, KindAll, -1, false));
    EXPECT_NEAR(z(partA), 20, 1e-4);
    EXPECT_TRUE(c->runTo(0, false, false, false, KindAll, -1, false));
    EXPECT_NEAR(z(partA), 10, 1e-4);
    EXPECT_TRUE(c->runTo(0, false, false, false, KindAll, -1, false));
    EXPECT_NEAR(z(partA), 10, 1e-4);
    // And forward again from there, without skipping or repeating an entry.
    EXPECT_TRUE(c->runTo(1e30, true, false, false, KindAll, -1, false));
    EXPECT_NEAR(z(partA), 20, 1e-4);
}

TEST_F(TimelineTest, ChangingDirectionMidPassageNeitherSkipsNorRepeatsAnEntry) {
    AnimationGroup* c = chapter("c");
    moveZ(*c, partA, 10);
    stop(*c);
    moveZ(*c, partA, 10);  // 1.0001 .. 2.0001
    moveZ(*c, partB, 10);  // .. 3.0001
    play(*c);
    c->rewindChapter();
    c->runTo(2.5, true, false, false, KindAll, -1, false);
    EXPECT_NEAR(z(partA), 20, 1e-4);
    EXPECT_NEAR(z(partB), 5, 1e-3);
    c->runTo(1.5, false, false, false, KindAll, -1, false);
    EXPECT_NEAR(z(partA), 15, 2e-3);
    EXPECT_NEAR(z(partB), 0, 1e-4);
    c->runTo(2.5, true, false, false, KindAll, -1, false);
    EXPECT_NEAR(z(partA), 20, 1e-4);
    EXPECT_NEAR(z(partB), 5, 1e-3);
}

TEST_F(TimelineTest, RunToAtomShowsTheStartOfTheStepWithEveryEarlierStepApplied) {
    AnimationGroup* c = chapter("c");
    moveZ(*c, partA, 10);
    stop(*c);
    MoveAnimationObject* second = moveZ(*c, partB, 30);
    moveZ(*c, partA, 10);
    play(*c);
    c->runToAtom(second, KindAll);
    EXPECT_NEAR(z(partA), 10, 1e-4);
    EXPECT_NEAR(z(partB), 0, 1e-4);
    EXPECT_EQ(animationState().lastStep, second);
}

TEST_F(TimelineTest, RunToAtomReportsAStepOutsideTheTimeline) {
    AnimationGroup* c = chapter("c");
    moveZ(*c, partA, 10);
    play(*c);
    StopAnimationObject loose;
    c->runToAtom(&loose, KindAll);
    EXPECT_TRUE(reported("Animation finalAtom not found"));
}

TEST_F(TimelineTest, AnAppearPlayedBackwardRestoresTheVisibilityBeforeItIncludingEarlierHiding) {
    AnimationGroup* c = chapter("c");
    visibility(*c, partA, false);
    stop(*c);
    visibility(*c, partA, true);
    stop(*c);
    play(*c);
    c->rewindChapter();
    EXPECT_FALSE(partA->visible());
    c->runTo(1e30, true, false, false, KindAll, -1, false);
    EXPECT_TRUE(partA->visible());
    c->runTo(0, false, false, false, KindAll, -1, false);
    EXPECT_FALSE(partA->visible());
    // Playing through the visibility steps backward did not move the timeline by itself.
    EXPECT_GT(animationState().currentIndex, 0);
}

TEST_F(TimelineTest, ThePreparationPassLeavesTheVisibilityAsItFoundIt) {
    AnimationGroup* c = chapter("c");
    visibility(*c, partA, false);
    visibility(*c, partB, false);
    ASSERT_TRUE(partA->visible());
    rebuildTimelines(*c);
    EXPECT_TRUE(partA->visible());
    EXPECT_TRUE(partB->visible());
}

TEST_F(TimelineTest, ZeroLengthMotionsFinishAtOnceAtTheirEndForwardAndStartBackward) {
    AnimationGroup* c = chapter("c");
    auto m = std::make_unique<MoveAnimationObject>(nullptr, true);
    auto r = std::make_unique<RotationAnimationObject>();
    r->rot = {0, 0, 0, 1.5f};  // no axis: turns by nothing
    auto none = std::make_unique<RotationAnimationObject>();
    none->rot = {1, 0, 0, 0};
    auto still = std::make_unique<TranslationAnimationObject>();
    still->speed = 0;
    m->appendMove(std::move(r));
    m->appendMove(std::move(still));
    m->appendMove(std::move(none));
    m->setComponent(partA);
    MoveAnimationObject* raw = add(*c, std::move(m));
    play(*c);
    MoveObject* rot = raw->move(0);
    EXPECT_FALSE(rot->animate(rot->getRef(), rot->getRunTime() / 2, true));
    const float* q = partA->currentTransform.rotation();
    EXPECT_TRUE(std::isfinite(q[0]) && std::isfinite(q[3]));
    EXPECT_NEAR(std::fabs(q[3]), 0, 1e-6);
    MoveObject* zero = raw->move(2);
    EXPECT_DOUBLE_EQ(zero->getRunTime(), 0);
    EXPECT_TRUE(zero->animate(zero->getRef(), 0, true));
    EXPECT_TRUE(zero->animate(zero->getRef(), 0, false));
    MoveObject* t = raw->move(1);
    EXPECT_DOUBLE_EQ(t->getRunTime(), 1e-6);
    EXPECT_TRUE(t->animate(t->getRef(), 1e-6 * 2, true));
    c->runTo(1e30, true, true, false, KindAll, -1, false);
    EXPECT_TRUE(std::isfinite(partA->currentTransform.translation()[0]));
}

TEST_F(TimelineTest, ChangingTheKindMaskBackToAllReplaysFromTheStart) {
    AnimationGroup* c = chapter("c");
    visibility(*c, partA, false);
    moveZ(*c, partB, 10);
    play(*c);
    c->runTo(1e30, true, true, false, KindAll & ~KindVisibility, -1, false);
    EXPECT_TRUE(partA->visible());
    EXPECT_NEAR(z(partB), 10, 1e-4);
    c->runTo(1e30, true, true, false, KindAll, -1, false);
    EXPECT_FALSE(partA->visible());
}

TEST_F(TimelineTest, SeekingStraightToATimeEqualsPlayingThereInRandomFrames) {
    std::mt19937 rng(7);
    for (int round = 0; round < 50; ++round) {
        resetRootChapter();
        captureInitialSceneState();
        AnimationGroup* c = chapter("c");
        std::uniform_int_distribution<int> kind(0, 5);
        std::uniform_real_distribution<float> len(0, 30);
        for (int i = 0; i < 12; ++i) {
            GroupNode* part = (i % 2) ? partA : partB;
            switch (kind(rng)) {
                case 0:
                    stop(*c);
                    break;
                case 1:
                    pause(*c, long(len(rng) * 100), rng() % 2);
                    break;
                case 2:
                    visibility(*c, part, rng() % 2);
                    break;
                default:
                    moveZ(*c, part, (rng() % 4) ? len(rng) : 0, rng() % 3);
                    break;
            }
        }
        play(*c);
        const double end = c->getRunTime();
        std::uniform_real_distribution<double> at(0, end + 1);
        const double target = at(rng);
        c->runTo(target, true, true, false, KindAll, -1, true);
        const float seekA = z(partA), seekB = z(partB);
        const bool visA = partA->visible(), visB = partB->visible();

        animationState().currentIndex = 0;
        c->runTo(0, true, true, false, KindAll, -1, true);
        double t = 0;
        std::uniform_real_distribution<double> frame(0.001, 0.7);
        while (t < target) {
            t = std::min(target, t + frame(rng));
            c->runTo(t, true, true, false, KindAll, -1, false);
        }
        EXPECT_NEAR(z(partA), seekA, 1e-3) << round;
        EXPECT_NEAR(z(partB), seekB, 1e-3) << round;
        EXPECT_EQ(partA->visible(), visA) << round;
        EXPECT_EQ(partB->visible(), visB) << round;
    }
}

TEST_F(TimelineTest, PlayingForwardAndBackRestoresTheEarlierState) {
    std::mt19937 rng(11);
    for (int round = 0; round < 50; ++round) {
        resetRootChapter();
        captureInitialSceneState();
        AnimationGroup* c = chapter("c");
        stop(*c);
        std::uniform_real_distribution<float> len(0.5f, 30);
        for (int i = 0; i < 10; ++i) {
            GroupNode* part = (i % 2) ? partA : partB;
            switch (rng() % 4) {
                case 0:
                    stop(*c);
                    break;
                case 1:
                    visibility(*c, part, rng() % 2);
                    break;
                default:
                    moveZ(*c, part, len(rng), rng() % 3);
                    break;
            }
        }
        play(*c);
        const double end = c->getRunTime();
        std::uniform_real_distribution<double> at(c->firstStopEnd() + 1e-3, end);
        double p = at(rng), q = at(rng);
        if (q < p) std::swap(p, q);
        c->runTo(p, true, true, false, KindAll, -1, true);
        const float a = z(partA), b = z(partB);
        const bool va = partA->visible(), vb = partB->visible();
        c->runTo(q, true, true, false, KindAll, -1, false);
        c->runTo(p, false, true, false, KindAll, -1, false);
        EXPECT_NEAR(z(partA), a, 1e-3) << round;
        EXPECT_NEAR(z(partB), b, 1e-3) << round;
        EXPECT_EQ(partA->visible(), va) << round;
        EXPECT_EQ(partB->visible(), vb) << round;
    }
}

TEST_F(TimelineTest, SwitchingChaptersStopsAtTheLastUnlessRepeating) {
    AnimationGroup* one = chapter("one");
    moveZ(*one, partA, 10);
    AnimationGroup* hidden = chapter("hidden");
    hidden->displayInChapter = false;
    moveZ(*hidden, partA, 10);
    AnimationGroup* two = chapter("two");
    moveZ(*two, partA, 10);
    chapter("empty");
    rebuildTimelines(rootChapter());
    setCurrentSection(one);
    EXPECT_TRUE(switchChapter(true));
    EXPECT_EQ(animationState().currentChapter, two);
    EXPECT_FALSE(switchChapter(true));
    animationState().autoRepeat = true;
    EXPECT_TRUE(switchChapter(true));
    EXPECT_EQ(animationState().currentChapter, one);
    animationState().autoRepeat = false;
}

TEST_F(TimelineTest, TheChapterListFollowsTheTreeAndTheMenuShowsListedChapters) {
    AnimationGroup* section = chapter("section");
    AnimationGroup* a = chapter("a", section);
    pause(*a, 10);
    AnimationGroup* b = chapter("b", section);
    pause(*b, 10);
    b->displayInChapter = false;
    EXPECT_EQ(chapterList(), (std::vector<AnimationGroup*>{a, b}));
    ASSERT_EQ(chapterMenu().size(), 1u);
    EXPECT_EQ(chapterMenu()[0].title, "a");
    section->removeChild(a);
    EXPECT_EQ(chapterList(), (std::vector<AnimationGroup*>{b}));
}

TEST_F(TimelineTest, RemovingTheLastStepForgetsIt) {
    AnimationGroup* c = chapter("c");
    moveZ(*c, partA, 10);
    PauseAnimationObject* p = pause(*c, 100);
    play(*c);
    c->runChapterToEnd();
    EXPECT_EQ(animationState().lastStep, p);
    std::unique_ptr<AnimationAtom> taken = c->removeChild(p);
    EXPECT_EQ(animationState().lastStep, nullptr);
    EXPECT_EQ(c->timeline().size(), 4u);
    initializeAnimation();
}

TEST_F(TimelineTest, AReferencePlaysItsChapterInPlaceAndACycleIsRefused) {
    AnimationGroup* shared = chapter("shared");
    moveZ(*shared, partB, 10);
    AnimationGroup* c = chapter("c");
    moveZ(*c, partA, 10);
    auto ref = std::make_unique<AnimationGroupRef>(nullptr, true);
    ref->dowait = true;
    ref->setGroup(shared);
    add(*c, std::move(ref));
    pause(*c, 500);
    initializeAnimation();
    EXPECT_EQ(shared->referencedBy.size(), 1u);
    // 1 s move, 1 s referenced move, 0.5 s pause.
    EXPECT_NEAR(c->getRunTime(), 2.5, 1e-9);
    play(*c);
    c->runTo(1.5, true, true, false, KindAll, -1, false);
    EXPECT_NEAR(z(partB), 5, 1e-3);

    auto back = std::make_unique<AnimationGroupRef>(nullptr, true);
    back->setGroup(c);
    std::unique_ptr<AnimationAtom> a = std::move(back);
    EXPECT_FALSE(shared->appendChild(a));
    EXPECT_TRUE(a);
    auto self = std::make_unique<AnimationGroupRef>(nullptr, true);
    self->setGroup(c);
    std::unique_ptr<AnimationAtom> s = std::move(self);
    EXPECT_FALSE(c->appendChild(s));
}

TEST_F(TimelineTest, PositionAtPercentRunsToTheEntryBelowThatShareOfThePlayedTime) {
    AnimationGroup* c = chapter("c");
    stop(*c);
    moveZ(*c, partA, 10);
    moveZ(*c, partA, 10);
    play(*c);
    c->positionAtPercent(100, KindAll);
    EXPECT_NEAR(z(partA), 10, 1e-3);  // the last entry below the end is the second move's start
    c->positionAtPercent(0, KindAll);
    EXPECT_NEAR(z(partA), 0, 1e-3);
}

TEST_F(TimelineTest, ACloneCopiesTitlesAndStepsWithFreshIds) {
    AnimationGroup* c = chapter("original");
    moveZ(*c, partA, 10);
    pause(*c, 250);
    std::unique_ptr<AnimationAtom> copy = c->clone();
    AnimationGroup* g = copy->asAnimationGroup();
    ASSERT_TRUE(g);
    EXPECT_EQ(g->getName(), "original");
    ASSERT_EQ(g->childCount(), 2u);
    EXPECT_NE(g->id(), c->id());
    EXPECT_NE(g->child(1)->id(), c->child(1)->id());
    EXPECT_DOUBLE_EQ(g->child(1)->getRunTime(), 0.25);
    EXPECT_EQ(g->child(0)->getComponent(), partA);
}


TEST_F(TimelineTest, AnInsertedStepIsShownWithEveryEarlierStepAppliedAndSelected) {
    AnimationGroup* c = chapter("c");
    moveZ(*c, partA, 20);
    visibility(*c, partB, false);
    moveZ(*c, partA, 10);
    AnimationAtom* selected = nullptr;
    animationState().stepSelected = [&](AnimationAtom* s) { selected = s; };
    std::unique_ptr<AnimationAtom> pauseStep = std::make_unique<PauseAnimationObject>(nullptr, true, 100);
    AnimationAtom* inserted = pauseStep.get();
    ASSERT_TRUE(c->insertChild(pauseStep, 2));
    EXPECT_EQ(animationState().currentChapter, c);
    EXPECT_EQ(selected, inserted);
    EXPECT_NEAR(z(partA), 20, 1e-4);
    // Without the structure editor's wish, selecting a step leaves visibility alone.
    EXPECT_TRUE(partB->visible());

    animationState().updateVisibilityOnSelection = true;
    AnimationAtom* last = c->child(3);
    c->removeChild(inserted);
    EXPECT_EQ(selected, last);
    EXPECT_FALSE(partB->visible());
    EXPECT_NEAR(z(partA), 20, 1e-4);
    animationState().stepSelected = {};
    animationState().updateVisibilityOnSelection = false;
}

}  // namespace
}  // namespace kinemo::testing


namespace kinemo::testing {
namespace {

// Looks as well as poses: every part has a shape whose transparency colour steps change and whose
// geometry parameter steps set; light steps switch the scene's light.
class LookTimelineTest : public TimelineTest {
protected:
    struct Look {
        float z, transparency, parameter;
        bool visible;
    };
    std::vector<ShapeNode*> shapes;
    void SetUp() override {
        TimelineTest::SetUp();
        for (GroupNode* p : {partA, partB}) {
            ShapeNode* s = p->createChild<ShapeNode>(true);
            s->setGeometry(std::make_unique<FaceObject>());
            shapes.push_back(s);
        }
    }
    void TearDown() override {
        makeCurrent(nullptr);
        TimelineTest::TearDown();
    }
    void randomChapter(AnimationGroup& c, std::mt19937& rng);
    void expectSameLooks(const std::vector<Look>& a, const std::vector<Look>& b, int round) const;
    std::vector<Look> looks() const {
        std::vector<Look> out;
        for (std::size_t i = 0; i < shapes.size(); ++i) {
            GroupNode* p = i ? partB : partA;
            out.push_back({z(p), shapes[i]->appearance().material().transparency(),
                           static_cast<FaceObject*>(shapes[i]->geometry())->lineLengthLimit(), p->visible()});
        }
        return out;
    }
};

// A random chapter of every kind that changes how parts look, after an opening stop.
void LookTimelineTest::randomChapter(AnimationGroup& c, std::mt19937& rng) {
    std::uniform_real_distribution<float> len(0.5f, 5);
    stop(c);
    for (int i = 0; i < 10; ++i) {
        GroupNode* part = (i % 2) ? partA : partB;
        switch (rng() % 6) {
            case 0:
                stop(c);
                break;
            case 1: {
                auto colour = std::make_unique<ColorAnimationObject>(nullptr, true);
                colour->change.transparency = len(rng) / 5;
                colour->setDuration(rng() % 2 ? len(rng) : 0);
                colour->setComponent(part);
                add(c, std::move(colour), rng() % 2);
                break;
            }
            case 2: {
                auto p = std::make_unique<ParameterAnimationAtom>(nullptr, true);
                p->startValue = len(rng);
                p->endValue = len(rng);
                p->setDuration(len(rng));
                p->setComponent(part);
                add(c, std::move(p), rng() % 2);
                break;
            }
            case 3:
                add(c, std::make_unique<LightAnimationObject>(nullptr, true));
                break;
            case 4:
                visibility(c, part, rng() % 2);
                break;
            default:
                moveZ(c, part, len(rng), rng() % 3);
                break;
        }
    }
}

void LookTimelineTest::expectSameLooks(const std::vector<Look>& a, const std::vector<Look>& b, int round) const {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        EXPECT_NEAR(a[i].z, b[i].z, 1e-3) << round;
        EXPECT_NEAR(a[i].transparency, b[i].transparency, 1e-4) << round;
        EXPECT_NEAR(a[i].parameter, b[i].parameter, 1e-4) << round;
        EXPECT_EQ(a[i].visible, b[i].visible) << round;
    }
}

TEST_F(LookTimelineTest, SeekingEqualsPlayingInRandomFramesForEveryKindOfLook) {
    std::mt19937 rng(29);
    for (int round = 0; round < 40; ++round) {
        resetRootChapter();
        captureInitialSceneState();
        AnimationGroup* c = chapter("c");
        randomChapter(*c, rng);
        play(*c);
        std::uniform_real_distribution<double> at(0, c->getRunTime() + 1);
        const double target = at(rng);
        c->runTo(target, true, true, false, KindAll, -1, true);
        const std::vector<Look> seek = looks();
        const Light* light = currentLight();
        c->runTo(0, true, true, false, KindAll, -1, true);
        std::uniform_real_distribution<double> frame(0.001, 0.7);
        for (double t = 0; t < target;) {
            t = std::min(target, t + frame(rng));
            c->runTo(t, true, true, false, KindAll, -1, false);
        }
        expectSameLooks(looks(), seek, round);
        EXPECT_EQ(currentLight(), light) << round;
    }
}

TEST_F(LookTimelineTest, PlayingForwardAndBackRestoresLooksLightsAndParameters) {
    std::mt19937 rng(23);
    for (int round = 0; round < 40; ++round) {
        resetRootChapter();
        captureInitialSceneState();
        AnimationGroup* c = chapter("c");
        randomChapter(*c, rng);
        play(*c);
        std::uniform_real_distribution<double> at(c->firstStopEnd() + 1e-3, c->getRunTime());
        double p = at(rng), q = at(rng);
        if (q < p) std::swap(p, q);
        c->runTo(p, true, true, false, KindAll, -1, true);
        const std::vector<Look> before = looks();
        const Light* light = currentLight();
        c->runTo(q, true, true, false, KindAll, -1, false);
        c->runTo(p, false, true, false, KindAll, -1, false);
        expectSameLooks(looks(), before, round);
        EXPECT_EQ(currentLight(), light) << round;
    }
}


TEST_F(LookTimelineTest, ReplayingOneKindFromTheStartResetsOnlyWhatThatKindSets) {
    AnimationGroup* c = chapter("c");
    moveZ(*c, partA, 20);
    auto colour = std::make_unique<ColorAnimationObject>(nullptr, true);
    colour->change.transparency = 0.5f;
    colour->setComponent(partA);
    add(*c, std::move(colour));
    play(*c);
    c->runChapterToEnd();
    ASSERT_NEAR(z(partA), 20, 1e-4);
    Material& m = shapes[0]->appearance().material();
    ASSERT_FLOAT_EQ(m.transparency(), 0.5f);
    m.setTransparency(0.9f);
    c->runTo(0, true, true, false, KindColor, -1, true);
    EXPECT_FLOAT_EQ(m.transparency(), 0);  // back to its base value
    EXPECT_NEAR(z(partA), 20, 1e-4);       // the pose is no colour's business
    c->runTo(0, true, true, false, KindMoveContainer, -1, true);
    EXPECT_NEAR(z(partA), 0, 1e-4);
}

}  // namespace
}  // namespace kinemo::testing

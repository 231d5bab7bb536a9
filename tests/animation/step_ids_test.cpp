#include "animation/step_ids.h"

#include <gtest/gtest.h>

#include <climits>

#include "animation_test_support.h"

namespace kinemo::testing {
namespace {

using StepIds = AnimationTest;

TEST_F(StepIds, CounterIsWrittenAsTheHighestIndexLine) {
    setStepIdCounter(42);
    std::string out;
    writeHighestIndex(out);
    EXPECT_EQ(out, "\n# <kmxHIGHESTINDEX value = \"42\" />\n");
}

TEST_F(StepIds, RestoredCounterBelowTheFilesIdsMovesPastTheHighest) {
    AnimationGroup* c = chapter("c");
    step(*c)->setId(40);
    step(*c)->setId(12);
    settleStepIdsAfterLoad(rootChapter(), 5);
    EXPECT_EQ(stepIdCounter(), 41);
    TestStep fresh;
    EXPECT_EQ(fresh.id(), 41);
}

TEST_F(StepIds, RestoredCounterAboveTheFilesIdsIsKept) {
    AnimationGroup* c = chapter("c");
    step(*c)->setId(3);
    settleStepIdsAfterLoad(rootChapter(), 100);
    EXPECT_EQ(stepIdCounter(), 100);
}

TEST_F(StepIds, FileWithoutCounterStillHandsOutUnusedIds) {
    AnimationGroup* c = chapter("c");
    step(*c)->setId(70);
    settleStepIdsAfterLoad(rootChapter(), -1);
    EXPECT_EQ(stepIdCounter(), 71);
}

TEST_F(StepIds, RepeatedIdsInAFileAreReassignedToTheLaterSteps) {
    AnimationGroup* c = chapter("c");
    TestStep* first = step(*c);
    TestStep* second = step(*c);
    TestStep* third = step(*c);
    c->setId(1);
    first->setId(2);
    second->setId(2);
    third->setId(1);
    EXPECT_EQ(settleStepIdsAfterLoad(rootChapter(), 3), 2);
    EXPECT_EQ(c->id(), 1);
    EXPECT_EQ(first->id(), 2);
    EXPECT_EQ(second->id(), 3);
    EXPECT_EQ(third->id(), 4);
    // The root, never written, does not keep an id a step of the file has.
    EXPECT_NE(rootChapter().id(), 1);
    EXPECT_NE(rootChapter().id(), 2);
}

TEST_F(StepIds, CounterStopsAtTheLargestIdInsteadOfWrapping) {
    setStepIdCounter(INT32_MAX);
    EXPECT_EQ(takeStepId(), INT32_MAX);
    EXPECT_EQ(takeStepId(), INT32_MAX);
    AnimationGroup* c = chapter("c");
    step(*c)->setId(INT32_MAX);
    settleStepIdsAfterLoad(rootChapter(), 0);
    EXPECT_EQ(stepIdCounter(), INT32_MAX);
}

}  // namespace
}  // namespace kinemo::testing

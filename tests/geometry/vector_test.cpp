#include "geometry/vector.h"

#include <gtest/gtest.h>

#include <string>

#include "container_test_support.h"
#include "core/numbers.h"

using namespace kinemo;
using kinemo::testing::MessageCapture;

namespace {

struct Counted : BasicObject {
    explicit Counted(int& deaths) : deaths_(deaths) {}
    ~Counted() override { ++deaths_; }
    int& deaths_;
};

}  // namespace

TEST(VectorGrowth, ResizeToZeroStillAllocatesOneSlot) {
    VectorF v;
    EXPECT_FALSE(v.hasStorage());
    v.resize(0);
    EXPECT_TRUE(v.hasStorage());
    EXPECT_EQ(v.capacity(), 1);
    EXPECT_EQ(v.count(), 0);
}

TEST(VectorGrowth, PushDoublesTheCapacityAndKeepsTheElements) {
    VectorF v;
    std::vector<int> capacities;
    for (int i = 0; i < 9; ++i) {
        v.push(static_cast<float>(i) + 0.5f);
        capacities.push_back(v.capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{1, 2, 4, 4, 8, 8, 8, 8, 16}));
    for (int i = 0; i < 9; ++i) EXPECT_EQ(v[i], static_cast<float>(i) + 0.5f);
}

TEST(VectorGrowth, ResizeGrowsToExactlyTheCountAndNeverShrinks) {
    VectorL v;
    v.resize(5);
    EXPECT_EQ(v.capacity(), 5);
    v.resize(7);
    EXPECT_EQ(v.capacity(), 7);
    v.resize(2);
    EXPECT_EQ(v.capacity(), 7);
    EXPECT_EQ(v.count(), 2);
    v.shrinkToFit();
    EXPECT_EQ(v.capacity(), 2);
    v.resize(0);
    v.shrinkToFit();
    EXPECT_EQ(v.capacity(), 1);
}

TEST(VectorGrowth, IndexListsGrowByDoublingWhenPushedOneAtATime) {
    // Appending a face index at a time must not copy the whole list for every index.
    VectorL v;
    for (int i = 0; i < 1000; ++i) v.push(i);
    EXPECT_EQ(v.count(), 1000);
    EXPECT_EQ(v.capacity(), 1024);
    EXPECT_EQ(v[999], 999);
}

TEST(VectorGrowth, ResizeKeepsTheElementsWhenItMustGrow) {
    VectorF v;
    v.push(1.5f);
    v.push(2.5f);
    v.resize(100);
    EXPECT_EQ(v[0], 1.5f);
    EXPECT_EQ(v[1], 2.5f);
    EXPECT_EQ(v[99], 0.0f);
}

TEST(VectorGrowth, NegativeResizeEmptiesTheVector) {
    VectorF v;
    v.push(1);
    v.resize(-3);
    EXPECT_EQ(v.count(), 0);
}

TEST(VectorString, ResizeBeyondTheCapacityKeepsTheElements) {
    VectorString v;
    v.push("a");
    v.push("b");
    v.resize(10);
    ASSERT_EQ(v.count(), 10);
    EXPECT_STREQ(v.getItem(0), "a");
    EXPECT_STREQ(v.getItem(1), "b");
    EXPECT_EQ(v.getItem(2), nullptr);
}

TEST(VectorString, IndexOfComparesTextsExactly) {
    std::string owned = "Deutsch";
    VectorString v;
    v.push("English");
    v.push(owned.c_str());
    EXPECT_EQ(v.indexOf("Deutsch"), 1);
    EXPECT_EQ(v.indexOf("deutsch"), -1);
    EXPECT_EQ(v.indexOf("Deutsc"), -1);
}

TEST(VectorEdit, RemoveAtShiftsTheTailAndIgnoresBadIndices) {
    VectorL v;
    for (int i = 0; i < 5; ++i) v.push(i * 10);
    v.removeAt(1);
    v.removeAt(-1);
    v.removeAt(4);
    ASSERT_EQ(v.count(), 4);
    EXPECT_EQ(v[0], 0);
    EXPECT_EQ(v[1], 20);
    EXPECT_EQ(v[3], 40);
    v.removeLast();
    EXPECT_EQ(v.count(), 3);
    v.clear();
    v.removeLast();
    EXPECT_EQ(v.count(), 0);
}

TEST(VectorEdit, ClampingInsertPutsOutOfRangeIndicesAtTheEnds) {
    VectorL v;
    v.push(1);
    v.push(2);
    v.insertAt(0, -5);
    v.insertAt(3, 99);
    v.insertAt(9, 2);
    ASSERT_EQ(v.count(), 5);
    EXPECT_EQ(v[0], 0);
    EXPECT_EQ(v[1], 1);
    EXPECT_EQ(v[2], 9);
    EXPECT_EQ(v[3], 2);
    EXPECT_EQ(v[4], 3);
}

TEST(VectorAny, InsertAtIgnoresIndicesOutsideTheVector) {
    int deaths = 0;
    Counted a(deaths), b(deaths), c(deaths);
    VectorAny v;
    v.insertAt(&a, 0);
    v.insertAt(&b, 5);
    v.insertAt(&c, -1);
    v.insertAt(&b, 0);
    ASSERT_EQ(v.count(), 2);
    EXPECT_EQ(v.getItem(0), &b);
    EXPECT_EQ(v.getItem(1), &a);
}

TEST(VectorAny, GetItemOutsideTheVectorIsNull) {
    VectorAny v;
    EXPECT_EQ(v.getItem(0), nullptr);
    v.resize(0);
    EXPECT_EQ(v.getItem(0), nullptr);
    EXPECT_EQ(v.getItem(-1), nullptr);
}

TEST(VectorAny, RemoveElementReturnsTheFormerIndex) {
    int deaths = 0;
    Counted a(deaths), b(deaths);
    VectorAny v;
    v.push(&a);
    v.push(&b);
    v.push(&a);
    EXPECT_EQ(v.removeElement(&a), 0);
    EXPECT_EQ(v.indexOf(&a), 1);
    EXPECT_TRUE(v.contains(&b));
}

TEST(VectorAny, RemovingAnAbsentElementLogsThePointerInHexAndChangesNothing) {
    MessageCapture capture;
    int deaths = 0;
    Counted a(deaths), absent(deaths);
    VectorAny v;
    v.push(&a);
    EXPECT_EQ(v.removeElement(&absent), -1);
    EXPECT_EQ(v.count(), 1);
    EXPECT_EQ(v.getItem(0), &a);
    std::string expected = formatC("VectorAny::removeElement Warning: cannot remove Element. %lx",
                                   static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(&absent)));
    EXPECT_NE(capture.log().find(expected), std::string::npos) << capture.log();
}

TEST(VectorAny, DeleteAllDeletesEveryElementOnceAndSkipsNulls) {
    int deaths = 0;
    VectorAny v;
    v.push(new Counted(deaths));
    v.push(nullptr);
    v.push(new Counted(deaths));
    v.deleteAll();
    EXPECT_EQ(deaths, 2);
    EXPECT_EQ(v.count(), 0);
    v.deleteAll();
    EXPECT_EQ(deaths, 2);
}

TEST(VectorAny, ClearDeletesNothing) {
    int deaths = 0;
    Counted a(deaths);
    VectorAny v;
    v.push(&a);
    v.clear();
    EXPECT_EQ(deaths, 0);
    EXPECT_EQ(v.count(), 0);
}

TEST(VectorF, CheckedAccessRaisesTheBoundsMessage) {
    VectorF v(3);
    EXPECT_NO_THROW(v.r(2) = 4.0f);
    try {
        v.r(3);
        FAIL() << "no exception";
    } catch (const ContainerBoundsError& e) {
        EXPECT_STREQ(e.what(), "VectorF.r index (3) out of bounds (3)");
    }
}

TEST(VectorF, FillAndCopyFrom) {
    VectorF a(4);
    a.fill(2.5f);
    VectorF b;
    b.copyFrom(&a);
    ASSERT_EQ(b.count(), 4);
    EXPECT_EQ(b[3], 2.5f);
    b.copyFrom(nullptr);
    EXPECT_EQ(b.count(), 0);
}

TEST(VectorL, CheckedAccessRaisesTheBoundsMessage) {
    VectorL v(3);
    try {
        v.r(-1);
        FAIL() << "no exception";
    } catch (const ContainerBoundsError& e) {
        EXPECT_STREQ(e.what(), "VectorL.r index (-1) out of bounds (3)");
    }
    const VectorL& c = v;
    EXPECT_THROW(c.r(7), ContainerBoundsError);
}

TEST(VectorL, CloneKeepsElementsAndKindAndIsNullWithoutStorage) {
    VectorL none;
    EXPECT_EQ(none.clone(), nullptr);
    VectorL v;
    v.push(3);
    v.push(-1);
    v.setKind(VectorL::KindNormalIndex);
    auto c = v.clone();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->kind(), VectorL::KindNormalIndex);
    EXPECT_EQ(VectorL::compare(c.get(), &v), 0);
    VectorL empty;
    empty.resize(0);
    auto e = empty.clone();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->count(), 0);
}

TEST(VectorL, CopyRangeClampsItsBoundsAndGrowsTheTarget) {
    VectorL source;
    for (int i = 0; i < 6; ++i) source.push(i);
    VectorL target;
    target.push(100);
    target.copyRange(source, -3, 2, 2);  // first clamped to 0
    ASSERT_EQ(target.count(), 5);
    EXPECT_EQ(target[0], 100);
    EXPECT_EQ(target[2], 0);
    EXPECT_EQ(target[4], 2);
    target.copyRange(source, 4, 50, -1);  // last clamped to 5, at to 0; no shrink
    EXPECT_EQ(target.count(), 5);
    EXPECT_EQ(target[0], 4);
    EXPECT_EQ(target[1], 5);
    target.copyRange(source, 4, 3, 0);  // last < first
    EXPECT_EQ(target[0], 4);
}

TEST(VectorL, CopyRangeWithinOneVectorHandlesOverlap) {
    VectorL v;
    for (int i = 0; i < 4; ++i) v.push(i);
    v.copyRange(v, 0, 3, 2);
    ASSERT_EQ(v.count(), 6);
    EXPECT_EQ(v[2], 0);
    EXPECT_EQ(v[3], 1);
    EXPECT_EQ(v[4], 2);
    EXPECT_EQ(v[5], 3);
}

TEST(VectorL, CompareOrdersNullThenLengthThenTheFirstDifference) {
    VectorL a, b, shorter;
    for (int i : {1, 2, 3}) a.push(i);
    for (int i : {1, 2, 4}) b.push(i);
    shorter.push(9);
    EXPECT_EQ(VectorL::compare(&a, &a), 0);
    EXPECT_LT(VectorL::compare(nullptr, &a), 0);
    EXPECT_GT(VectorL::compare(&a, nullptr), 0);
    EXPECT_LT(VectorL::compare(&shorter, &a), 0);
    EXPECT_LT(VectorL::compare(&a, &b), 0);
    EXPECT_GT(VectorL::compare(&b, &a), 0);
}

TEST(StringVector, KeepsCopiesAndDeletesThemWhenShrinking) {
    StringVector v;
    std::string text = "first";
    v.append(text);
    text = "changed";
    v.append("second");
    EXPECT_EQ(*v.getItem(0), "first");
    v.resize(4);
    ASSERT_NE(v.getItem(3), nullptr);
    EXPECT_EQ(*v.getItem(3), "");
    v.resize(1);  // the sanitizer build reports the strings if they were not deleted
    EXPECT_EQ(v.count(), 1);
    EXPECT_EQ(v.getItem(1), nullptr);
    v.removeAt(0);
    EXPECT_EQ(v.count(), 0);
}

TEST(SimpleTable, LookupGivesTheValueOfTheFirstExactKey) {
    SimpleTable table;
    table.add("Play", "Abspielen");
    table.add("play", "x");
    table.add("Play", "second");
    EXPECT_STREQ(table.lookup("Play"), "Abspielen");
    EXPECT_STREQ(table.lookup("play"), "x");
    EXPECT_EQ(table.lookup("PLAY"), nullptr);
    EXPECT_EQ(table.count(), 3);
}

TEST(SimpleTable, ItsSlotOneHookHandsTheTableToTheMainWindow) {
    SimpleTable table;
    SimpleTable* seen = nullptr;
    SimpleTable::setActivationHandler([&seen](SimpleTable& t) { seen = &t; });
    BasicObject& object = table;
    object.reserved();
    EXPECT_EQ(seen, &table);
    SimpleTable::setActivationHandler(nullptr);
    object.reserved();
}
